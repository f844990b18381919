// Sounds: the mixer's cost per second of audio against SDL_mixer mixing the same voices, and
// Ogg Vorbis decoding through the layer's streams against libvorbisfile reading memory
// directly (the layer's own work on top is its overhead).
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>
#include <sys/resource.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../tests/sound/midi_files.h"
#include "../tests/sound/sound_files.h"
#include "core/tracked_memory.h"
#include "file/file_access.h"
#include "file/file_startup.h"
#include "platform/system/clock.h"
#include "rorodiv.h"
#include "sound/midi_synth.h"
#include "sound/sound_decoder.h"
#include "sound/sound_device.h"
#include "sound/sound_handles.h"
#include "sound/sound_mixer.h"

using namespace ror;

namespace {

constexpr int kRate = 44100;

// One second of a stereo tone with a little noise, as a WAV file.
const std::string& ToneWav()
{
    static const std::string wav = [] {
        std::vector<int16_t> samples = Sine(kRate, 101.3, 6000, 2);
        uint32_t noise = 1;
        for (int16_t& s : samples) {
            noise = noise * 1103515245u + 12345u;
            s = int16_t(s + int((noise >> 16) & 255) - 128);
        }
        return Wav16(samples, 2, kRate);
    }();
    return wav;
}

// `seconds` of music-like stereo (two tones and noise each side).
std::string MusicLikeOgg(int seconds)
{
    std::vector<int16_t> samples;
    uint32_t noise = 7;
    for (int i = 0; i < seconds * kRate; ++i) {
        noise = noise * 1103515245u + 12345u;
        const double t = double(i) / kRate;
        const int n = int((noise >> 16) & 1023) - 512;
        samples.push_back(int16_t(5000 * std::sin(2 * M_PI * 220 * t) + 3000 * std::sin(2 * M_PI * 331 * t) + n));
        samples.push_back(int16_t(5000 * std::sin(2 * M_PI * 277 * t) + 3000 * std::sin(2 * M_PI * 440 * t) + n));
    }
    return OggFile(samples, 2, kRate);
}

// Ten seconds, encoded once.
const std::string& MusicOgg()
{
    static const std::string ogg = MusicLikeOgg(10);
    return ogg;
}

// Fifteen seconds: over the streaming threshold, so a sound of it streams while it plays.
const std::string& LongOgg()
{
    static const std::string ogg = MusicLikeOgg(15);
    return ogg;
}

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Lets the device's callback run for one second of audio while this thread sleeps, and
// reports the process's CPU time meanwhile: what the mixing costs a game per second.
void MeasureOneSecondOfPlay(benchmark::State& state)
{
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        SystemSleep(1000);
        state.SetIterationTime(ProcessCpuSeconds() - before);
    }
    state.counters["voices"] = double(state.range(0));
}

// Both callbacks' cases: 0, 1, 8 and 32 voices, one second of play timed by hand, three times.
void CallbackCases(benchmark::internal::Benchmark* b)
{
    b->Arg(0)->Arg(1)->Arg(8)->Arg(32)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
}

// N looping plays of a sound made of `bytes`, our mixer in the device's callback (SDL's
// dummy driver, real time).
void MeasureOurLoops(benchmark::State& state, const std::string& bytes)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    InstallFileAccess(nullptr);
    InstallDefaultStreams();
    if (SoundStart() != 0) {
        state.SkipWithError("no sound device");
        return;
    }
    const int handle = LoadSoundFromMemory(bytes.data(), int32_t(bytes.size()));
    for (int i = 0; i < state.range(0); ++i) PlaySound(handle, SOUND_PLAY_LOOP);
    MeasureOneSecondOfPlay(state);
    SoundEnd();
}

