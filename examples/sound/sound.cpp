// Sound: music and plays a game directs. A short melody, written beside the program as
// "melody.wav", loops as music; its position shows, Left and Right move it a second, M stops
// it (the end notice says how it ended). A hum plays under it: Space pauses and resumes that
// play, Up and Down change its rate. B sounds a blip at most 100 ms long; L switches the blips
// after it between the band-limited filter and linear interpolation (which adds a hiss of
// folded tones); the line below shows the device's real format and how often a stream ran
// dry. Escape ends it.
#include "rorodiv.h"

#include "../wav_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRate = 22050;

// A note of `noteSeconds` for each of `hertz`, each fading in and out.
std::vector<int16_t> Tones(const std::vector<double>& hertz, double noteSeconds, int amplitude)
{
    std::vector<int16_t> samples;
    const int noteFrames = int(noteSeconds * kRate);
    for (double h : hertz)
        for (int i = 0; i < noteFrames; ++i) {
            const double envelope = std::sin(3.14159265358979 * i / noteFrames);
            samples.push_back(int16_t(amplitude * envelope * std::sin(2 * 3.14159265358979 * h * i / kRate)));
        }
    return samples;
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

    const std::vector<uint8_t> melody = MakeWav(Tones({262, 330, 392, 523, 392, 330, 294, 247}, 0.5, 9000), kRate);
    if (FILE* file = std::fopen("melody.wav", "wb")) {
        std::fwrite(melody.data(), 1, melody.size(), file);
        std::fclose(file);
    }
    int musicEnd = PLAY_STATE_NONE;
    SetMusicEndCallback(NoteMusicEnd, &musicEnd);  // from PumpMessages
    PlayMusic("melody.wav", 1);

    const std::vector<uint8_t> humWav = MakeWav(Tones({110}, 1.0, 4000), kRate);
    const std::vector<uint8_t> blipWav = MakeWav(Tones({880}, 0.4, 6000), kRate);
    const int humSound = LoadSoundFromMemory(humWav.data(), int32_t(humWav.size()));
    const int blipSound = LoadSoundFromMemory(blipWav.data(), int32_t(blipWav.size()));
    const int hum = StartSound(humSound, SOUND_PLAY_LOOP);  // -1 without a sound device
    int humRate = kRate, blip = -1;
    bool humPaused = false, quit = false, linearBlips = false;

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
            case KEYCODE_L:
                linearBlips = !linearBlips;
                SetSoundResampling(linearBlips ? SOUND_RESAMPLING_LINEAR : SOUND_RESAMPLING_FILTERED);
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
        PrintTextFormat(8, 40, white, "hum: %s at %d Hz   blip: %s (%s)", StateName(GetPlayState(hum)), humRate,
                        blip < 0 ? "-" : StateName(GetPlayState(blip)), linearBlips ? "linear" : "filtered");
        PrintTextFormat(8, 72, white, "device: %d Hz, %d channels, %d-bit, %d frames a buffer; ran dry %lld times",
                        rate, channels, sampleType, bufferFrames, static_cast<long long>(GetSoundUnderrunCount()));
        PrintTextFormat(8, 120, PackColor(160, 160, 160), "Left/Right: seek  M: stop music  Space: pause hum");
        PrintTextFormat(8, 144, PackColor(160, 160, 160),
                        "Up/Down: hum rate  B: blip  L: blip resampling  Escape: end");
        PresentScreen();
    }
    EndMediaLayer();
    return 0;
}
