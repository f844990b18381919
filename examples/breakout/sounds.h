// Sound and music (step 6): a blip when the ball hits something, and a looping tune. Both come
// from "breakout_data.zaz" as the pictures do. The tune is a MIDI file of under a kilobyte,
// rendered with the system's General MIDI sound font; its controller 111 makes the loop skip
// the drums-only opening bar.
#pragma once
#include "rorodiv.h"
#include "rules.h"

namespace breakout {

struct Sounds {
    int blip = -1;
};

// 0, or -1 when the sound cannot be loaded. A game without a sound device still runs: playing
// then fails quietly, and the log says why.
inline int LoadSounds(Sounds* sounds)
{
    sounds->blip = LoadSound("breakout_data\\blip.wav");
    if (sounds->blip == -1) return -1;
    SetMusicVolume(160);
    PlayMusic("breakout_data\\music.mid", 1);
    return 0;
}

// The blip, higher for a brick than for the paddle or a side, from where the ball is.
inline void PlayHit(Hit hit, const Game& game, const Sounds& sounds)
{
    if (hit == Hit::Nothing || hit == Hit::BallLost) return;
    SetSoundFrequency(sounds.blip, hit == Hit::Paddle ? 8000 : hit == Hit::Side ? 9000 : 13000);
    SetSoundPan(sounds.blip, int((game.ballX - kFieldWidth / 2) * 255 / (kFieldWidth / 2)));
    PlaySound(sounds.blip, SOUND_PLAY_BACK);
}

}  // namespace breakout
