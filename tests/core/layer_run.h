// One whole run of the media layer as a game makes it: start-up, a few frames that draw,
// write text, load a picture from an archive, read a file from the archive and a cached
// plain file (a worker thread), then shutdown. The fixture writes the files into the
// test's folder.
#pragma once
#include "archive_writer.h"
#include "core/tracked_memory.h"
#include "file/file_access.h"
#include "rorodiv_text.h"
#include "window/media_layer_fixture.h"

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

// What a run managed; each field 0 when its part worked.
struct LayerRunResult {
    int start = -1;
    int picture = -1;
    int archiveRead = -1;
    int plainRead = -1;
    int drawing = -1;
    bool operator==(const LayerRunResult&) const = default;
};

constexpr LayerRunResult kWholeRun{0, 0, 0, 0, 0};

class LayerRunTest : public MediaLayerTest {
protected:
    static constexpr const char* kNote = "a note kept in the archive";
    static constexpr const char* kPlain = "a plain file read through its worker thread";

    void SetUp() override
    {
        MediaLayerTest::SetUp();
        PackNode root;
        root.isFolder = true;
        root.children = {Node("pic.bmp", Picture()), Node("note.txt", Text(kNote))};
        PackOptions options;
        std::vector<uint8_t> archive;
        std::string error;
        ASSERT_TRUE(BuildArchive(root, options, &archive, &error)) << error;
        Write("DATA.ZAZ", archive);
        Write("plain.txt", Text(kPlain));
    }

    // Frames end early when the window goes away.
    LayerRunResult RunLayerOnce(int frames = 3)
    {
        LayerRunResult result;
        result.start = Start();
        if (result.start != 0) return result;
        result.picture = result.archiveRead = result.plainRead = result.drawing = 0;
        for (int frame = 0; frame < frames; ++frame) {
            if (PumpMessages() != 0) break;
            if (ClearScreen() != 0 || DrawRect(10, 10, 120, 70, PackColor(0, 0, 255), 1) != 0 ||
                DrawSegment(0, 0, 200, 100, PackColor(255, 255, 255), 3) != 0 ||
                PrintText(10, 80, "座標 12,34", PackColor(255, 255, 255)) != 0)
                result.drawing = -1;
            const int graphic = LoadGraphic("DATA\\pic.bmp");
            if (graphic == -1 || PutGraphic(40, 40, graphic, 0) != 0 || DestroyGraphic(graphic) != 0)
                result.picture = -1;
            if (ReadWhole("DATA\\note.txt") != kNote) result.archiveRead = -1;
            if (ReadWhole("plain.txt") != kPlain) result.plainRead = -1;
            if (PresentScreen() != 0) result.drawing = -1;
        }
        EndMediaLayer();
        return result;
    }

private:
    static std::vector<uint8_t> Text(const char* text) { return std::vector<uint8_t>(text, text + std::strlen(text)); }

    static PackNode Node(const char* name, std::vector<uint8_t> data)
    {
        PackNode node;
        node.name = name;
        node.data = std::move(data);
        return node;
    }

    // A 4 x 3 picture, 24 bits, bottom-up rows of 12 bytes.
    static std::vector<uint8_t> Picture()
    {
        const uint32_t width = 4, height = 3, pitch = 12, pixels = pitch * height;
        std::vector<uint8_t> bmp(54 + pixels, 0);
        auto put32 = [&](size_t at, uint32_t value) {
            for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(value >> (8 * i));
        };
        bmp[0] = 'B';
        bmp[1] = 'M';
        put32(2, uint32_t(bmp.size()));
        put32(10, 54);
        put32(14, 40);
        put32(18, width);
        put32(22, height);
        bmp[26] = 1;
        bmp[28] = 24;
        put32(34, pixels);
        for (uint32_t i = 0; i < pixels; ++i) bmp[54 + i] = uint8_t(i * 7);
        return bmp;
    }

    void Write(const char* name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(folder / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    // Through the layer's file operations, with the read-ahead cache (a worker thread).
    static std::string ReadWhole(const char* path)
    {
        const FileValue file = FileOpen(path, 1, 0, 0);
        if (file == 0) return {};
        std::string text;
        char buffer[64];
        size_t got;
        while ((got = FileRead(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
        FileClose(file);
        return text;
    }
};
