// The frame's rules that need no window: which cell the pointer is over, and the status lines.
#include "country_grid.h"
#include "field_display.h"
#include "game_state.h"

#include <gtest/gtest.h>

#include <string>

TEST(HoverCellTest, FieldReactsFrom16To591And399)
{
    struct Case {
        int32_t x, y, column, row;
    };
    const Case cases[] = {
        {15, 15, -1, -1},
        {15, 200, -1, -1},
        {200, 15, -1, -1},
        {16, 16, 0, 0},
        {63, 63, 0, 0},
        {64, 64, 1, 1},
        {591, 399, 11, 7},
        {592, 399, -1, -1},
        {591, 400, -1, -1},
        {592, 400, -1, -1},
        {-3, 100, -1, -1},
        {100, -40, -1, -1},
        {-2147483647 - 1, 20, -1, -1},
        {700, 300, -1, -1},
    };
    for (const Case& c : cases) {
        const HoverCell cell = HoverCellAt(c.x, c.y);
        EXPECT_EQ(cell.column, c.column) << c.x << "," << c.y;
        EXPECT_EQ(cell.row, c.row) << c.x << "," << c.y;
    }
}

TEST(StatusColumnTest, LinesArePaddedAndOnlyAHoveredCellAddsTwo)
{
    NumberCountries(CountryGrid);  // cell n holds country n
    struct Case {
        int32_t mouseX, mouseY;
        std::vector<std::pair<int32_t, std::string>> lines;
    };
    const Case cases[] = {
        {5, 7, {{32, "MousePos(  5,  7)"}}},
        {-3, 1234, {{32, "MousePos( -3,1234)"}}},
        {16, 16, {{32, "MousePos( 16, 16)"}, {64, "FieldPos(  0,  0)"}, {80, "Country:  0"}}},
        {591, 399, {{32, "MousePos(591,399)"}, {64, "FieldPos( 11,  7)"}, {80, "Country: 95"}}},
        {592, 100, {{32, "MousePos(592,100)"}}},
    };
    for (const Case& c : cases) {
        Game.mouseX = c.mouseX;
        Game.mouseY = c.mouseY;
        Game.hover = HoverCellAt(c.mouseX, c.mouseY);
        StatusLine lines[3];
        const int count = BuildStatusLines(lines);
        ASSERT_EQ(count, int(c.lines.size())) << c.mouseX << "," << c.mouseY;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(lines[i].y, c.lines[i].first);
            EXPECT_EQ(std::string(lines[i].text), c.lines[i].second);
        }
    }
}

TEST(GameStateTest, WhiteIsPackedBeforeTheLayerStarts) { EXPECT_EQ(Game.white, 0xFFFFFFFFu); }
