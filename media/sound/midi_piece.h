// Standard MIDI Files (format 0 and 1) read into one list of the messages a synthesiser
// takes, in time order, each at its frame at a given rate.
#pragma once
#include <cstdint>

#include "sound/sound_decoder.h"

namespace ror {

// Files are read whole; game pieces are a few kilobytes.
constexpr int32_t kMaxMidiFileBytes = 8 << 20;

struct MidiMessage {
    int64_t frame;   // when it sounds, at the rate the piece was read for
    uint32_t order;  // its place in the file (tracks one after another): ties keep it
    uint8_t status;  // a channel message's status byte, or 0xF0 for a system exclusive
    uint8_t data1;   // a channel message's data
    uint8_t data2;
    uint8_t spare;
    uint32_t offset;  // a system exclusive's bytes in the file (without F0 and F7)
    uint32_t size;
};

struct MidiPiece {
    uint8_t* bytes;  // the file, tracked
    int32_t byteCount;
    MidiMessage* messages;  // tracked
    int32_t count;
    int64_t frames;     // the end of the longest track
    int64_t loopStart;  // a controller 111 or a "loopStart" marker, else 0
    int64_t loopEnd;    // a "loopEnd" marker, else the end
};

// Reads the whole stream as a MIDI file for playing at `rate`: 0, or -1 with a log line for
// damaged, cut, unsupported or too long files.
int ReadMidiPiece(const SoundReader& in, int32_t rate, MidiPiece* piece);
void FreeMidiPiece(MidiPiece* piece);

}  // namespace ror
