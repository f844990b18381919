// The field divided into countries: 12 columns by 8 rows of cells, each holding its country's number.
#pragma once
#include <array>
#include <cstdint>

constexpr int32_t kFieldColumns = 12;
constexpr int32_t kFieldRows = 8;
constexpr int32_t kFieldCells = kFieldColumns * kFieldRows;  // also the count of country numbers
constexpr int32_t kMergeAttempts = 200;
constexpr int32_t kMaxMergedSize = 5;  // a merge that would reach 6 cells is refused

// Row-major: the cell at row r, column c is index r * 12 + c. Country n starts as cell n.
using CountryCells = std::array<int32_t, kFieldCells>;

// The game's field, written only by GenerateCountries.
extern CountryCells CountryGrid;

// Where generation draws its numbers: a uniform integer 0..max. The game uses RandomUpTo.
using RandomDraw = int32_t (*)(int32_t max);

// Divides the field into countries at random, drawing through RandomUpTo.
void GenerateCountries();

// The same, drawing from `draw`; a scripted source gives a fully determined field.
void GenerateCountriesFrom(RandomDraw draw);

// The three phases, in the order generation runs them.
void NumberCountries(CountryCells& grid);
void MergeCountries(CountryCells& grid, RandomDraw draw);  // 200 merge attempts
void AttemptMerge(CountryCells& grid, RandomDraw draw);
void JoinSingleCells(CountryCells& grid);

// Cells holding `country`, counted over the whole grid.
int32_t CountrySize(const CountryCells& grid, int32_t country);
