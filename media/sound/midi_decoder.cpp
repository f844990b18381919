// MIDI pieces as sound data: the piece's messages sent to a synthesiser between its blocks,
// and its frames handed out at the render rate, stereo.
#include "rorodiv.h"

#include <algorithm>
#include <cstring>

#include "core/app_log.h"
#include "core/tracked_memory.h"
#include "sound/midi_piece.h"
#include "sound/midi_synth.h"
#include "sound/sound_decoder.h"

namespace ror {

namespace {

struct MidiDecoder {
    SoundDecoder base;
    MidiPiece piece;
    MidiSynth* synth;
    int32_t next;                         // the next message to send
    int64_t position;                     // the next frame read hands out
    int64_t rendered;                     // the frame the synthesiser's next block starts at
    int16_t block[2 * kMidiBlockFrames];  // the last block, when read took part of it
};

MidiDecoder* Of(SoundDecoder* decoder) { return reinterpret_cast<MidiDecoder*>(decoder); }

// A message sounds with the block whose start lies nearest its frame: the synthesiser takes
// messages only between blocks.
constexpr int64_t kHalfBlock = kMidiBlockFrames / 2;

void SendMessage(MidiDecoder* midi, const MidiMessage& m)
{
    if (m.status == 0xF0)
        SendMidiSysex(midi->synth, midi->piece.bytes + m.offset, int32_t(m.size));
    else
        SendMidiMessage(midi->synth, m.status, m.data1, m.data2);
}

// Sends what is due before the block at `rendered`; the count of whole blocks from there on
// that no further message falls into, at most `most`.
int64_t SendDue(MidiDecoder* midi, int64_t most)
{
    const MidiPiece& piece = midi->piece;
    while (midi->next < piece.count && piece.messages[midi->next].frame < midi->rendered + kHalfBlock)
        SendMessage(midi, piece.messages[midi->next++]);
    if (midi->next >= piece.count) return most;
    const int64_t due = piece.messages[midi->next].frame;
    return std::min(most, 1 + (due - kHalfBlock - midi->rendered) / kMidiBlockFrames);
}

int32_t ReadMidi(SoundDecoder* decoder, int16_t* frames, int32_t maxFrames)
{
    MidiDecoder* midi = Of(decoder);
    const int64_t wanted = std::min<int64_t>(maxFrames, midi->piece.frames - midi->position);
    int64_t done = 0;
    while (done < wanted) {
        if (midi->position < midi->rendered) {
            const int64_t from = midi->position - (midi->rendered - kMidiBlockFrames);
            const int64_t count = std::min(midi->rendered - midi->position, wanted - done);
            std::memcpy(frames + 2 * done, midi->block + 2 * from, size_t(count) * 2 * sizeof(int16_t));
            midi->position += count;
            done += count;
            continue;
        }
        const int64_t whole = SendDue(midi, (wanted - done) / kMidiBlockFrames);
        if (whole > 0) {
            RenderMidiBlocks(midi->synth, frames + 2 * done, int32_t(whole));
            midi->position += whole * kMidiBlockFrames;
            midi->rendered += whole * kMidiBlockFrames;
            done += whole * kMidiBlockFrames;
        } else {
            RenderMidiBlocks(midi->synth, midi->block, 1);
            midi->rendered += kMidiBlockFrames;
        }
    }
    return int32_t(done);
}

// Silences the synthesiser and sends again every message before `frame` that sets a channel
// up (programs, controllers, bends, system exclusives), leaving the notes out.
int SeekMidi(SoundDecoder* decoder, int64_t frame)
{
    MidiDecoder* midi = Of(decoder);
    const MidiPiece& piece = midi->piece;
    if (frame < 0 || frame > piece.frames) return -1;
    // A loop turning back (on the stream thread) lets the notes of its end ring on into its
    // start; any other jump starts from silence.
    if (frame == piece.loopStart && midi->position == piece.loopEnd)
        ReleaseMidiNotes(midi->synth);
    else if (ClearMidiSynth(midi->synth) != 0)
        return -1;
    int32_t i = 0;
    for (; i < piece.count && piece.messages[i].frame < frame; ++i) {
        const uint8_t kind = piece.messages[i].status & 0xF0;
        if (kind != 0x80 && kind != 0x90 && kind != 0xA0) SendMessage(midi, piece.messages[i]);
    }
    midi->next = i;
    midi->position = midi->rendered = frame;
    return 0;
}

void CloseMidi(SoundDecoder* decoder)
{
    MidiDecoder* midi = Of(decoder);
    GiveBackMidiSynth(midi->synth);
    FreeMidiPiece(&midi->piece);
    TrackedFree(midi);
}

constexpr SoundDecoderOps kMidiOps = {.read = ReadMidi, .seek = SeekMidi, .close = CloseMidi};

}  // namespace

const SoundDecoderOps& MidiDecoderOps() { return kMidiOps; }

SoundDecoder* OpenMidiDecoder(const SoundReader& in)
{
    auto* midi = static_cast<MidiDecoder*>(TrackedAllocZeroed(int32_t(sizeof(MidiDecoder)), __FILE__, __LINE__));
    if (midi == nullptr) {
        LogWrite("サウンドデコーダのメモリ確保に失敗しました\n");
        return nullptr;
    }
    const int32_t rate = MidiRenderRate();
    // The piece is checked whole before the synthesiser (and perhaps its sound font) loads.
    if (ReadMidiPiece(in, rate, &midi->piece) != 0) {
        TrackedFree(midi);
        return nullptr;
    }
    midi->synth = TakeMidiSynth();
    if (midi->synth == nullptr) {
        FreeMidiPiece(&midi->piece);
        TrackedFree(midi);
        return nullptr;
    }
    midi->base.ops = &kMidiOps;
    midi->base.in = in;
    midi->base.format = {2, rate, midi->piece.frames, midi->piece.loopStart, midi->piece.loopEnd};
    return &midi->base;
}

}  // namespace ror
