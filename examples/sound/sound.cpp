// Sound: music and plays a game directs. A short melody loops as music, read from the archive
// "melodies.zaz" beside the program in each format the build could encode (Opus, FLAC, MP3
// and WAV; F plays the next); without the archive the program writes "melody.wav" itself.
// Its position shows, Left and Right move it a second, M stops it (the end notice says how it
// ended). A hum plays under it: Space pauses and resumes that play, Up and Down change its
// rate. B sounds a blip at most 100 ms long; the line below shows the device's real format and
// how often a stream ran dry. Escape ends it.
#include "rorodiv.h"

#include "../wav_file.h"
#include "melody.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRate = kMelodyRate;

// The melody in each format; "melodies/" is found inside melodies.zaz.
const char* const kPieces[] = {"melodies/melody.opus", "melodies/melody.flac", "melodies/melody.mp3",
                               "melodies/melody.wav"};
constexpr int kPieceCount = int(sizeof kPieces / sizeof kPieces[0]);

// Plays the first piece from `next` on that plays; its index, or -1 when none does.
int PlayPieceFrom(int next)
{
    for (int tried = 0; tried < kPieceCount; ++tried) {
        const int piece = (next + tried) % kPieceCount;
        if (PlayMusic(kPieces[piece], 1) == 0) return piece;
    }
    return -1;
}

const char* StateName(int state)
{
    static const char* const names[] = {"none", "playing", "paused", "ended", "stopped", "stolen"};
    return state >= 0 && state <= PLAY_STATE_STOLEN ? names[state] : "?";
}

void NoteMusicEnd(int state, void* data) { *static_cast<int*>(data) = state; }

}  // namespace

int main()
{
    SetWindowTitle("Sound");
    SetLogEnabled(0);
    ChangeWindowMode(1);
    SetAllowSecondCopy(1);
    SetScreenMode(640, 200, 32, 60);
    if (InitMediaLayer() != 0) return -1;
    SetDrawTarget(DRAW_TARGET_BACK_SCREEN);

    int musicEnd = PLAY_STATE_NONE;
    SetMusicEndCallback(NoteMusicEnd, &musicEnd);  // from PumpMessages
    int piece = PlayPieceFrom(0);
    if (piece < 0) {
        const std::vector<uint8_t> melody = MakeWav(Melody(), kRate);
        if (FILE* file = std::fopen("melody.wav", "wb")) {
            std::fwrite(melody.data(), 1, melody.size(), file);
            std::fclose(file);
        }
        PlayMusic("melody.wav", 1);
    }

    const std::vector<uint8_t> humWav = MakeWav(Tones({110}, 1.0, 4000), kRate);
    const std::vector<uint8_t> blipWav = MakeWav(Tones({880}, 0.4, 6000), kRate);
    const int humSound = LoadSoundFromMemory(humWav.data(), int32_t(humWav.size()));
    const int blipSound = LoadSoundFromMemory(blipWav.data(), int32_t(blipWav.size()));
    const int hum = StartSound(humSound, SOUND_PLAY_LOOP);  // -1 without a sound device
    int humRate = kRate, blip = -1;
    bool humPaused = false, quit = false;

    int rate = 0, channels = 0, sampleType = 0, bufferFrames = 0;
    GetSoundDeviceFormat(&rate, &channels, &sampleType, &bufferFrames);
    while (PumpMessages() == 0 && !quit) {
        InputEvent event;
        while (ReadInputEvent(&event) == 0) {
            if (event.kind != INPUT_EVENT_KEY_DOWN) continue;
            switch (event.code) {
            case KEYCODE_ESCAPE: quit = true; break;
            case KEYCODE_LEFT: SetMusicPositionSeconds(std::fmax(GetMusicPositionSeconds() - 1.0, 0.0)); break;
            case KEYCODE_RIGHT: SetMusicPositionSeconds(GetMusicPositionSeconds() + 1.0); break;
            case KEYCODE_M: StopMusic(); break;
            case KEYCODE_F:
                if (piece >= 0) piece = PlayPieceFrom(piece + 1);
                break;
            case KEYCODE_SPACE:
                humPaused = !humPaused;
                humPaused ? PausePlay(hum) : ResumePlay(hum);
                break;
            case KEYCODE_UP:
            case KEYCODE_DOWN:
                humRate = event.code == KEYCODE_UP ? humRate * 9 / 8 : humRate * 8 / 9;
                humRate = humRate < 4000 ? 4000 : humRate > 88200 ? 88200 : humRate;
                SetPlayFrequency(hum, humRate);
                break;
            case KEYCODE_B:
                blip = StartSound(blipSound, SOUND_PLAY_BACK);
                SetPlayTimeLimit(blip, 100);
                break;
            }
        }
        ClearScreen();
        const uint32_t white = PackColor(255, 255, 255);
        PrintTextFormat(8, 8, white, "music: %s at %.2f s (frame %lld)  last end: %s", StateName(GetMusicState()),
                        GetMusicPositionSeconds(), static_cast<long long>(GetMusicPosition()), StateName(musicEnd));
        PrintTextFormat(8, 24, white, "piece: %s", piece >= 0 ? kPieces[piece] : "melody.wav");
        PrintTextFormat(8, 40, white, "hum: %s at %d Hz   blip: %s", StateName(GetPlayState(hum)), humRate,
                        blip < 0 ? "-" : StateName(GetPlayState(blip)));
        PrintTextFormat(8, 72, white, "device: %d Hz, %d channels, %d-bit, %d frames a buffer; ran dry %lld times",
                        rate, channels, sampleType, bufferFrames, static_cast<long long>(GetSoundUnderrunCount()));
        PrintTextFormat(8, 120, PackColor(160, 160, 160),
                        "Left/Right: seek  M: stop music  F: next format  Space: pause hum");
        PrintTextFormat(8, 144, PackColor(160, 160, 160), "Up/Down: hum rate  B: blip  Escape: end");
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
