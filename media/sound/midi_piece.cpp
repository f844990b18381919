// Standard MIDI Files: the header, then each track's events with their delta times, running
// status, system exclusives and meta events; the tracks merged in time order and every
// event's time turned into a frame through the tempo changes.
#include "sound/midi_piece.h"
#include "rorodiv.h"

#include <algorithm>
#include <cstring>

#include "core/app_log.h"
#include "core/tracked_memory.h"

namespace ror {

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // microseconds a quarter note: 120 beats a minute
constexpr int64_t kMaxTicks = int64_t(1) << 40;
constexpr int32_t kReadStep = 1 << 16;

// Entries of the merged list that are no message, turned into the piece's facts and dropped.
constexpr uint8_t kTempo = 0xFF;  // offset: microseconds a quarter note
constexpr uint8_t kTrackEnd = 0xF9;
constexpr uint8_t kLoopStartMarker = 0xFA;
constexpr uint8_t kLoopEndMarker = 0xFB;
constexpr uint8_t kSysex = 0xF0;
constexpr uint8_t kLoopController = 111;

enum class Damage { None, Cut, Broken, TooLong };

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

// The piece's timing, from the header's division.
struct Timing {
    bool metrical;          // ticks a quarter note, with tempo changes; else ticks of real time
    uint64_t tickUnits;     // units a tick adds when not metrical
    uint64_t unitsASecond;  // a tick adds `tempo` units when metrical
};

// Where a track is read: the file, the next byte and the track's end.
struct TrackCursor {
    const uint8_t* file;
    uint32_t at;
    uint32_t end;
};

// A variable-length number: at most four bytes of seven bits.
Damage ReadNumber(TrackCursor& track, uint32_t* value)
{
    *value = 0;
    for (int i = 0; i < 4; ++i) {
        if (track.at >= track.end) return Damage::Cut;
        const uint8_t byte = track.file[track.at++];
        *value = (*value << 7) | (byte & 0x7F);
        if (!(byte & 0x80)) return Damage::None;
    }
    return Damage::Broken;
}

bool IsText(const uint8_t* data, uint32_t length, const char* text)
{
    const size_t size = std::strlen(text);
    if (length != size) return false;
    for (size_t i = 0; i < size; ++i)
        if ((data[i] | 0x20) != (text[i] | 0x20)) return false;
    return true;
}

void Put(MidiMessage* out, int32_t* count, uint32_t* order, MidiMessage message)
{
    message.order = (*order)++;
    if (out != nullptr) out[*count] = message;
    ++*count;
}

// Reads the events of one track; with `out` null it only counts them.
Damage ReadTrack(TrackCursor& track, MidiMessage* out, int32_t* count, uint32_t* order)
{
    int64_t tick = 0;
    uint8_t running = 0;
    while (track.at < track.end) {
        uint32_t delta = 0;
        if (Damage d = ReadNumber(track, &delta); d != Damage::None) return d;
        tick += delta;
        if (tick > kMaxTicks) return Damage::TooLong;
        if (track.at >= track.end) return Damage::Cut;
        uint8_t status = track.file[track.at];
        if (status & 0x80) {
            ++track.at;
        } else if (running != 0) {
            status = running;
        } else {
            return Damage::Broken;
        }
        if (status < 0xF0) {
            running = status;
            const uint32_t length = (status & 0xE0) == 0xC0 ? 1 : 2;
            if (track.end - track.at < length) return Damage::Cut;
            const uint8_t data1 = track.file[track.at];
            const uint8_t data2 = length == 2 ? track.file[track.at + 1] : 0;
            if ((data1 | data2) & 0x80) return Damage::Broken;
            track.at += length;
            Put(out, count, order, {tick, 0, status, data1, data2, 0, 0, 0});
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            uint32_t length = 0;
            if (Damage d = ReadNumber(track, &length); d != Damage::None) return d;
            if (track.end - track.at < length) return Damage::Cut;
            // F7 carries a continuation or an escaped message: neither reaches the synthesiser.
            if (status == 0xF0) {
                const uint32_t size = length > 0 && track.file[track.at + length - 1] == 0xF7 ? length - 1 : length;
                Put(out, count, order, {tick, 0, kSysex, 0, 0, 0, track.at, size});
            }
            track.at += length;
            continue;
        }
        if (status != 0xFF) return Damage::Broken;  // system common and real-time messages
        if (track.at >= track.end) return Damage::Cut;
        const uint8_t type = track.file[track.at++];
        uint32_t length = 0;
        if (Damage d = ReadNumber(track, &length); d != Damage::None) return d;
        if (track.end - track.at < length) return Damage::Cut;
        const uint8_t* data = track.file + track.at;
        track.at += length;
        if (type == 0x2F) break;  // the track's end; what follows is not read
        if (type == 0x51 && length == 3) {
            const uint32_t tempo = uint32_t(data[0]) << 16 | uint32_t(data[1]) << 8 | data[2];
            Put(out, count, order, {tick, 0, kTempo, 0, 0, 0, std::max<uint32_t>(tempo, 1), 0});
        } else if (type == 0x06 && IsText(data, length, "loopStart")) {
            Put(out, count, order, {tick, 0, kLoopStartMarker, 0, 0, 0, 0, 0});
        } else if (type == 0x06 && IsText(data, length, "loopEnd")) {
            Put(out, count, order, {tick, 0, kLoopEndMarker, 0, 0, 0, 0, 0});
        }
    }
    Put(out, count, order, {tick, 0, kTrackEnd, 0, 0, 0, 0, 0});
    return Damage::None;
}

// Walks the header's count of tracks; with `out` null it only counts their events.
Damage ReadTracks(const MidiPiece& piece, uint32_t firstChunk, int32_t tracks, MidiMessage* out, int32_t* count)
{
    *count = 0;
    uint32_t order = 0;
    uint32_t at = firstChunk;
    const uint32_t size = uint32_t(piece.byteCount);
    for (int32_t found = 0; found < tracks;) {
        if (size - at < 8) return Damage::Cut;
        const uint32_t length = Be32(piece.bytes + at + 4);
        const bool isTrack = std::memcmp(piece.bytes + at, "MTrk", 4) == 0;
        at += 8;
        if (size - at < length) return Damage::Cut;
        if (isTrack) {
            TrackCursor track{piece.bytes, at, at + length};
            if (Damage d = ReadTrack(track, out, count, &order); d != Damage::None) return d;
            ++found;
        }
        at += length;  // other chunks are skipped
    }
    return Damage::None;
}

Damage ReadHeader(const MidiPiece& piece, int32_t* tracks, Timing* timing, uint32_t* firstChunk)
{
    if (piece.byteCount < 14) return Damage::Cut;
    const uint32_t length = Be32(piece.bytes + 4);
    if (length < 6) return Damage::Broken;
    if (uint32_t(piece.byteCount) - 8 < length) return Damage::Cut;
    const uint16_t format = Be16(piece.bytes + 8);
    *tracks = Be16(piece.bytes + 10);
    const uint16_t division = Be16(piece.bytes + 12);
    if (format == 2) {
        LogWriteFormat("対応していないMIDIファイルの形式です(フォーマット %d)\n", int(format));
        return Damage::None;  // logged; the caller sees no tracks
    }
    if (format > 2 || *tracks == 0 || (format == 0 && *tracks != 1)) return Damage::Broken;
    if (division & 0x8000) {
        // Frames of SMPTE time code a second and ticks a frame; 29 is 29.97 frames a second.
        const int fps = -int(int8_t(division >> 8));
        const uint32_t ticksAFrame = division & 0xFF;
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || ticksAFrame == 0) return Damage::Broken;
        *timing = {false, fps == 29 ? 1001u : 1u, (fps == 29 ? 30000u : uint64_t(fps)) * ticksAFrame};
    } else {
        if (division == 0) return Damage::Broken;
        *timing = {true, 0, uint64_t(division) * 1000000};
    }
    *firstChunk = 8 + length;
    return Damage::None;
}

