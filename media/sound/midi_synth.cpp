// MIDI pieces through FluidSynth: one synthesiser a piece, with no audio driver and no
// threads of its own; the decoder on the stream thread takes its frames.
#include "sound/midi_synth.h"
#include "rorodiv.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

#include "core/app_log.h"
#include "core/last_failure.h"

namespace ror {

// Debian's small General MIDI sound font (timgm6mb-soundfont), found by its path.
constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

constexpr int32_t kScratchBlocks = 16;

// A sound font, loaded into a synthesiser that never renders and lent to every piece's own
// synthesiser; freed when it is no longer the current one and its last user gives it back.
struct LoadedFont {
    fluid_settings_t* settings;
    fluid_synth_t* holder;
    fluid_sfont_t* font;
    int32_t users;
};

struct MidiSynth {
    LoadedFont* font;
    fluid_settings_t* settings;
    fluid_synth_t* synth;
    // Rendered as floats and rounded here: no dither, so silence stays 0 and a piece sounds
    // the same at every play.
    float scratch[2 * kScratchBlocks * kMidiBlockFrames];
};

namespace {

struct MidiSynthState {
    int32_t rate = 44100;
    char fontPath[kFilePathSize];  // the game's sound font; empty: the default
    LoadedFont* current;           // what new pieces borrow
    bool logSilenced;
    // Pieces render on the stream thread and sounds load on the game's: the font's samples
    // are shared, so one synthesiser works at a time.
    std::mutex lock;
};

MidiSynthState MidiSynths;

// FluidSynth reads the sound font through the layer's files, so a font may sit in an archive.
void* OpenFontFile(const char* path)
{
    const FileValue file = FileOpen(path, 0, 0, 0);
    return file != 0 ? reinterpret_cast<void*>(file) : nullptr;
}

int ReadFontFile(void* destination, fluid_long_long_t count, void* file)
{
    if (count < 0) return FLUID_FAILED;
    const size_t got = FileRead(destination, 1, size_t(count), reinterpret_cast<FileValue>(file));
    return got == size_t(count) ? FLUID_OK : FLUID_FAILED;
}

int SeekFontFile(void* file, fluid_long_long_t offset, int origin)
{
    if (offset < INT32_MIN || offset > INT32_MAX) return FLUID_FAILED;
    // FluidSynth passes the C library's origins, which the file layer's match.
    return FileSeek(reinterpret_cast<FileValue>(file), int32_t(offset), origin) == 0 ? FLUID_OK : FLUID_FAILED;
}

fluid_long_long_t TellFontFile(void* file) { return FileTell(reinterpret_cast<FileValue>(file)); }

int CloseFontFile(void* file) { return FileClose(reinterpret_cast<FileValue>(file)) == 0 ? FLUID_OK : FLUID_FAILED; }

bool FontOpens(const char* path)
{
    void* file = OpenFontFile(path);
    if (file == nullptr) return false;
    CloseFontFile(file);
    return true;
}

// A SoundFont 2 file starts as a RIFF form of kind "sfbk". Anything else is refused before
// FluidSynth's other loaders take it for another format and complain on the terminal.
bool IsSoundFont2(const char* path)
{
    void* file = OpenFontFile(path);
    if (file == nullptr) return false;
    char head[12] = {};
    const bool read = ReadFontFile(head, sizeof head, file) == FLUID_OK;
    CloseFontFile(file);
    return read && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "sfbk", 4) == 0;
}

// FluidSynth would write to the terminal, also from the stream thread; its failures show as
// our own log lines at the piece's opening instead.
void SilenceLibraryLog()
{
    if (MidiSynths.logSilenced) return;
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
    MidiSynths.logSilenced = true;
}

fluid_settings_t* NewSettings(int32_t rate)
{
    fluid_settings_t* settings = new_fluid_settings();
    if (settings == nullptr) return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", double(rate));
    // One thread at a time uses a synthesiser (under the lock): no locks, no threads of its own.
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    // Its default of 0.2 leaves a piece far quieter than recorded music.
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    return settings;
}

// The sound font to load: the game's, else Debian's, else FluidSynth's own default. Copied
// into `path`; false with a log line when none opens.
bool ChooseSoundFont(fluid_settings_t* settings, char* path)
{
    if (MidiSynths.fontPath[0] != '\0') {
        std::strcpy(path, MidiSynths.fontPath);
    } else {
        std::strcpy(path, kDefaultSoundFont);
        char* fallback = nullptr;
        if (!FontOpens(path) && fluid_settings_dupstr(settings, "synth.default-soundfont", &fallback) == FLUID_OK &&
            fallback != nullptr && std::strlen(fallback) < size_t(kFilePathSize))
            std::strcpy(path, fallback);
        fluid_free(fallback);
    }
    if (FontOpens(path)) return true;
    LogWriteFormat("MIDI用のサウンドフォントが見つかりません(%s)\n", path);
    return false;
}

void FreeFont(LoadedFont* font)
{
    if (font->holder != nullptr) delete_fluid_synth(font->holder);
    if (font->settings != nullptr) delete_fluid_settings(font->settings);
    delete font;
}

// The current font, loaded when there is none; null with a log line.
LoadedFont* CurrentFont()
{
    if (MidiSynths.current != nullptr) return MidiSynths.current;
    SilenceLibraryLog();
    auto* font = new (std::nothrow) LoadedFont{};
    if (font != nullptr) font->settings = NewSettings(MidiSynths.rate);
    if (font != nullptr && font->settings != nullptr) font->holder = new_fluid_synth(font->settings);
    if (font == nullptr || font->holder == nullptr) {
        if (font != nullptr) FreeFont(font);
        LogWrite("MIDIシンセサイザーを作成できませんでした\n");
        return nullptr;
    }
    char path[kFilePathSize];
    if (!ChooseSoundFont(font->settings, path)) {
        FreeFont(font);
        return nullptr;
    }
    fluid_sfloader_t* loader = new_fluid_defsfloader(font->settings);
    if (loader != nullptr) {
        fluid_sfloader_set_callbacks(loader, OpenFontFile, ReadFontFile, SeekFontFile, TellFontFile, CloseFontFile);
        fluid_synth_add_sfloader(font->holder, loader);  // tried before the default loader
    }
    const int id = IsSoundFont2(path) ? fluid_synth_sfload(font->holder, path, 0) : FLUID_FAILED;
    if (id != FLUID_FAILED) font->font = fluid_synth_get_sfont_by_id(font->holder, id);
    if (font->font == nullptr) {
        FreeFont(font);
        LogWriteFormat("サウンドフォント %s を読み込めませんでした\n", path);
        return nullptr;
    }
    MidiSynths.current = font;
    return font;
}

// A synthesiser of the settings' rate with the font lent to it; null when it cannot be made.
// Neither logs nor touches the lock.
fluid_synth_t* NewFluidSynth(fluid_settings_t* settings, LoadedFont* font)
{
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (synth == nullptr) return nullptr;
    if (fluid_synth_add_sfont(synth, font->font) == FLUID_FAILED) {
        delete_fluid_synth(synth);
        return nullptr;
    }
    fluid_synth_program_reset(synth);  // the channels take the font's presets
    return synth;
}

void DeleteFluidSynth(fluid_synth_t* synth, LoadedFont* font)
{
    fluid_synth_remove_sfont(synth, font->font);  // the holder keeps it
    delete_fluid_synth(synth);
}

}  // namespace

