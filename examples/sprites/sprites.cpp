// Sprites: a sheet of pictures read from the archive "pictures.zaz" beside the program (the
// build packs the folder pictures/ with zazpack), drawn with transparency, alpha and additive
// blending. Arrow keys, the first joypad or the mouse wheel move the ship, a click puts it
// where it was clicked; touching a rock shakes the pad and plays a bump twice at once: panned
// to where the ship is, and as a fading echo from the other side; the count of bumps heard to
// their end comes from the end notices. F12 saves a screenshot and takes a photo of the frame around the ship, shown in the
// corner and saved as "photo.png". Escape ends it, however short the press: the input events
// keep every one.
#include "rorodiv.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A short falling tone as a 16-bit mono WAV file in memory: 22050 Hz, 0.15 s.
std::vector<uint8_t> MakeBumpWav()
{
    constexpr int kRate = 22050, kFrames = kRate * 15 / 100;
    std::vector<uint8_t> wav(44 + kFrames * 2);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&wav[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&wav[at], &v, 2); };
    std::memcpy(&wav[0], "RIFF", 4);
    put32(4, uint32_t(wav.size() - 8));
    std::memcpy(&wav[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);  // PCM
    put16(22, 1);  // mono
    put32(24, kRate);
    put32(28, kRate * 2);
    put16(32, 2);
    put16(34, 16);
    std::memcpy(&wav[36], "data", 4);
    put32(40, kFrames * 2);
    double phase = 0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = double(i) / kFrames;
        phase += 2 * 3.14159265358979 * (220 - 120 * t) / kRate;
        put16(44 + size_t(i) * 2, uint16_t(int16_t(12000 * (1 - t) * std::sin(phase))));
    }
    return wav;
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

bool Touches(int x, int y, const Rock& rock)
{
    int dx = x - rock.x, dy = y - rock.y;
    return dx * dx + dy * dy < (kCell - 6) * (kCell - 6);
}

}  // namespace

int main()
{
    SetWindowTitle("Sprites");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetAllowSecondCopy(1);  // a demo: several may run side by side to compare
    SetScreenMode(800, 600, 32, 60);
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);  // each PresentScreen shows one whole frame
    // "pictures/sheet.png" is found inside pictures.zaz when there is no such folder.
    int sprites[kSpriteCount];
    if (LoadDividedGraphic("pictures/sheet.png", kSpriteCount, kSpriteCount, 1, kCell, kCell, sprites) != 0) {
        EndMediaLayer();
        return -1;
    }
    // Without a sound device the handle is -1 and playing it does nothing.
    const std::vector<uint8_t> bumpWav = MakeBumpWav();
    const int bump = LoadSoundFromMemory(bumpWav.data(), int32_t(bumpWav.size()));
    int bumpsHeard = 0;
    SetPlayEndCallback(CountEndedBump, &bumpsHeard);  // called from PumpMessages
    int screenWidth, screenHeight, shipWidth, shipHeight;
    GetScreenSize(&screenWidth, &screenHeight);
    GetGraphicSize(sprites[kShip], &shipWidth, &shipHeight);
    int x = screenWidth / 2, y = screenHeight / 2, frame = 0;
    bool touching = false, quit = false, photoAsked = false;
    int photo = -1, photoCut = -1;  // the last photo and its part around the ship
    int32_t photoBytes = 0;
    std::vector<uint8_t> photoPng;
    char padName[64] = "";
    while (PumpMessages() == 0 && !quit) {
        InputEvent event;
        while (ReadInputEvent(&event) == 0) {
            if (event.kind == INPUT_EVENT_KEY_DOWN && event.code == KEYCODE_ESCAPE) quit = true;
            if (event.kind == INPUT_EVENT_KEY_DOWN && event.code == KEYCODE_F12 && !event.repeat) photoAsked = true;
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
        x += (IsKeyDown(KEYCODE_RIGHT) - IsKeyDown(KEYCODE_LEFT)) * 4 + pad.x / 250;
        y += (IsKeyDown(KEYCODE_DOWN) - IsKeyDown(KEYCODE_UP)) * 4 + pad.y / 250;
        x = x < 0 ? 0 : x > screenWidth - shipWidth ? screenWidth - shipWidth : x;
        y = y < 0 ? 0 : y > screenHeight - shipHeight ? screenHeight - shipHeight : y;

        bool hit = false;
        for (const Rock& rock : kRocks) hit = hit || Touches(x, y, rock);
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
        for (const Rock& rock : kRocks)
            PutGraphic(rock.x, rock.y, sprites[kRock], 1);  // transparency: the picture's alpha
        SetBlendMode(BLEND_ADD, 255);                       // the glow lightens
        PutGraphic(x, y + 18, sprites[kGlow], 0);
        SetBlendMode(BLEND_ALPHA, 96);  // a faint trail
        PutGraphic(x - 6, y + 10, sprites[kGhost], 1);
        SetBlendMode(BLEND_NONE, 0);
        PutGraphic(x, y, sprites[kShip], 1);
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
    EndMediaLayer();
    return 0;
}