// Every entry's tick turned into its frame at `rate`, through the tempo changes in force.
Damage TimeMessages(MidiMessage* messages, int32_t count, const Timing& timing, int32_t rate)
{
    const int64_t maxFrames = int64_t(rate) * 86400;  // a day
    unsigned __int128 units = 0;
    int64_t lastTick = 0;
    uint64_t tempo = kDefaultTempo;
    for (int32_t i = 0; i < count; ++i) {
        MidiMessage& m = messages[i];
        units += (unsigned __int128)(m.frame - lastTick) * (timing.metrical ? tempo : timing.tickUnits);
        lastTick = m.frame;
        const unsigned __int128 frame = units * uint64_t(rate) / timing.unitsASecond;
        if (frame > (unsigned __int128)maxFrames) return Damage::TooLong;
        m.frame = int64_t(frame);
        if (m.status == kTempo) tempo = m.offset;
    }
    return Damage::None;
}

// Takes the piece's length and loop points from the entries that are no message, and keeps
// only what the synthesiser is sent.
void KeepMessages(MidiPiece* piece)
{
    int64_t startMark = -1, endMark = -1, controller = -1;
    int32_t kept = 0;
    for (int32_t i = 0; i < piece->count; ++i) {
        const MidiMessage& m = piece->messages[i];
        switch (m.status) {
        case kTrackEnd: piece->frames = std::max(piece->frames, m.frame); continue;
        case kLoopStartMarker:
            if (startMark < 0) startMark = m.frame;
            continue;
        case kLoopEndMarker:
            if (endMark < 0) endMark = m.frame;
            continue;
        case kTempo: continue;
        default: break;
        }
        if ((m.status & 0xF0) == 0xB0 && m.data1 == kLoopController) {
            if (controller < 0) controller = m.frame;
            continue;
        }
        piece->messages[kept++] = m;
    }
    piece->count = kept;
    const int64_t start = controller >= 0 ? controller : startMark;
    piece->loopStart = 0;
    piece->loopEnd = piece->frames;
    if (start >= 0 && start < piece->frames) piece->loopStart = start;
    if (endMark > piece->loopStart && endMark <= piece->frames) piece->loopEnd = endMark;
}

