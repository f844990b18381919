// The software synthesiser MIDI pieces are rendered with (FluidSynth), with no audio driver
// of its own: a decoder drives it and takes its frames. The sound font is loaded once and
// lent to every piece's synthesiser.
#pragma once
#include <cstdint>

namespace ror {

struct MidiSynth;

// The synthesiser's own block: a message takes effect at the start of the next block it
// renders, so the decoder always asks for whole blocks and applies messages between them.
constexpr int32_t kMidiBlockFrames = 64;

// The rate the synthesisers render at: the device's, set when the device starts (44100
// before); pieces opened afterwards take it.
void SetMidiRenderRate(int32_t rate);
int32_t MidiRenderRate();

// A new synthesiser with the sound font, for one decoder until it gives it back; null with a
// log line when no sound font can be loaded. On the game's thread: it may load the font.
MidiSynth* TakeMidiSynth();
void GiveBackMidiSynth(MidiSynth* synth);
// Frees the sound font (the device's end, or another font chosen), once no piece uses it.
void ReleaseMidiSynths();

// Silent at once and as at power-on, for a jump: 0, or -1 when no new synthesiser could be
// made (it allocates: never on the stream thread).
int ClearMidiSynth(MidiSynth* synth);

// The calls a decoder renders with: they neither allocate nor log, so they run on the stream
// thread. One synthesiser works at a time.
void SendMidiMessage(MidiSynth* synth, uint8_t status, uint8_t data1, uint8_t data2);
void SendMidiSysex(MidiSynth* synth, const uint8_t* data, int32_t size);  // without F0 and F7
// Every channel as at power-on, but the keys released, so what sounds dies away: a loop
// turning back.
void ReleaseMidiNotes(MidiSynth* synth);
// Renders `blocks` whole blocks of kMidiBlockFrames stereo frames.
void RenderMidiBlocks(MidiSynth* synth, int16_t* stereoFrames, int32_t blocks);

}  // namespace ror
