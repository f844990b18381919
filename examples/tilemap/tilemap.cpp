// Tile map: a map of 96 x 64 tiles, far larger than the 320 x 240 screen, drawn from one tile
// sheet with PutGraphicPart and scrolled with the arrow keys (or W A S D), by dragging with the
// left mouse button, or with the wheel. The window is resizable and shows the small screen
// scaled up (three times at first); the tile under the pointer is outlined, found through the
// mouse position the layer maps back from the scaled window, bars included.
// F11 switches desktop full screen on and off, I switches between a fit that keeps the aspect
// and whole-number steps, F12 saves "tilemap.png". Escape ends it.
#include "rorodiv.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

constexpr int kTile = 16, kMapWidth = 96, kMapHeight = 64;
constexpr int kScreenWidth = 320, kScreenHeight = 240;
enum Terrain { kWater, kSand, kGrass, kForest, kHill, kRoad, kTerrainCount };

// A smooth height from a hashed lattice, so the map has coasts, plains and hills.
uint32_t Hash(int x, int y)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

int Height(int x, int y)
{
    constexpr int kCellSize = 8;
    const int cx = x / kCellSize, cy = y / kCellSize, fx = x % kCellSize, fy = y % kCellSize;
    auto corner = [](int i, int j) { return int(Hash(i, j) % 256); };
    const int top = corner(cx, cy) * (kCellSize - fx) + corner(cx + 1, cy) * fx;
    const int bottom = corner(cx, cy + 1) * (kCellSize - fx) + corner(cx + 1, cy + 1) * fx;
    return (top * (kCellSize - fy) + bottom * fy) / (kCellSize * kCellSize);
}

Terrain TerrainAt(int x, int y)
{
    if (y == kMapHeight / 2 || x == kMapWidth / 3) return kRoad;
    const int h = Height(x, y);
    return h < 90 ? kWater : h < 105 ? kSand : h < 160 ? kGrass : h < 200 ? kForest : kHill;
}

// The tile sheet, one row of tiles drawn once into a graphic at start-up.
int MakeTileSheet()
{
    const int sheet = CreateBlankGraphic(kTile * kTerrainCount, kTile);
    if (sheet == -1) return -1;
    SetDrawTarget(sheet);
    const uint32_t ground[kTerrainCount] = {PackColor(40, 90, 200), PackColor(220, 200, 130), PackColor(80, 170, 70),
                                            PackColor(40, 120, 50), PackColor(140, 120, 100), PackColor(170, 150, 110)};
    for (int t = 0; t < kTerrainCount; ++t) {
        const int left = t * kTile;
        DrawRect(left, 0, left + kTile, kTile, ground[t], 1);
        switch (t) {
        case kWater:
            DrawSegment(left + 2, 5, left + 8, 5, PackColor(120, 170, 240), 1);
            DrawSegment(left + 8, 11, left + 14, 11, PackColor(120, 170, 240), 1);
            break;
        case kSand:
            DrawPoint(left + 4, 4, PackColor(190, 170, 100));
            DrawPoint(left + 11, 10, PackColor(190, 170, 100));
            break;
        case kGrass: DrawSegment(left + 5, 9, left + 6, 6, PackColor(50, 130, 40), 1); break;
        case kForest:
            DrawTriangleShape(left + 8, 1, left + 2, 13, left + 14, 13, PackColor(20, 80, 30), 1);
            DrawRect(left + 7, 13, left + 9, 16, PackColor(100, 70, 40), 1);
            break;
        case kHill: DrawEllipse(left + 8, 11, 6, 4, PackColor(170, 150, 130), 1); break;
        case kRoad: DrawRect(left, 6, left + kTile, 10, PackColor(200, 190, 160), 1); break;
        }
    }
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);
    return sheet;
}

}  // namespace

