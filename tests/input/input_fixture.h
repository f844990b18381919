// A started media layer for the input tests: the media layer fixture, with the virtual pads
// and the injected input faults cleared after each test.
#pragma once
#include "input/input_setup.h"
#include "input/input_state.h"
#include "platform/input_devices/input_devices.h"
#include "platform/input_devices/virtual_pads.h"
#include "window/media_layer_fixture.h"

class InputTest : public MediaLayerTest {
protected:
    // offscreen needs no X server; x11 runs under Xvfb.
    explicit InputTest(const char* videoDriver = "offscreen") : MediaLayerTest(videoDriver) {}

    void SetUp() override
    {
        MediaLayerTest::SetUp();
        savedSettings = ror::InputSettings;
    }

    void TearDown() override
    {
        MediaLayerTest::TearDown();
        ror::DetachAllVirtualPads();
        ror::SetInputFaultsForTest(0);
        ror::InputSettings = savedSettings;
        SetInputDevicesEnabled(!ror::InputSettings.devicesOff);
    }

    ror::InputSettingsRecord savedSettings{};

    // The lines from the first one equal to `first` up to and including the first one equal
    // to `last` after it; empty when either is missing.
    Lines Section(const std::string& first, const std::string& last) const
    {
        const Lines lines = LogLines();
        Lines section;
        bool inside = false;
        for (const std::string& line : lines) {
            if (!inside && line == first) inside = true;
            if (!inside) continue;
            section.push_back(line);
            if (line == last && section.size() > 1) return section;
        }
        return {};
    }

    static int Count(const Lines& lines, const std::string& wanted)
    {
        int count = 0;
        for (const std::string& line : lines) count += line == wanted;
        return count;
    }
};
