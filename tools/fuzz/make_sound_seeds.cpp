// Writes seed sounds for the sound-decoder fuzzer into the folder named on the command line:
// WAV in each encoding, Ogg Vorbis mono and stereo (one with loop comments), MIDI files.
#include "sound/midi_files.h"
#include "sound/sound_files.h"

#include <cstdio>
#include <string>

namespace {

void Write(const std::string& folder, const char* name, const std::string& bytes)
{
    FILE* file = std::fopen((folder + "/" + name).c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sound_seeds FOLDER\n");
        return 1;
    }
    const std::string folder = argv[1];
    const std::vector<int16_t> mono = Sine(300, 30, 8000);
    const std::vector<int16_t> stereo = Sine(300, 30, 8000, 2);
    Write(folder, "pcm16.wav", Wav16(stereo, 2, 22050));
    WavLayout pcm8;
    pcm8.bits = 8;
    Write(folder, "pcm8.wav", WavFile(pcm8, std::string(64, '\x90')));
    WavLayout float32;
    float32.tag = 3;
    float32.bits = 32;
    Write(folder, "float.wav", WavFile(float32, std::string(64, '\0')));
    WavLayout extensible;
    extensible.tag = 0xFFFE;
    Write(folder, "extensible.wav", WavFile(extensible, Samples16(mono)));
    Write(folder, "mono.ogg", OggFile(mono, 1, 8000));
    Write(folder, "stereo.ogg", OggFile(stereo, 2, 44100, {"LOOPSTART=10", "LOOPLENGTH=100"}));
    // MIDI: running status and a system exclusive; a tempo map beside a track with a loop's
    // controller, markers and a program change; time code ticks.
    Write(folder, "running.mid",
          MidiFile({MidiTrack()
                        .At(0, std::string("\xF0\x05\x7E\x7F\x09\x01\xF7", 7))
                        .Note(10, 0, 60)
                        .At(10, {62, 100})
                        .At(10, {60, 0})
                        .End(10)},
                   96, 0));
    Write(folder, "tracks.mid",
          MidiFile({MidiTrack().Tempo(0, 500000).Tempo(48, 250000).End(), MidiTrack()
                                                                              .Meta(0, 0x06, "loopStart")
                                                                              .Program(0, 1, 19)
                                                                              .Note(24, 1, 64)
                                                                              .Control(24, 1, 111, 0)
                                                                              .At(0, {char(0xE1), 0, 0x40})
                                                                              .NoteOff(24, 1, 64)
                                                                              .Meta(0, 0x06, "loopEnd")
                                                                              .End(24)},
                   96));
    Write(folder, "timecode.mid", MidiFile({MidiTrack().Note(25, 9, 36).NoteOff(25, 9, 36).End()}, 0xE728, 0));
    return 0;
}
