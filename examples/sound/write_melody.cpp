// Writes the sound example's melody as a WAV file named on the command line; the examples'
// build encodes it as FLAC, Opus and MP3 where their encoders are installed.
#include "../wav_file.h"
#include "melody.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_melody OUT.wav\n");
        return 2;
    }
    const std::vector<uint8_t> wav = MakeWav(Melody(), kMelodyRate);
    FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) return 1;
    const bool written = std::fwrite(wav.data(), 1, wav.size(), file) == wav.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
}
