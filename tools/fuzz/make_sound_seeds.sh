#!/usr/bin/env bash
# Small MP3, FLAC and Opus sounds as seeds for the sound-decoder fuzzer, made by each format's
# own encoder (lame, flac, opusenc, sox for the source; scripts/setup test installs them),
# each under the fuzzer's 16 KB input size. The WAV and Ogg Vorbis seeds come from
# make_sound_seeds.cpp.
set -euo pipefail
out="$1"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
sox -n -r 22050 -c 1 -b 16 "$work/mono.wav" synth 0.15 sine 440 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$work/stereo.wav" synth 0.06 sine 440 sine 660 vol 0.5
sox -n -r 48000 -c 2 -b 24 "$work/deep.wav" synth 0.05 sine 1000 vol 0.5
lame --quiet -b 32 "$work/mono.wav" "$out/mono.mp3"
lame --quiet -b 64 "$work/stereo.wav" "$out/stereo.mp3"
lame --quiet -b 32 --add-id3v2 --tt seed "$work/mono.wav" "$out/tagged.mp3"
flac --silent -f -o "$out/mono.flac" "$work/mono.wav"
flac --silent -f --blocksize=1152 -T LOOPSTART=100 -T LOOPLENGTH=400 -o "$out/stereo.flac" "$work/stereo.wav"
flac --silent -f -o "$out/deep.flac" "$work/deep.wav"
opusenc --quiet --bitrate 16 "$work/mono.wav" "$out/mono.opus"
opusenc --quiet --bitrate 32 --comment LOOPSTART=100 "$work/stereo.wav" "$out/stereo.opus"
