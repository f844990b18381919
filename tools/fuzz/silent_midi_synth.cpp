// A stand-in for the synthesiser in the fuzz target: it renders silence at once, so the runs
// go into reading MIDI files and timing their messages, not into FluidSynth.
#include "sound/midi_synth.h"

#include <cstring>

namespace ror {

struct MidiSynth {
    int32_t messages;
};

namespace {

MidiSynth Silent;

}  // namespace

void SetMidiRenderRate(int32_t) {}
int32_t MidiRenderRate() { return 44100; }
MidiSynth* TakeMidiSynth() { return &Silent; }
void GiveBackMidiSynth(MidiSynth*) {}
void ReleaseMidiSynths() {}
int ClearMidiSynth(MidiSynth*) { return 0; }
void SendMidiMessage(MidiSynth* synth, uint8_t, uint8_t, uint8_t) { ++synth->messages; }
void SendMidiSysex(MidiSynth* synth, const uint8_t* data, int32_t size)
{
    // Touches every byte, so a system exclusive reaching past the file shows under ASan.
    for (int32_t i = 0; i < size; ++i) synth->messages += data[i];
}
void ReleaseMidiNotes(MidiSynth*) {}
void RenderMidiBlocks(MidiSynth*, int16_t* stereoFrames, int32_t blocks)
{
    std::memset(stereoFrames, 0, size_t(blocks) * 2 * kMidiBlockFrames * sizeof(int16_t));
}

}  // namespace ror
