// Fonts the game brings, from a path (archives included) or from memory, named by handles of
// their own; the platform keeps their bytes and finds their faces by family name.
#include "rorodiv.h"
#include "rorodiv_file.h"
#include "rorodiv_text.h"

#include "core/app_log.h"
#include "core/handles.h"
#include "core/text_encoding.h"
#include "core/tracked_memory.h"
#include "platform/fonts/glyph_raster.h"
#include "platform/system/codepage.h"
#include "core/last_failure.h"

#include <cstdio>
#include <cstring>

namespace ror {

namespace {

constexpr int32_t kFontFileSlots = 32;

struct FontFileRecord {
    HandleHeader header;
    int32_t platformId;
    char family[256];  // cp932
};

struct FontFileState {
    HandleHeader* slots[kFontFileSlots];
    HandleTable table;
};

FontFileState FontFiles = {{}, {HandleKind::FontFile, kFontFileSlots, FontFiles.slots, 0}};

FontFileRecord* ResolveFontFile(int handle)
{
    return reinterpret_cast<FontFileRecord*>(ResolveHandle(handle, FontFiles.table));
}

// A handle for the platform's added font, or -1 (the font removed again) when none is free.
int RecordFontFile(int32_t platformId)
{
    int32_t slot = 0;
    while (slot < kFontFileSlots && FontFiles.slots[slot]) ++slot;
    auto* record =
        slot == kFontFileSlots
            ? nullptr
            : static_cast<FontFileRecord*>(TrackedAllocZeroed(int32_t(sizeof(FontFileRecord)), __FILE__, __LINE__));
    if (!record) {
        RemovePlatformFontData(platformId);
        return LogWrite("読み込めるフォントファイルの数の限界を超えました\n");
    }
    record->platformId = platformId;
    if (Utf8ToCp932(AddedPlatformFontFamily(platformId), record->family, sizeof record->family) < 0)
        record->family[0] = 0;
    record->header.check = StampCheck(FontFiles.table);
    record->header.handle = MakeHandle(HandleKind::FontFile, slot, record->header.check);
    FontFiles.slots[slot] = &record->header;
    return record->header.handle;
}

int AddFontBytes(const void* bytes, int64_t size)
{
    const int32_t id = size > 0 ? AddPlatformFontData(bytes, size_t(size)) : -1;
    if (id < 0) return LogWrite("フォントデータを読み込めませんでした\n");
    return RecordFontFile(id);
}

}  // namespace

}  // namespace ror

using namespace ror;

int LoadFontFile(const char* path)
{
    if (!path) return FailedArgument(__func__);
    int64_t size = 0;
    void* bytes = FileLoadWhole(path, &size);
    if (!bytes) return LogWrite("フォントファイルを開けませんでした\n");
    const int handle = AddFontBytes(bytes, size);
    FileReleaseBlock(bytes);
    return handle;
}

int LoadFontFromMemory(const void* data, int size)
{
    if (!data || size <= 0) return FailedArgument(__func__);
    return AddFontBytes(data, size);
}

int GetFontFileFamily(int fontFile, char* familyName)
{
    const FontFileRecord* record = ResolveFontFile(fontFile);
    if (!record) return FailedHandle(__func__, fontFile);
    if (!familyName) return FailedArgument(__func__);
    std::memcpy(familyName, record->family, std::strlen(record->family) + 1);
    TextToCaller(familyName, 256);
    return 0;
}

int RemoveFontFile(int fontFile)
{
    FontFileRecord* record = ResolveFontFile(fontFile);
    if (!record) return FailedHandle(__func__, fontFile);
    RemovePlatformFontData(record->platformId);
    FontFiles.slots[HandleIndex(fontFile)] = nullptr;
    TrackedFree(record);
    return 0;
}
