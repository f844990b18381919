// Sprites: a sheet of pictures read from the archive "pictures.zaz" beside the program (the
// build packs the folder pictures/ with zazpack), drawn with transparency, alpha and additive
// blending, turned, scaled and mirrored, with circles, ellipses and polygons drawn around them.
// Arrow keys, the first joypad or the mouse wheel move the ship, which turns to where it heads;
// a click puts it where it was clicked; touching a rock (a pixel of its picture, read back)
// shakes the pad and plays a bump twice at once: panned to where the ship is, and as a fading
// echo from the other side; the count of bumps heard to their end comes from the end notices.
// S switches smooth scaling; the colour under the pointer is read from the screen and shown.
// F12 saves a screenshot and takes a photo of the frame around the ship, shown in the
// corner and saved as "photo.png". Escape ends it, however short the press: the input events
// keep every one.
#include "rorodiv.h"

#include "../wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

// A short falling tone as a 16-bit mono WAV file in memory: 22050 Hz, 0.15 s.
std::vector<uint8_t> MakeBumpWav()
{
    constexpr int kRate = 22050, kFrames = kRate * 15 / 100;
    std::vector<int16_t> samples(kFrames);
    double phase = 0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = double(i) / kFrames;
        phase += 2 * 3.14159265358979 * (220 - 120 * t) / kRate;
        samples[size_t(i)] = int16_t(12000 * (1 - t) * std::sin(phase));
    }
    return MakeWav(samples, kRate);
}

constexpr int kCell = 32;
enum Sprite { kShip, kRock, kGlow, kGhost, kSpriteCount };

struct Rock {
    int x, y;
};
constexpr Rock kRocks[] = {{200, 150}, {520, 120}, {360, 380}, {640, 420}, {120, 460}};

// The end notice of every play: bumps that sounded to their end are counted.
void CountEndedBump(int, int state, void* data)
{
    if (state == PLAY_STATE_ENDED) ++*static_cast<int*>(data);
}

// The ship's centre over a pixel of the rock's picture that shows (its alpha read back).
bool Touches(int centreX, int centreY, const Rock& rock, int rockGraphic)
{
    int alpha = 0;
    return ReadGraphicPixel(rockGraphic, centreX - rock.x, centreY - rock.y, nullptr, nullptr, nullptr, &alpha) == 0 &&
           alpha > 128;
}

// The log is off in this demo; the reason for a failure is still there to read.
int ExplainFailure(const char* call)
{
    char reason[512];
    const int kind = GetLastFailure(reason, sizeof reason);
    std::fprintf(stderr, "%s failed (kind %d): %s\n", call, kind, reason);
    return -1;
}

}  // namespace

