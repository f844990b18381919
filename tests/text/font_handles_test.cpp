#include "text_fixture.h"

#include "core/handles.h"
#include "window/media_layer_fixture.h"

#include <climits>
#include <cstring>
#include <vector>

using namespace ror;

using FontHandles = TextTest;

TEST_F(FontHandles, DefaultFontAndTheNextHandle)
{
    int handle = QueryDefaultFont();
    EXPECT_EQ(handle, 0x20000000);
    const FontRecord* font = Font(handle);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->size, 16);
    EXPECT_EQ(font->thickness, 6);
    EXPECT_EQ(font->type, FONT_NORMAL);
    EXPECT_EQ(font->charSetIndex, 1);
    EXPECT_STREQ(font->faceName, "");
    EXPECT_EQ(font->textureMode, 0);
    EXPECT_EQ(font->cacheTexture, -1);
    EXPECT_EQ(CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1), 0x20010001);
    // The default font already matches its settings: refreshing keeps it.
    EXPECT_EQ(RefreshDefaultFont(), 0);
    EXPECT_EQ(QueryDefaultFont(), 0x20000000);
}

TEST_F(FontHandles, RejectedHandles)
{
    int font = QueryDefaultFont();
    // A font handle where a graphic is expected fails on its kind.
    HandleHeader* graphicSlots[4] = {};
    HandleTable graphics{HandleKind::Graphic, 4, graphicSlots, 0};
    graphicSlots[0] = FontSystem.slots[0];
    EXPECT_EQ(ResolveHandle(font, graphics), nullptr);
    EXPECT_NE(ResolveHandle(font, FontSystem.table), nullptr);

    for (int bad : {-1, -0x20000000, 0x20000000 | 40, 0x20000000 | 0xFFFF, 0x08000000, 0x20000005})
        EXPECT_EQ(IsFontHandleValid(bad), 0) << std::hex << bad;

    // Stale: the slot is free, then reused by a newer font with another check value.
    int second = CreateFontToHandle(nullptr, 12, -1, -1, -1, -1, 0);
    ASSERT_EQ(ReleaseFontHandle(second), 0);
    EXPECT_EQ(IsFontHandleValid(second), 0);
    EXPECT_EQ(ReleaseFontHandle(second), -1);
    EXPECT_EQ(GetFontSizeOfHandle(second), -1);
    int reused = CreateFontToHandle(nullptr, 12, -1, -1, -1, -1, 0);
    EXPECT_EQ(HandleIndex(reused), HandleIndex(second));
    EXPECT_NE(reused, second);
    EXPECT_EQ(IsFontHandleValid(second), 0);
    EXPECT_EQ(IsFontHandleValid(reused), 1);
}

TEST_F(FontHandles, CheckCounterWrapsAfter2047)
{
    FontSystem.table.checkCounter = 2047;
    int last = CreateFontToHandle(nullptr, 10, -1, -1, -1, -1, 0);
    EXPECT_EQ(last, 0x20000000 | (2047 << 16) | 1);
    int wrapped = CreateFontToHandle(nullptr, 10, -1, -1, -1, -1, 0);
    EXPECT_EQ(wrapped, 0x20000000 | 2);
    EXPECT_EQ(IsFontHandleValid(last), 1);
    EXPECT_EQ(IsFontHandleValid(wrapped), 1);
}

TEST(FontCellMetrics, FromTextMetrics)
{
    struct Case {
        int maxWidth, height, type, edge, cellSize, cellHeight;
    };
    const Case cases[] = {
        {15, 16, FONT_NORMAL, 1, 24, 16}, {15, 16, FONT_EDGE, 2, 24, 20},
        {8, 19, FONT_NORMAL, 1, 20, 20},  {16, 16, FONT_NORMAL, 1, 24, 16},
        {6, 6, FONT_ANTIALIAS, 1, 8, 6},  {30, 33, FONT_EDGE | FONT_ANTIALIAS, 3, 40, 40},
    };
    for (const Case& c : cases) {
        CellMetrics cell = ComputeCellMetrics(c.maxWidth, c.height, c.type, c.edge);
        EXPECT_EQ(cell.cellSize, c.cellSize) << c.maxWidth << "x" << c.height;
        EXPECT_EQ(cell.cellHeight, c.cellHeight) << c.maxWidth << "x" << c.height;
    }
}

