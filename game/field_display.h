// One frame's picture of the field: fills, borders, then the status column.
#pragma once
#include <cstdint>

void DrawField();

// The lines of the status column, as DrawStatusColumn prints them.
struct StatusLine {
    int32_t y;
    char text[48];
};
// Fills up to three lines; returns how many. The first (pointer position) is always there.
int BuildStatusLines(StatusLine lines[3]);
void DrawStatusColumn();