int main()
{
    SetWindowTitle("Sprites");
    SetLogEnabled(0);
    SetLogInEnglish(1);  // GetLastFailure's texts (and the log's lines) in English
    ChangeWindowMode(1);
    SetAllowSecondCopy(1);  // a demo: several may run side by side to compare
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) return ExplainFailure("InitMediaLayer");
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // each PresentScreen shows one whole frame
    // "pictures/sheet.png" is found inside pictures.zaz when there is no such folder.
    int sprites[kSpriteCount];
    if (LoadDividedGraphic("pictures/sheet.png", kSpriteCount, kSpriteCount, 1, kCell, kCell, sprites) != 0) {
        ExplainFailure("LoadDividedGraphic");
        EndMediaLayer();
        return -1;
    }
    const int sheet = LoadGraphic("pictures/sheet.png");  // whole, for drawing parts of it
    // Without a sound device the handle is -1 and playing it does nothing.
    const std::vector<uint8_t> bumpWav = MakeBumpWav();
    const int bump = LoadSoundFromMemory(bumpWav.data(), int32_t(bumpWav.size()));
    int bumpsHeard = 0;
    SetPlayEndCallback(CountEndedBump, &bumpsHeard);  // called from PumpMessages
    int screenWidth, screenHeight, shipWidth, shipHeight;
    GetScreenSize(&screenWidth, &screenHeight);
    GetGraphicSize(sprites[kShip], &shipWidth, &shipHeight);
    int x = screenWidth / 2, y = screenHeight / 2, frame = 0;
    float heading = 0;  // degrees clockwise from up, where the ship last moved
    bool touching = false, quit = false, photoAsked = false, smooth = false;
    int photo = -1, photoCut = -1;  // the last photo and its part around the ship
    int32_t photoBytes = 0;
    std::vector<uint8_t> photoPng;
    char padName[64] = "";
    while (PumpMessages() == 0 && !quit) {
        InputEvent event;
        while (ReadInputEvent(&event) == 0) {
            if (event.kind == INPUT_EVENT_KEY_DOWN && event.code == KEYCODE_ESCAPE) quit = true;
            if (event.kind == INPUT_EVENT_KEY_DOWN && event.code == KEYCODE_F12 && !event.repeat) photoAsked = true;
            if (event.kind == INPUT_EVENT_KEY_DOWN && event.code == KEYCODE_S && !event.repeat) {
                smooth = !smooth;
                SetSmoothScaling(smooth ? 1 : 0);
            }
            if (event.kind == INPUT_EVENT_BUTTON_DOWN && event.code == MOUSE_LEFT) {
                x = event.x - shipWidth / 2;
                y = event.y - shipHeight / 2;
            }
            // A pad plugged in while it runs: its name shows until the next one comes.
            if (event.kind == INPUT_EVENT_PAD_CONNECTED) GetPadName(event.code, padName, sizeof padName);
        }
        PadControls controls;  // a pad SDL knows: its start button ends the demo too
        if (ReadPadControls(1, &controls) == 0 && (controls.buttons & PAD_START)) quit = true;
        int32_t wheel = 0;
        ReadMouseWheel(&wheel, nullptr);
        y -= wheel * 16;
        JoypadInput pad;
        ReadJoypadInput(1, &pad);  // centred when there is no pad
        const int moveX = (IsKeyDown(KEYCODE_RIGHT) - IsKeyDown(KEYCODE_LEFT)) * 4 + pad.x / 250;
        const int moveY = (IsKeyDown(KEYCODE_DOWN) - IsKeyDown(KEYCODE_UP)) * 4 + pad.y / 250;
        if (moveX != 0 || moveY != 0) heading = float(std::atan2(moveX, -moveY) * 180 / 3.14159265358979);
        x += moveX;
        y += moveY;
        x = x < 0 ? 0 : x > screenWidth - shipWidth ? screenWidth - shipWidth : x;
        y = y < 0 ? 0 : y > screenHeight - shipHeight ? screenHeight - shipHeight : y;

        bool hit = false;
        for (const Rock& rock : kRocks)
            hit = hit || Touches(x + shipWidth / 2, y + shipHeight / 2, rock, sprites[kRock]);
        if (hit && !touching) {
            StartPadVibration(1, 800, 200);
            // Two plays of one sound, panned apart; the echo fades out over 120 ms.
            const int pan = (x - screenWidth / 2) * 255 / (screenWidth / 2);
            const int near = StartSound(bump, SOUND_PLAY_BACK);
            const int echo = StartSound(bump, SOUND_PLAY_BACK);
            SetPlayPan(near, pan);
            SetPlayPan(echo, -pan);
            SetPlayVolume(echo, 160);
            FadePlay(echo, 120, 0);
        }
        touching = hit;

        ClearScreen();
        SetBlendMode(BLEND_NONE, 0);
        for (int i = 0; i < 60; ++i)  // stars, twinkling
            DrawPoint(i * 131 % screenWidth, i * 71 % screenHeight, PackColor(255, 255, 200 + (frame + i * 9) % 56));
        const int32_t compass[8][2] = {{760, 40}, {766, 54}, {780, 60}, {766, 66},
                                       {760, 80}, {754, 66}, {740, 60}, {754, 54}};  // concave, a four-pointed star
        DrawPolygonShape(compass, 8, PackColor(220, 200, 90), 1);
        DrawPolygonShape(compass, 8, PackColor(255, 255, 255), 0);
        for (size_t i = 0; i < std::size(kRocks); ++i) {
            const Rock& rock = kRocks[i];
            SetBlendMode(BLEND_ALPHA, 80);  // a faint shadow under each rock
            DrawEllipse(rock.x + kCell / 2 + 4, rock.y + kCell - 2, kCell / 2, 5, PackColor(120, 100, 160), 1);
            SetBlendMode(BLEND_NONE, 0);
            // The rock's part of the whole sheet, turning, every other one mirrored and larger.
            const float scale = i % 2 == 0 ? 1.0f : 1.5f;
            const GraphicTransform spin{kRock * kCell,
                                        0,
                                        kCell,
                                        kCell,
                                        float(rock.x + kCell / 2),
                                        float(rock.y + kCell / 2),
                                        kCell / 2.0f,
                                        kCell / 2.0f,
                                        scale,
                                        scale,
                                        float(frame * int(i + 1) % 360),
                                        int(i % 4)};
            PutGraphicTransformed(sheet, &spin, 1);  // transparency: the picture's alpha
        }
        const float pulse = 1.0f + 0.25f * float(std::sin(frame * 0.1));
        SetBlendMode(BLEND_ADD, 255);  // the glow lightens, pulsing
        PutGraphicStretched(x + int(16 - 16 * pulse), y + 18, x + int(16 + 16 * pulse), y + 18 + int(32 * pulse),
                            sprites[kGlow], 0);
        SetBlendMode(BLEND_ALPHA, 96);  // a faint trail, mirrored to the side it moves from
        PutGraphicTurned(float(x + 10), float(y + 26), 1, 0, sprites[kGhost], 1, heading < 0 ? FLIP_HORIZONTAL : 0);
        SetBlendMode(BLEND_NONE, 0);
        PutGraphicTurned(float(x + shipWidth / 2), float(y + shipHeight / 2), 1, heading, sprites[kShip], 1, 0);
        DrawCircleShape(x + shipWidth / 2, y + shipHeight / 2, 26,
                        hit ? PackColor(255, 80, 60) : PackColor(60, 160, 255), 0);
        int mouseX = 0, mouseY = 0, red = 0, green = 0, blue = 0;
        ReadMousePosition(&mouseX, &mouseY);
        ReadScreenPixel(mouseX, mouseY, &red, &green, &blue);  // before the pointer is drawn over it
        DrawTriangleShape(mouseX, mouseY, mouseX + 12, mouseY + 5, mouseX + 5, mouseY + 12, PackColor(255, 255, 255),
                          1);
        PrintTextFormat(8, 28, PackColor(255, 255, 255), "under the pointer: %d %d %d   smooth scaling (S): %s", red,
                        green, blue, smooth ? "on" : "off");
        int windowWidth = 0, windowHeight = 0;  // differs from the screen when the window is scaled
        GetWindowDrawableSize(&windowWidth, &windowHeight);
        PrintTextFormat(8, 8, PackColor(255, 255, 255), "frame %d  window %d x %d  bumps %d  %s  %s", frame++,
                        windowWidth, windowHeight, bumpsHeard, hit ? "hit!" : "", padName);
        if (photoCut != -1) {
            PutGraphic(screenWidth - 200, screenHeight - 104, photoCut, 0);
            PrintTextFormat(screenWidth - 200, screenHeight - 124, PackColor(255, 255, 255), "photo: %d bytes",
                            photoBytes);
        }
        PresentScreen();
        // F12: the frame just shown as "screenshot.png" beside the program, and a photo of it
        // kept in memory, loaded back as a graphic and cut around the ship.
        if (photoAsked) {
            photoAsked = false;
            SaveScreenToPng("screenshot.png");
            photoPng.resize(size_t(std::max(SaveScreenToPngMemory(nullptr, 0), 0)));
            if (!photoPng.empty() &&
                SaveScreenToPngMemory(photoPng.data(), int32_t(photoPng.size())) == int32_t(photoPng.size())) {
                DestroyGraphic(photoCut);
                DestroyGraphic(photo);
                photo = LoadGraphicFromMemory(photoPng.data(), int32_t(photoPng.size()));
                photoCut = CreateSubGraphic(std::max(x - 48, 0), std::max(y - 32, 0), 128, 96, photo);
                SaveGraphicToPng(photoCut, "photo.png");
                photoBytes = SaveGraphicToPngMemory(photoCut, nullptr, 0);  // the size alone
            }
        }
    }
    DestroyGraphic(sheet);
    EndMediaLayer();
    return 0;
}