TEST_F(FontHandles, ArgumentsAndTypes)
{
    int edged = CreateFontToHandle(nullptr, 16, -1, FONT_NORMAL, -1, 2, 0);
    ASSERT_NE(edged, -1);
    EXPECT_EQ(Font(edged)->type, FONT_EDGE);
    EXPECT_EQ(Font(edged)->edgeSize, 2);
    int plain = CreateFontToHandle(nullptr, 16, -1, FONT_NORMAL, -1, 1, 0);
    EXPECT_EQ(Font(plain)->type, FONT_NORMAL);
    int defaults = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 1);
    EXPECT_EQ(Font(defaults)->edgeSize, 1);
    EXPECT_EQ(Font(defaults)->italic, 1);

    // Named slot: free is taken, used refuses; bad edge sizes make no font.
    EXPECT_EQ(CreateFontToHandle(nullptr, 16, -1, -1, -1, -1, 0, 0, 7), -1);
    EXPECT_EQ(CreateFontToHandle(nullptr, 16, -1, -1, -1, -1, 0, 20, 7), 0x20000000 | (7 << 16) | 20);
    EXPECT_EQ(CreateFontToHandle(nullptr, 16, -1, -1, -1, -1, 0, 40, -1), -1);
    EXPECT_EQ(CreateFontToHandle(nullptr, 16, -1, FONT_EDGE, -1, -3, 0), -1);

    char face[kFontFaceNameSize] = "x";
    int size = 0, thickness = 0;
    int named = CreateFontToHandle("DejaVu Sans Mono", 20, 4, FONT_ANTIALIAS, 0, -1, 0);
    ASSERT_NE(named, -1);
    EXPECT_EQ(GetFontInfoOfHandle(face, &size, &thickness, named), 0);
    EXPECT_STREQ(face, "DejaVu Sans Mono");
    EXPECT_EQ(size, 20);
    EXPECT_EQ(thickness, 4);
    EXPECT_EQ(GetFontInfoOfHandle(nullptr, nullptr, nullptr, named), 0);
    EXPECT_EQ(GetFontInfoOfHandle(face, &size, &thickness, -1), -1);
    EXPECT_EQ(SetFontSpacingOfHandle(3, named), 0);
    EXPECT_EQ(Font(named)->spacing, 3);
    EXPECT_EQ(Font(named)->type, FONT_ANTIALIAS);
    EXPECT_EQ(Font(named)->cacheBitsPerPixel, 8);

    // A size the platform cannot make fails with its log line and frees the slot.
    int count = TrackedAllocationCount();
    EXPECT_EQ(CreateFontToHandle(nullptr, 0, -1, -1, -1, -1, 0), -1);
    EXPECT_EQ(TrackedAllocationCount(), count);
    EXPECT_NE(ReadLogWithoutStamps().find("フォントの作成に失敗しました\r\n"), std::string::npos);
}

TEST_F(FontHandles, EightBitScreenDropsAntialiasing)
{
    ScreenSettings.colorBits = 8;
    int font = CreateFontToHandle(nullptr, 16, -1, FONT_ANTIALIAS | FONT_EDGE, -1, 2, 0);
    ASSERT_NE(font, -1);
    EXPECT_EQ(Font(font)->type, FONT_EDGE);
}

TEST_F(FontHandles, FortyFontsAtMost)
{
    std::vector<int> handles;
    for (int i = 1; i < kFontTableSize; ++i)
        handles.push_back(CreateFontToHandle(nullptr, 8 + i % 4, -1, -1, -1, -1, 0));
    for (int handle : handles) ASSERT_NE(handle, -1);
    EXPECT_EQ(CreateFontToHandle(nullptr, 16, -1, -1, -1, -1, 0), -1);
    EXPECT_NE(ReadLogWithoutStamps().find("作成できるフォントハンドル数 40 の限界を超えました"), std::string::npos);
    ASSERT_EQ(ReleaseFontHandle(handles[5]), 0);
    EXPECT_EQ(HandleIndex(CreateFontToHandle(nullptr, 16, -1, -1, -1, -1, 0)), 6);
}

