// A fixture with the file layer installed and the sound device on a chosen driver, and the
// sound files the tests make.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound_files.h"
#include "file/file_fixture.h"
#include "file/file_startup.h"
#include "sound/sound_device.h"
#include "platform/audio/audio_device.h"
#include "sound/sound_device_ops.h"
#include "sound/sound_mixer.h"
#include "rorodiv.h"

// The file layer installed, the sound device on `driver` when a test starts it, and
// everything of sound released again at the end.
class SoundFixture : public FileFolderTest {
protected:
    void SetUp() override
    {
        FileFolderTest::SetUp();
        ror::ClearArchiveTables();
        ror::InstallFileAccess(nullptr);
        ror::InstallDefaultStreams();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("SDL_DISKAUDIOFILE", (folder / "output.raw").c_str(), 1);
    }

    void TearDown() override
    {
        ror::SoundEnd();
        ror::SoundState.ops = nullptr;
        SetSoundResampling(SOUND_RESAMPLING_FILTERED);
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        ror::ReleaseIdleArchives();
        EXPECT_EQ(ror::TrackedAllocationCount(), allocationsAtStart) << "sound memory left behind";
        FileFolderTest::TearDown();
    }

    // The device up on the dummy driver, with its callback no longer mixing: the test calls
    // the mixer itself and sees every frame.
    static void MixByHand()
    {
        ASSERT_EQ(ror::SoundStart(), 0);
        ror::StopAudioMixer();
        ASSERT_EQ(ror::SoundMixer.outputRate, 44100);
    }

    // The log lines written since SetUp, carriage returns left out.
    static std::string Logged()
    {
        std::string lines;
        for (char c : logged)
            if (c != '\r') lines += c;
        return lines;
    }
};

// The device up with the test mixing by hand, and the helpers of such tests.
class HandMixedSoundTest : public SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        MixByHand();
    }

    int Load(const std::string& bytes)
    {
        const int handle = LoadSoundFromMemory(bytes.data(), int32_t(bytes.size()));
        EXPECT_GE(handle, 0) << Logged();
        return handle;
    }

    // `frames` stereo frames of output.
    static std::vector<int16_t> Mix(int frames)
    {
        std::vector<int16_t> out(size_t(2 * frames), 12345);
        ror::MixSounds(out.data(), frames);
        return out;
    }

    static std::vector<int16_t> Channel(const std::vector<int16_t>& stereo, int channel)
    {
        std::vector<int16_t> out;
        for (size_t i = size_t(channel); i < stereo.size(); i += 2) out.push_back(stereo[i]);
        return out;
    }
};
