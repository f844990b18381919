// Standard MIDI Files written by the tests: tracks of events with their delta times.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A variable-length number of a delta time or a length.
inline std::string MidiNumber(uint32_t value)
{
    std::string bytes(1, char(value & 0x7F));
    while (value >>= 7) bytes.insert(bytes.begin(), char(0x80 | (value & 0x7F)));
    return bytes;
}

inline std::string MidiBe32(uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// One track's events: each after `delta` ticks, its bytes as written (a status byte may be
// left out for running status).
struct MidiTrack {
    std::string bytes;
    MidiTrack& At(uint32_t delta, const std::string& event)
    {
        bytes += MidiNumber(delta) + event;
        return *this;
    }
    MidiTrack& Note(uint32_t delta, int channel, int key, int velocity = 100)
    {
        return At(delta, {char(0x90 | channel), char(key), char(velocity)});
    }
    MidiTrack& NoteOff(uint32_t delta, int channel, int key) { return At(delta, {char(0x80 | channel), char(key), 0}); }
    MidiTrack& Control(uint32_t delta, int channel, int controller, int value)
    {
        return At(delta, {char(0xB0 | channel), char(controller), char(value)});
    }
    MidiTrack& Program(uint32_t delta, int channel, int program)
    {
        return At(delta, {char(0xC0 | channel), char(program)});
    }
    MidiTrack& Tempo(uint32_t delta, uint32_t microseconds)
    {
        return At(delta, std::string("\xFF\x51\x03", 3) + MidiBe32(microseconds).substr(1));
    }
    MidiTrack& Meta(uint32_t delta, int type, const std::string& data)
    {
        return At(delta, std::string{'\xFF', char(type)} + MidiNumber(uint32_t(data.size())) + data);
    }
    MidiTrack& End(uint32_t delta = 0) { return At(delta, std::string("\xFF\x2F\x00", 3)); }
};

inline std::string MidiChunk(const char* type, const std::string& data)
{
    return std::string(type, 4) + MidiBe32(uint32_t(data.size())) + data;
}

// The header and the tracks; `division` ticks a quarter note (or an SMPTE division).
inline std::string MidiFile(const std::vector<MidiTrack>& tracks, uint16_t division = 480, uint16_t format = 1)
{
    const uint16_t count = uint16_t(tracks.size());
    std::string file = MidiChunk("MThd", {char(format >> 8), char(format), char(count >> 8), char(count),
                                          char(division >> 8), char(division)});
    for (const MidiTrack& track : tracks) file += MidiChunk("MTrk", track.bytes);
    return file;
}