// The stream's bytes into one tracked block; null with a log line.
uint8_t* ReadAll(const SoundReader& in, int32_t* size)
{
    uint8_t* bytes = nullptr;
    int32_t held = 0, capacity = 0;
    for (;;) {
        if (held == capacity) {
            if (capacity >= kMaxMidiFileBytes) {
                if (bytes != nullptr) TrackedFree(bytes);
                LogWrite("MIDIファイルが大きすぎます\n");
                return nullptr;
            }
            const int32_t grown = std::max(kReadStep, capacity * 2);
            auto* larger = static_cast<uint8_t*>(TrackedAlloc(grown, __FILE__, __LINE__));
            if (larger == nullptr) {
                if (bytes != nullptr) TrackedFree(bytes);
                LogWrite("サウンドデコーダのメモリ確保に失敗しました\n");
                return nullptr;
            }
            if (held > 0) std::memcpy(larger, bytes, size_t(held));
            if (bytes != nullptr) TrackedFree(bytes);
            bytes = larger;
            capacity = grown;
        }
        const size_t got = in.ops->read(bytes + held, 1, size_t(capacity - held), in.stream);
        if (got == 0) break;
        held += int32_t(got);
    }
    *size = held;
    return bytes;
}

int Fail(MidiPiece* piece, Damage damage)
{
    FreeMidiPiece(piece);
    switch (damage) {
    case Damage::Cut: return LogWrite("MIDIファイルが途中で切れています\n");
    case Damage::TooLong: return LogWrite("MIDIファイルの演奏時間が長すぎます\n");
    default: return LogWrite("MIDIファイルが壊れています\n");
    }
}

}  // namespace

int ReadMidiPiece(const SoundReader& in, int32_t rate, MidiPiece* piece)
{
    *piece = {};
    piece->bytes = ReadAll(in, &piece->byteCount);
    if (piece->bytes == nullptr) return -1;
    if (piece->byteCount < 4 || std::memcmp(piece->bytes, "MThd", 4) != 0) return Fail(piece, Damage::Broken);
    int32_t tracks = 0;
    Timing timing{};
    uint32_t firstChunk = 0;
    if (Damage d = ReadHeader(*piece, &tracks, &timing, &firstChunk); d != Damage::None) return Fail(piece, d);
    if (firstChunk == 0) {
        FreeMidiPiece(piece);  // an unsupported format, logged
        return -1;
    }
    int32_t count = 0;
    if (Damage d = ReadTracks(*piece, firstChunk, tracks, nullptr, &count); d != Damage::None) return Fail(piece, d);
    piece->messages = static_cast<MidiMessage*>(TrackedAlloc(count * int32_t(sizeof(MidiMessage)), __FILE__, __LINE__));
    if (piece->messages == nullptr) {
        FreeMidiPiece(piece);
        return LogWrite("サウンドデコーダのメモリ確保に失敗しました\n");
    }
    ReadTracks(*piece, firstChunk, tracks, piece->messages, &piece->count);
    // Ties keep the file's order: tracks one after another, each in its own order.
    std::sort(piece->messages, piece->messages + piece->count, [](const MidiMessage& a, const MidiMessage& b) {
        return a.frame != b.frame ? a.frame < b.frame : a.order < b.order;
    });
    if (Damage d = TimeMessages(piece->messages, piece->count, timing, rate); d != Damage::None) return Fail(piece, d);
    KeepMessages(piece);
    if (piece->frames == 0) return Fail(piece, Damage::Broken);  // nothing that sounds
    return 0;
}

void FreeMidiPiece(MidiPiece* piece)
{
    if (piece->bytes != nullptr) TrackedFree(piece->bytes);
    if (piece->messages != nullptr) TrackedFree(piece->messages);
    *piece = {};
}

}  // namespace ror
