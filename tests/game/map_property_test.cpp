// Generated fields over many seeds: every promise the rest of the game relies on.
#include <gtest/gtest.h>

#include <vector>

#include "country_grid.h"
#include "neighbour_table.h"
#include "random/random.h"

using namespace ror;

namespace {

constexpr uint32_t kSeeds = 3000;

std::vector<int32_t> drawMaxima;

int32_t RecordedRandomUpTo(int32_t max)
{
    drawMaxima.push_back(max);
    return RandomUpTo(max);
}

// Cells of `country` reachable from its initial cell through the four-neighbourhood.
int32_t ReachableFromInitialCell(const CountryCells& grid, int32_t country)
{
    std::vector<bool> seen(kFieldCells, false);
    std::vector<int32_t> pending = {country};
    seen[country] = true;
    int32_t reached = 0;
    while (!pending.empty()) {
        int32_t cell = pending.back();
        pending.pop_back();
        ++reached;
        int32_t row = cell / kFieldColumns, column = cell % kFieldColumns;
        const int32_t steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        for (const auto& step : steps) {
            int32_t r = row + step[0], c = column + step[1];
            if (r < 0 || r >= kFieldRows || c < 0 || c >= kFieldColumns) continue;
            int32_t next = r * kFieldColumns + c;
            if (!seen[next] && grid[next] == country) {
                seen[next] = true;
                pending.push_back(next);
            }
        }
    }
    return reached;
}

// Numbers in range, each country connected and holding its initial cell; returns the largest size.
int32_t CheckCountries(const CountryCells& grid)
{
    int32_t largest = 0;
    for (int32_t cell = 0; cell < kFieldCells; ++cell) {
        int32_t country = grid[cell];
        EXPECT_GE(country, 0);
        EXPECT_LT(country, kFieldCells);
        if (country < 0 || country >= kFieldCells) return 0;
        EXPECT_EQ(grid[country], country) << "country " << country << " lost its initial cell";
    }
    for (int32_t country = 0; country < kFieldCells; ++country) {
        if (grid[country] != country) continue;
        int32_t size = CountrySize(grid, country);
        EXPECT_EQ(ReachableFromInitialCell(grid, country), size) << "country " << country << " is split";
        largest = std::max(largest, size);
    }
    return largest;
}

// The draws come in 200 attempts of (11, 7) or (11, 7, 3).
void CheckDrawPattern(const std::vector<int32_t>& maxima)
{
    size_t at = 0;
    int32_t attempts = 0, withDirection = 0;
    while (at < maxima.size()) {
        ASSERT_LE(at + 2, maxima.size());
        ASSERT_EQ(maxima[at], 11);
        ASSERT_EQ(maxima[at + 1], 7);
        at += 2;
        if (at < maxima.size() && maxima[at] == 3) {
            ++withDirection;
            ++at;
        }
        ++attempts;
    }
    EXPECT_EQ(attempts, kMergeAttempts);
    EXPECT_EQ(maxima.size(), size_t(400 + withDirection));
}

void CheckNeighbourTable(const CountryCells& grid)
{
    // Every pair of touching cells, both ways, and nothing else.
    std::vector<uint8_t> expected(kFieldCells * kFieldCells, 0);
    for (int32_t cell = 0; cell < kFieldCells; ++cell) {
        int32_t column = cell % kFieldColumns;
        if (column + 1 < kFieldColumns) {
            expected[grid[cell] * kFieldCells + grid[cell + 1]] = 1;
            expected[grid[cell + 1] * kFieldCells + grid[cell]] = 1;
        }
        if (cell + kFieldColumns < kFieldCells) {
            expected[grid[cell] * kFieldCells + grid[cell + kFieldColumns]] = 1;
            expected[grid[cell + kFieldColumns] * kFieldCells + grid[cell]] = 1;
        }
    }
    for (int32_t a = 0; a < kFieldCells; ++a) {
        bool survives = grid[a] == a;
        EXPECT_EQ(NeighbourTable[a * kFieldCells + a], survives ? 1 : 0) << "diagonal of " << a;
        for (int32_t b = 0; b < kFieldCells; ++b) {
            uint8_t byte = NeighbourTable[a * kFieldCells + b];
            EXPECT_EQ(byte, expected[a * kFieldCells + b]) << a << " and " << b;
            EXPECT_EQ(byte, NeighbourTable[b * kFieldCells + a]) << a << " and " << b;
        }
    }
}

TEST(MapPropertyTest, InvariantsHoldOverManySeeds)
{
    for (uint32_t seed = 0; seed < kSeeds; ++seed) {
        SCOPED_TRACE(seed);
        SeedRandom(seed);
        drawMaxima.clear();
        CountryCells grid{};
        NumberCountries(grid);
        MergeCountries(grid, RecordedRandomUpTo);
        EXPECT_LE(CheckCountries(grid), kMaxMergedSize);
        CheckDrawPattern(drawMaxima);

        JoinSingleCells(grid);
        CheckCountries(grid);
        for (int32_t cell = 0; cell < kFieldCells; ++cell) {
            EXPECT_NE(CountrySize(grid, grid[cell]), 1) << "single cell " << cell;
        }

        // The game's own entry gives the same field from the same seed.
        SeedRandom(seed);
        GenerateCountries();
        ASSERT_EQ(CountryGrid, grid);

        BuildNeighbourTable();
        CheckNeighbourTable(grid);
        if (HasFailure()) break;  // one seed's report is enough
    }
}

}  // namespace