int main()
{
    SetWindowTitle("Tile map");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetAllowSecondCopy(1);
    SetScreenMode(kScreenWidth, kScreenHeight, 32, 60);
    SetWindowScale(3);      // a small screen, shown large on a large monitor
    SetWindowResizable(1);  // and fitted into whatever size the window is given
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // each PresentScreen shows one whole frame
    const int sheet = MakeTileSheet();
    if (sheet == -1) {
        EndMediaLayer();
        return -1;
    }
    const int font = CreateFontToHandle(nullptr, 10, -1, FONT_NORMAL, -1, -1, 0);
    int cameraX = (kMapWidth * kTile - kScreenWidth) / 2, cameraY = (kMapHeight * kTile - kScreenHeight) / 2;
    bool quit = false, desktop = false, whole = false, dragging = false, shotAsked = false;
    int dragX = 0, dragY = 0;
    while (PumpMessages() == 0 && !quit) {
        InputEvent event;
        while (ReadInputEvent(&event) == 0) {
            const bool press = event.kind == INPUT_EVENT_KEY_DOWN && !event.repeat;
            if (press && event.code == KEYCODE_ESCAPE) quit = true;
            if (press && event.code == KEYCODE_F11) SetDesktopFullScreen((desktop = !desktop) ? 1 : 0);
            if (press && event.code == KEYCODE_I)
                SetScreenFitMode((whole = !whole) ? SCREEN_FIT_INTEGER : SCREEN_FIT_ASPECT);
            if (press && event.code == KEYCODE_F12) shotAsked = true;
            if (event.kind == INPUT_EVENT_BUTTON_DOWN && event.code == MOUSE_LEFT) {
                dragging = true;
                dragX = event.x;
                dragY = event.y;
            }
            if (event.kind == INPUT_EVENT_BUTTON_UP && event.code == MOUSE_LEFT) dragging = false;
        }
        int32_t mouseX = 0, mouseY = 0, wheel = 0;
        ReadMousePosition(&mouseX, &mouseY);  // screen pixels, also over the bars
        ReadMouseWheel(&wheel, nullptr);
        if (dragging) {
            cameraX -= mouseX - dragX;
            cameraY -= mouseY - dragY;
            dragX = mouseX;
            dragY = mouseY;
        }
        const int speed = IsKeyDown(KEYCODE_LSHIFT) ? 8 : 3;
        cameraX +=
            ((IsKeyDown(KEYCODE_RIGHT) | IsKeyDown(KEYCODE_D)) - (IsKeyDown(KEYCODE_LEFT) | IsKeyDown(KEYCODE_A))) *
            speed;
        cameraY +=
            ((IsKeyDown(KEYCODE_DOWN) | IsKeyDown(KEYCODE_S)) - (IsKeyDown(KEYCODE_UP) | IsKeyDown(KEYCODE_W))) * speed;
        cameraY -= wheel * kTile;
        cameraX = std::clamp(cameraX, 0, kMapWidth * kTile - kScreenWidth);
        cameraY = std::clamp(cameraY, 0, kMapHeight * kTile - kScreenHeight);

        // Only the tiles that show: one column and row more than fit, for the part cut off.
        const int firstX = cameraX / kTile, firstY = cameraY / kTile;
        for (int y = firstY; y <= firstY + kScreenHeight / kTile && y < kMapHeight; ++y)
            for (int x = firstX; x <= firstX + kScreenWidth / kTile && x < kMapWidth; ++x)
                PutGraphicPart(x * kTile - cameraX, y * kTile - cameraY, TerrainAt(x, y) * kTile, 0, kTile, kTile,
                               sheet, 0);
        const bool inside = mouseX >= 0 && mouseY >= 0 && mouseX < kScreenWidth && mouseY < kScreenHeight;
        const int tileX = (mouseX + cameraX) / kTile, tileY = (mouseY + cameraY) / kTile;
        if (inside) {
            const int left = tileX * kTile - cameraX, top = tileY * kTile - cameraY;
            DrawRect(left, top, left + kTile, top + kTile, PackColor(255, 255, 255), 0);
        }
        DrawRect(0, 0, kScreenWidth, 14, PackColor(0, 0, 0), 1);
        int placeX = 0, placeY = 0, shownWidth = 0, shownHeight = 0;
        GetScreenPlacement(&placeX, &placeY, &shownWidth, &shownHeight);
        char status[128];
        std::snprintf(status, sizeof status, "tile %d,%d  mouse %d,%d  shown %dx%d %s", inside ? tileX : -1,
                      inside ? tileY : -1, mouseX, mouseY, shownWidth, shownHeight, whole ? "whole steps" : "aspect");
        PrintTextWithFont(3, 2, status, PackColor(255, 255, 255), font);
        PresentScreen();
        if (shotAsked) {
            shotAsked = false;
            SaveScreenToPng("tilemap.png");
        }
    }
    DestroyGraphic(sheet);
    EndMediaLayer();
    return 0;
}