// SDL_mixer on the same driver and format: the chunk of `bytes` (decoded whole, in the
// device's format), N channels looping it (Mix_PlayChannel).
void MeasureSdlMixerLoops(benchmark::State& state, const std::string& bytes)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, 1024) != 0) {
        state.SkipWithError("no SDL_mixer device");
        return;
    }
    Mix_AllocateChannels(64);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
    for (int i = 0; i < state.range(0); ++i) Mix_PlayChannel(-1, chunk, -1);
    MeasureOneSecondOfPlay(state);
    Mix_HaltChannel(-1);
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// N looping voices of a one-second stereo sound, ours and SDL_mixer's.
void BM_SoundMixerCallback(benchmark::State& state) { MeasureOurLoops(state, ToneWav()); }
BENCHMARK(BM_SoundMixerCallback)->Apply(CallbackCases);

void BM_SdlMixerCallback(benchmark::State& state) { MeasureSdlMixerLoops(state, ToneWav()); }
BENCHMARK(BM_SdlMixerCallback)->Apply(CallbackCases);

// The plays' cases: 32 and 64 plays, of the decoded (0) and of the streamed (1) data.
void PlaysCases(benchmark::internal::Benchmark* b)
{
    b->ArgsProduct({{32, 64}, {0, 1}})->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
}

const std::string& PlaysData(benchmark::State& state)
{
    state.counters["streamed"] = double(state.range(1));
    return state.range(1) != 0 ? LongOgg() : MusicOgg();
}

// Plays of one Ogg sound as a game starts them, 32 or 64 looping at once: a decoded one (ten
// seconds, decoded at loading) or a streamed one (fifteen seconds, decoded while it plays by
// the stream thread, whose CPU counts). Arguments: plays, streamed (0 or 1). SDL_mixer gets
// the same data; it decodes a chunk whole (it has no streamed chunks).
void BM_SoundPlaysCallback(benchmark::State& state) { MeasureOurLoops(state, PlaysData(state)); }
BENCHMARK(BM_SoundPlaysCallback)->Apply(PlaysCases);

void BM_SdlMixerPlaysCallback(benchmark::State& state) { MeasureSdlMixerLoops(state, PlaysData(state)); }
BENCHMARK(BM_SdlMixerPlaysCallback)->Apply(PlaysCases);

// The mixer alone, called the way the callback calls it: one second of output (44100
// frames in blocks of 1024) with N looping voices of the one-second sound.
void BM_MixSounds(benchmark::State& state)
{
    const int voices = int(state.range(0));
    InstallDefaultStreams();
    const int handle = LoadSoundFromMemory(ToneWav().data(), int32_t(ToneWav().size()));
    SoundMixer = SoundMixerState{};
    SoundMixer.outputRate = kRate;
    // The voices as PlaySound sets them up, without a device.
    for (int i = 0; i < voices; ++i) {
        Voice& voice = SoundMixer.voices[i];
        voice.playing = 1;
        voice.loop = 1;
        voice.channels = 2;
        voice.samples = ResolveSound(handle)->samples;
        voice.frameCount = kRate;
        voice.position = uint64_t(i * 997) << 32;
        voice.step = VoiceStep(kRate);
        voice.gainLeft = voice.gainRight = 0.2f;
        voice.fade = 1.0f;
    }
    std::vector<int16_t> out(2 * 1024);
    for (auto _ : state) {
        for (int done = 0; done < kRate; done += 1024) MixSounds(out.data(), std::min(1024, kRate - done));
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["voices"] = voices;
    SoundMixer = SoundMixerState{};
    DeleteSound(handle);
}
BENCHMARK(BM_MixSounds)->Arg(1)->Arg(8)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);