void SetMidiRenderRate(int32_t rate) { MidiSynths.rate = rate > 0 ? rate : 44100; }

int32_t MidiRenderRate() { return MidiSynths.rate; }

MidiSynth* TakeMidiSynth()
{
    std::lock_guard<std::mutex> hold(MidiSynths.lock);
    LoadedFont* font = CurrentFont();
    if (font == nullptr) return nullptr;
    auto* synth = new (std::nothrow) MidiSynth{};
    if (synth != nullptr) synth->settings = NewSettings(MidiSynths.rate);
    if (synth != nullptr && synth->settings != nullptr) synth->synth = NewFluidSynth(synth->settings, font);
    if (synth == nullptr || synth->synth == nullptr) {
        if (synth != nullptr && synth->settings != nullptr) delete_fluid_settings(synth->settings);
        delete synth;
        LogWrite("MIDIシンセサイザーを作成できませんでした\n");
        return nullptr;
    }
    synth->font = font;
    ++font->users;
    return synth;
}

void GiveBackMidiSynth(MidiSynth* synth)
{
    if (synth == nullptr) return;
    std::lock_guard<std::mutex> hold(MidiSynths.lock);
    LoadedFont* font = synth->font;
    DeleteFluidSynth(synth->synth, font);
    delete_fluid_settings(synth->settings);
    delete synth;
    if (--font->users == 0 && font != MidiSynths.current) FreeFont(font);
}

