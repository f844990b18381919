// Every table of operations the layer installs has all its entries filled: the shared code
// calls them without a null check.
#include "file/file_access.h"
#include "graphics/device/device_ops.h"
#include "graphics/draw_ops.h"
#include "graphics/software/pixel_spans.h"
#include "graphics/software/software_ops.h"
#include "sound/sound_decoder.h"
#include "sound/sound_device_ops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

using namespace ror;

namespace {

// The empty entries of a table made only of pointers, by position (the test names the table).
template <typename Table>
std::vector<size_t> EmptyEntries(const Table& table)
{
    static_assert(std::is_standard_layout_v<Table> && sizeof(Table) % sizeof(void*) == 0);
    std::vector<size_t> empty;
    for (size_t i = 0; i < sizeof(Table) / sizeof(void*); ++i) {
        void* entry = nullptr;
        std::memcpy(&entry, reinterpret_cast<const char*>(&table) + i * sizeof(void*), sizeof(void*));
        if (entry == nullptr) empty.push_back(i);
    }
    return empty;
}

TEST(OpTables, NoEntryOfAnInstalledTableIsEmpty)
{
    const auto expectFilled = [](const std::string& name, const std::vector<size_t>& empty) {
        EXPECT_TRUE(empty.empty()) << name << ": entry " << (empty.empty() ? 0 : empty.front()) << " is empty";
    };
    expectFilled("software drawing", EmptyEntries(kSoftwareDrawOps));
    expectFilled("device drawing", EmptyEntries(kDeviceDrawOps));
    expectFilled("installed drawing", EmptyEntries(DrawOps));
    expectFilled("file access", EmptyEntries(*InstalledFileAccess()));
    expectFilled("file streams", EmptyEntries(*FileStreamOps()));
    expectFilled("memory streams", EmptyEntries(*MemoryStreamOps()));
    expectFilled("wav decoder", EmptyEntries(WavDecoderOps()));
    expectFilled("ogg decoder", EmptyEntries(OggDecoderOps()));
    expectFilled("mp3 decoder", EmptyEntries(Mp3DecoderOps()));
    expectFilled("flac decoder", EmptyEntries(FlacDecoderOps()));
    expectFilled("opus decoder", EmptyEntries(OpusDecoderOps()));
    expectFilled("midi decoder", EmptyEntries(MidiDecoderOps()));
    expectFilled("sound device", EmptyEntries(PlatformSoundDeviceOps));
    expectFilled("scalar spans", EmptyEntries(ScalarSpanOps()));
    if (const SpanOps* sse2 = Sse2SpanOps()) expectFilled("sse2 spans", EmptyEntries(*sse2));
    if (const SpanOps* avx2 = Avx2SpanOps()) expectFilled("avx2 spans", EmptyEntries(*avx2));
}

}  // namespace