// Decoding the whole ten seconds, the layer's way: the decoder over a memory stream or a
// file opened through the archive-aware file operations.
void DecodeThroughLayer(benchmark::State& state, const StreamOps* ops, StreamValue (*open)())
{
    int64_t frames = 0;
    static int16_t block[2 * 4096];
    for (auto _ : state) {
        const StreamValue stream = open();
        SoundDecoder* decoder = OpenSoundDecoder({ops, stream});
        frames = 0;
        for (int32_t got; (got = decoder->ops->read(decoder, block, 4096)) > 0;) frames += got;
        decoder->ops->close(decoder);
        ops->close(stream);
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_OggDecodeLayerMemory(benchmark::State& state)
{
    InstallDefaultStreams();
    DecodeThroughLayer(state, MemoryStreamOps(), [] {
        return reinterpret_cast<StreamValue>(OpenMemoryStream(MusicOgg().data(), int32_t(MusicOgg().size())));
    });
}
BENCHMARK(BM_OggDecodeLayerMemory)->Unit(benchmark::kMillisecond);

void BM_OggDecodeLayerFile(benchmark::State& state)
{
    static const std::string path = (std::filesystem::temp_directory_path() / "ror_sound_bench.ogg").string();
    std::ofstream(path, std::ios::binary) << MusicOgg();
    InstallFileAccess(nullptr);
    InstallDefaultStreams();
    DecodeThroughLayer(state, FileStreamOps(), [] { return StreamValue(FileOpen(path.c_str(), 0, 0, 0)); });
    std::filesystem::remove(path);
}
BENCHMARK(BM_OggDecodeLayerFile)->Unit(benchmark::kMillisecond);

// The peer: libvorbisfile over the bytes in memory with the simplest callbacks.
struct MemorySource {
    const std::string* bytes;
    size_t position;
};

size_t ReadMemory(void* destination, size_t size, size_t count, void* source)
{
    auto* memory = static_cast<MemorySource*>(source);
    const size_t bytes = std::min(size * count, memory->bytes->size() - memory->position);
    std::memcpy(destination, memory->bytes->data() + memory->position, bytes);
    memory->position += bytes;
    return bytes / size;
}

int SeekMemory(void* source, ogg_int64_t offset, int origin)
{
    auto* memory = static_cast<MemorySource*>(source);
    const int64_t base = origin == SEEK_SET   ? 0
                         : origin == SEEK_CUR ? int64_t(memory->position)
                                              : int64_t(memory->bytes->size());
    const int64_t target = base + offset;
    if (target < 0 || target > int64_t(memory->bytes->size())) return -1;
    memory->position = size_t(target);
    return 0;
}

long TellMemory(void* source) { return long(static_cast<MemorySource*>(source)->position); }

void BM_OggDecodeVorbisfileMemory(benchmark::State& state)
{
    int64_t frames = 0;
    static char block[4 * 4096];
    for (auto _ : state) {
        MemorySource source{&MusicOgg(), 0};
        OggVorbis_File vorbis;
        ov_open_callbacks(&source, &vorbis, nullptr, 0, {ReadMemory, SeekMemory, nullptr, TellMemory});
        frames = 0;
        int link = 0;
        for (long got; (got = ov_read(&vorbis, block, sizeof block, 0, 2, 1, &link)) > 0;) frames += got / 4;
        ov_clear(&vorbis);
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_OggDecodeVorbisfileMemory)->Unit(benchmark::kMillisecond);

// Ten seconds of MIDI on all 16 channels: each its own program (channel 10 drums), a note
// of a beat on every beat at 120 beats a minute, the channels a step apart, with a
// controller and a pitch bend each bar.
const std::string& SixteenChannelMidi()
{
    static const std::string piece = [] {
        std::vector<MidiTrack> tracks;
        tracks.push_back(MidiTrack().Tempo(0, 500000).End(480 * 20));
        for (int channel = 0; channel < 16; ++channel) {
            MidiTrack track;
            track.Program(0, channel, channel * 8);
            for (int beat = 0; beat < 20; ++beat) {
                const int key = channel == 9 ? 35 + beat % 12 : 48 + (channel * 3 + beat * 5) % 36;
                if (beat % 4 == 0) {
                    track.Control(0, channel, 1, beat * 5 % 128);
                    track.At(0, {char(0xE0 | channel), 0, char(0x40 + beat % 8)});
                }
                track.Note(0, channel, key, 90).NoteOff(480, channel, key);
            }
            tracks.push_back(track.End());
        }
        return MidiFile(tracks);
    }();
    return piece;
}

// The ten seconds rendered through the layer's decoder over memory, as the stream thread
// reads them; "core" is the share of one core that playing them costs.
void BM_MidiRenderLayer(benchmark::State& state)
{
    InstallDefaultStreams();
    const std::string& piece = SixteenChannelMidi();
    const auto open = [&piece] {
        const StreamValue stream = reinterpret_cast<StreamValue>(OpenMemoryStream(piece.data(), int32_t(piece.size())));
        return SoundReader{MemoryStreamOps(), stream};
    };
    SoundReader warm = open();  // the sound font loads once, before the timing
    if (SoundDecoder* first = OpenSoundDecoder(warm)) first->ops->close(first);
    warm.ops->close(warm.stream);
    static int16_t block[2 * 4096];
    int64_t frames = 0;
    for (auto _ : state) {
        const SoundReader in = open();
        SoundDecoder* decoder = OpenSoundDecoder(in);
        if (decoder == nullptr) {
            state.SkipWithError("no sound font");
            break;
        }
        frames = 0;
        for (int32_t got; (got = decoder->ops->read(decoder, block, 4096)) > 0;) frames += got;
        decoder->ops->close(decoder);
        in.ops->close(in.stream);
    }
    state.counters["frames"] = double(frames);
    state.counters["core"] = benchmark::Counter(double(frames) / kRate, benchmark::Counter::kIsIterationInvariantRate |
                                                                            benchmark::Counter::kInvert);
    ReleaseMidiSynths();
}
BENCHMARK(BM_MidiRenderLayer)->Unit(benchmark::kMillisecond);

// The peer: FluidSynth's own MIDI file player on a synthesiser of the same settings and
// font, rendered with its 16-bit write, as a program without an audio driver uses it.
void BM_MidiRenderFluidPlayer(benchmark::State& state)
{
    const std::string& piece = SixteenChannelMidi();
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", kRate);
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    fluid_synth_t* font = new_fluid_synth(settings);
    const int id = fluid_synth_sfload(font, "/usr/share/sounds/sf2/TimGM6mb.sf2", 0);
    if (id == FLUID_FAILED) {
        state.SkipWithError("no sound font");
        delete_fluid_synth(font);
        delete_fluid_settings(settings);
        return;
    }
    static int16_t block[2 * 4096];
    int64_t frames = 0;
    for (auto _ : state) {
        fluid_synth_t* synth = new_fluid_synth(settings);
        fluid_synth_add_sfont(synth, fluid_synth_get_sfont_by_id(font, id));
        fluid_synth_program_reset(synth);
        fluid_player_t* player = new_fluid_player(synth);
        fluid_player_add_mem(player, piece.data(), piece.size());
        fluid_player_play(player);
        frames = 0;
        // The same ten seconds as the layer renders (the player would go on through the tails).
        while (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING && frames < 10 * kRate) {
            fluid_synth_write_s16(synth, 4096, block, 0, 2, block, 1, 2);
            frames += 4096;
        }
        delete_fluid_player(player);
        fluid_synth_remove_sfont(synth, fluid_synth_get_sfont_by_id(font, id));
        delete_fluid_synth(synth);
    }
    state.counters["frames"] = double(frames);
    state.counters["core"] = benchmark::Counter(double(frames) / kRate, benchmark::Counter::kIsIterationInvariantRate |
                                                                            benchmark::Counter::kInvert);
    delete_fluid_synth(font);
    delete_fluid_settings(settings);
}
BENCHMARK(BM_MidiRenderFluidPlayer)->Unit(benchmark::kMillisecond);

}  // namespace