void ReleaseMidiSynths()
{
    std::lock_guard<std::mutex> hold(MidiSynths.lock);
    LoadedFont* font = MidiSynths.current;
    MidiSynths.current = nullptr;  // pieces that use it keep it until they close
    if (font != nullptr && font->users == 0) FreeFont(font);
}

void SendMidiMessage(MidiSynth* synth, uint8_t status, uint8_t data1, uint8_t data2)
{
    std::lock_guard<std::mutex> hold(MidiSynths.lock);
    fluid_synth_t* s = synth->synth;
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(s, channel, data1); break;
    case 0x90: fluid_synth_noteon(s, channel, data1, data2); break;  // velocity 0 is a note-off
    case 0xA0: fluid_synth_key_pressure(s, channel, data1, data2); break;
    case 0xB0: fluid_synth_cc(s, channel, data1, data2); break;
    case 0xC0: fluid_synth_program_change(s, channel, data1); break;
    case 0xD0: fluid_synth_channel_pressure(s, channel, data1); break;
    case 0xE0: fluid_synth_pitch_bend(s, channel, data1 | (data2 << 7)); break;
    default: break;
    }
}

void SendMidiSysex(MidiSynth* synth, const uint8_t* data, int32_t size)
{
    // Tuning messages make FluidSynth allocate tables, which the stream thread must not.
    if (size >= 3 && (data[0] == 0x7E || data[0] == 0x7F) && data[2] == 0x08) return;
    std::lock_guard<std::mutex> hold(MidiSynths.lock);
    fluid_synth_sysex(synth->synth, reinterpret_cast<const char*>(data), size, nullptr, nullptr, nullptr, 0);
}

int ClearMidiSynth(MidiSynth* synth)
{
    std::lock_guard<std::mutex> hold(MidiSynths.lock);
    // FluidSynth's resets let sounding voices die away and keep its reverb's tail: only a new
    // synthesiser is silent at once.
    fluid_synth_t* fresh = NewFluidSynth(synth->settings, synth->font);
    if (fresh == nullptr) return -1;
    DeleteFluidSynth(synth->synth, synth->font);
    synth->synth = fresh;
    return 0;
}

void ReleaseMidiNotes(MidiSynth* synth)
{
    std::lock_guard<std::mutex> hold(MidiSynths.lock);
    fluid_synth_t* s = synth->synth;
    // Every channel as at power-on, but the voices sounding die away as released keys do.
    fluid_synth_all_notes_off(s, -1);
    for (int channel = 0; channel < fluid_synth_count_midi_channels(s); ++channel) {
        fluid_synth_cc(s, channel, 121, 0);  // controllers back, the pedal up
        fluid_synth_cc(s, channel, 7, 100);
        fluid_synth_cc(s, channel, 10, 64);
        fluid_synth_cc(s, channel, 0, 0);
        fluid_synth_cc(s, channel, 32, 0);
        fluid_synth_program_change(s, channel, 0);
    }
}

void RenderMidiBlocks(MidiSynth* synth, int16_t* stereoFrames, int32_t blocks)
{
    std::lock_guard<std::mutex> hold(MidiSynths.lock);
    while (blocks > 0) {
        const int32_t now = std::min(blocks, kScratchBlocks);
        const int32_t samples = 2 * now * kMidiBlockFrames;
        float* scratch = synth->scratch;
        fluid_synth_write_float(synth->synth, now * kMidiBlockFrames, scratch, 0, 2, scratch, 1, 2);
        for (int32_t i = 0; i < samples; ++i)
            stereoFrames[i] = int16_t(std::lrint(std::clamp(scratch[i] * 32768.0f, -32768.0f, 32767.0f)));
        stereoFrames += samples;
        blocks -= now;
    }
}

}  // namespace ror

using namespace ror;

int SetMidiSoundFont(const char* path)
{
    if (path != nullptr && std::strlen(path) >= size_t(kFilePathSize)) return FailedArgument(__func__);
    std::strcpy(MidiSynths.fontPath, path != nullptr ? path : "");
    ReleaseMidiSynths();  // the next piece loads the font named now
    return 0;
}