TEST_F(FontHandles, RebuildKeepsHandlesAndEndEmptiesTheTable)
{
    int a = CreateFontToHandle(nullptr, 20, 4, FONT_EDGE, -1, 2, 0);
    int b = CreateFontToHandle("DejaVu Sans", 12, -1, FONT_ANTIALIAS, 0, -1, 1);
    SetFontSpacingOfHandle(2, b);
    ASSERT_EQ(SetFontKerningOfHandle(1, b), 0);
    ASSERT_EQ(PrecacheText(-1, "abc", a, nullptr, nullptr), 0);
    ASSERT_EQ(RebuildAllFonts(), 0);
    for (int handle : {QueryDefaultFont(), a, b}) EXPECT_EQ(IsFontHandleValid(handle), 1) << std::hex << handle;
    EXPECT_EQ(Font(a)->type, FONT_EDGE);
    EXPECT_EQ(Font(a)->codeMap['a'].cached, 0);  // rendered anew when next drawn
    EXPECT_EQ(Font(b)->spacing, 2);
    EXPECT_EQ(Font(b)->kerning, 1);
    EXPECT_EQ(Font(a)->kerning, 0);
    EXPECT_EQ(Font(b)->italic, 1);
    EXPECT_STREQ(Font(b)->faceName, "DejaVu Sans");

    int32_t released = 5;
    ASSERT_EQ(SetFontReleasedFlagOfHandle(a, &released), 0);
    EXPECT_EQ(released, 0);
    EXPECT_EQ(SetFontReleasedFlagOfHandle(-1, &released), -1);
    ASSERT_EQ(EndFontSystem(), 0);
    EXPECT_EQ(released, 1);
    for (HandleHeader* slot : FontSystem.slots) EXPECT_EQ(slot, nullptr);
    std::string log = ReadLogWithoutStamps();
    // InitFontSystem's pair, then EndFontSystem's.
    size_t first = log.find("フォントの初期化を行います\r\n");
    ASSERT_NE(first, std::string::npos);
    size_t second = log.find("フォントの初期化を行います\r\n", first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(log.find("フォントの初期化は正常に終了しました\r\n", second), std::string::npos);
    // EndFontSystem released everything it took.
    StopScreen();
    EXPECT_EQ(TrackedAllocationCount(), 0);
}

TEST_F(FontHandles, DefaultSizeAndThicknessRecreateTheDefaultFont)
{
    int before = QueryDefaultFont();
    EXPECT_EQ(SetDefaultFontSizeAndThickness(nullptr, 24, 3), 0);
    int after = QueryDefaultFont();
    EXPECT_NE(after, before);
    EXPECT_EQ(IsFontHandleValid(before), 0);
    EXPECT_EQ(GetFontSizeOfHandle(after), 24);
    EXPECT_EQ(SetDefaultFontSizeAndThickness(nullptr, -1, -1), 0);
    EXPECT_EQ(GetFontSizeOfHandle(QueryDefaultFont()), 16);
    // Sizes no font takes are refused and the default font stays; any thickness makes a weight.
    const int kept = QueryDefaultFont();
    for (int size : {INT_MAX, 1025, 0, -2, INT_MIN}) {
        EXPECT_EQ(SetDefaultFontSizeAndThickness(nullptr, size, -1), -1) << size;
        EXPECT_EQ(CreateFontToHandle(nullptr, size, -1, -1, -1, -1, 0), -1) << size;
        EXPECT_EQ(QueryDefaultFont(), kept);
    }
    for (int thickness : {INT_MAX, INT_MIN}) {
        const int font = CreateFontToHandle(nullptr, 16, thickness, -1, -1, -1, 0);
        EXPECT_NE(font, -1) << thickness;
        ReleaseFontHandle(font);
    }
    // A released default font is made again by the next refresh.
    ReleaseFontHandle(QueryDefaultFont());
    RefreshDefaultFont();
    EXPECT_EQ(IsFontHandleValid(QueryDefaultFont()), 1);
}

// Graphics set-up, release and a mode change of a started layer in a real (offscreen) window.
class FontsWithGraphics : public MediaLayerTest {};

TEST_F(FontsWithGraphics, SetUpStartsThemReleaseEndsThemModeChangeKeepsTheDefaultSize)
{
    ASSERT_EQ(SetUseHardware(0), 0);
    ASSERT_EQ(SetScreenMode(320, 240, 32, 0), 0);
    ASSERT_EQ(Start(), 0);
    ASSERT_EQ(ScreenSettings.graphicsReady, 1);
    EXPECT_EQ(QueryDefaultFont(), 0x20000000);
    EXPECT_EQ(GetFontSizeOfHandle(QueryDefaultFont()), 16);
    ASSERT_EQ(SetDefaultFontSizeAndThickness(nullptr, 20, 3), 0);
    int extra = CreateFontToHandle(nullptr, 12, -1, -1, -1, -1, 0);
    ASSERT_NE(extra, -1);

    ASSERT_EQ(ChangeScreenMode(400, 300, 32, 0, 0), 0);
    EXPECT_EQ(ScreenSettings.width, 400);
    EXPECT_EQ(IsFontHandleValid(extra), 0);  // every font went with the old mode
    int thickness = 0, size = 0;
    ASSERT_EQ(GetFontInfoOfHandle(nullptr, &size, &thickness, QueryDefaultFont()), 0);
    EXPECT_EQ(size, 20);
    EXPECT_EQ(thickness, 3);
    EXPECT_EQ(PrintText(0, 0, "Aa", PackColor(255, 255, 255)), 0);

    ASSERT_EQ(ReleaseGraphics(), 0);
    for (HandleHeader* slot : FontSystem.slots) EXPECT_EQ(slot, nullptr);
    // Set up again, the default font starts from its own settings.
    ASSERT_EQ(SetupGraphics(), 0);
    EXPECT_EQ(QueryDefaultFont(), 0x20000000);
    EXPECT_EQ(GetFontSizeOfHandle(QueryDefaultFont()), 16);

    ASSERT_EQ(EndMediaLayer(), 0);
    for (HandleHeader* slot : FontSystem.slots) EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(TrackedAllocationCount(), 0);
}
