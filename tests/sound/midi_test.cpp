// MIDI pieces: the file read into timed messages, rendered by the synthesiser at the device's
// rate, and played as music and as sounds.
#include "sound_fixture.h"

#include <cmath>

#include "midi_files.h"
#include "platform/audio/audio_device.h"
#include "platform/system/clock.h"
#include "rorodiv.h"
#include "sound/midi_piece.h"
#include "sound/midi_synth.h"
#include "sound/sound_decoder.h"
#include "sound/sound_handles.h"

using namespace ror;

namespace {

constexpr int kRate = 44100;

MidiTrack Track() { return MidiTrack{}; }

class MidiPieceTest : public SoundFixture {
protected:
    // The bytes read as a piece at 44100 Hz; the result of the read.
    static int Read(const std::string& bytes, MidiPiece* piece)
    {
        MemoryStream* memory = OpenMemoryStream(bytes.data(), int32_t(bytes.size()));
        const SoundReader reader{&kPlainMemoryStreamOps, reinterpret_cast<StreamValue>(memory)};
        const int result = ReadMidiPiece(reader, kRate, piece);
        CloseMemoryStream(reinterpret_cast<StreamValue>(memory));
        return result;
    }
};

struct Timed {
    int64_t frame;
    int status, data1;
    bool operator==(const Timed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Timed& t)
{
    return out << "{" << t.frame << ", 0x" << std::hex << t.status << std::dec << ", " << t.data1 << "}";
}

TEST_F(MidiPieceTest, MessagesAreTimedThroughTempoChangesAndTracksMergeInTimeOrder)
{
    // At 120 beats a minute and 480 ticks a quarter, 480 ticks are 22050 frames.
    struct Case {
        const char* name;
        std::string file;
        std::vector<Timed> messages;
        int64_t frames, loopStart, loopEnd;
    };
    const Case cases[] = {
        {"format 0 with running status and a system exclusive",
         MidiFile({Track()
                       .At(0, std::string("\xF0\x05\x7E\x7F\x09\x01\xF7", 7))
                       .Note(480, 0, 60)
                       .At(480, {60, 0})  // running status: a note-on of velocity 0
                       .Program(0, 1, 19)
                       .At(240, {5})  // running status of a program change
                       .End(240)},
                  480, 0),
         {{0, 0xF0, 0}, {22050, 0x90, 60}, {44100, 0x90, 60}, {44100, 0xC1, 19}, {55125, 0xC1, 5}},
         66150,
         0,
         66150},
        {"format 1: the tempo map in one track, notes in another, ties in track order",
         MidiFile({Track().Tempo(0, 500000).Note(960, 0, 50).Tempo(0, 250000).End(),
                   Track().Note(480, 1, 60).Note(480, 1, 62).Note(480, 1, 64).End(480)}),
         {{22050, 0x91, 60}, {44100, 0x90, 50}, {44100, 0x91, 62}, {55125, 0x91, 64}},
         66150,
         0,
         66150},
        {"SMPTE time: 25 frames of 40 ticks a second, tempo changes ignored",
         MidiFile({Track().Tempo(0, 100000).Note(500, 0, 60).End(500)}, uint16_t(0xE728), 0),
         {{22050, 0x90, 60}},
         44100,
         0,
         44100},
        {"SMPTE time at 29.97 frames a second",
         MidiFile({Track().Note(3000, 0, 60).End()}, uint16_t(0xE364), 0),
         {{44144, 0x90, 60}},
         44144,
         0,
         44144},
        {"a controller 111 starts the loop and is not sent",
         MidiFile({Track().Note(0, 0, 60).Control(960, 0, 111, 0).Note(0, 0, 62).End(960)}, 480, 0),
         {{0, 0x90, 60}, {44100, 0x90, 62}},
         88200,
         44100,
         88200},
        {"markers set the loop's start and end, skipping other metas and chunks",
         MidiFile({Track()
                       .Meta(0, 0x03, "title")
                       .Meta(480, 0x06, "LoopStart")
                       .Note(0, 0, 60)
                       .Meta(480, 0x06, "loopEnd")
                       .Meta(0, 0x06, "loop")
                       .End(480)},
                  480, 0)
             .insert(14, MidiChunk("XFIH", "ignored")),
         {{22050, 0x90, 60}},
         66150,
         22050,
         44100},
        {"a controller 111 wins over a marker; a track without its end closes where its bytes end",
         MidiFile({Track().Meta(0, 0x06, "loopStart").Control(480, 2, 111, 0).Note(480, 2, 60)}, 480, 0),
         {{44100, 0x92, 60}},
         44100,
         22050,
         44100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MidiPiece piece{};
        ASSERT_EQ(Read(c.file, &piece), 0) << Logged();
        std::vector<Timed> got;
        for (int32_t i = 0; i < piece.count; ++i)
            got.push_back({piece.messages[i].frame, piece.messages[i].status, piece.messages[i].data1});
        EXPECT_EQ(got, c.messages);
        EXPECT_EQ(piece.frames, c.frames);
        EXPECT_EQ(piece.loopStart, c.loopStart);
        EXPECT_EQ(piece.loopEnd, c.loopEnd);
        if (piece.count > 0 && piece.messages[0].status == 0xF0) {
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(piece.bytes) + piece.messages[0].offset,
                                  piece.messages[0].size),
                      std::string("\x7E\x7F\x09\x01", 4))
                << "a system exclusive without its F0 and F7";
        }
        FreeMidiPiece(&piece);
    }
}

TEST_F(MidiPieceTest, DamagedCutAndUnsupportedFilesAreRefusedWithALogLine)
{
    const std::string good = MidiFile({Track().Tempo(0, 400000).End(), Track().Note(10, 0, 60).End(480)});
    struct Case {
        const char* name;
        std::string file;
        const char* line;
    };
    const Case cases[] = {
        {"the header cut", good.substr(0, 12), "途中で切れています"},
        {"a track cut", good.substr(0, good.size() - 3), "途中で切れています"},
        {"a track missing", good.substr(0, good.size() - 8 - 11), "途中で切れています"},
        {"a meta event past its track", MidiFile({Track().At(0, std::string("\xFF\x01\x20", 3))}),
         "途中で切れています"},
        {"a delta time of five bytes", MidiFile({Track().At(0, "\x81\x81\x81\x81\x01\x90\x3C\x40")}), "壊れています"},
        {"data before any status", MidiFile({Track().At(0, {60, 64}).End()}), "壊れています"},
        {"a status byte as data", MidiFile({Track().At(0, "\x90\x3C\x90").End()}), "壊れています"},
        {"a system common message", MidiFile({Track().At(0, "\xF2\x00\x00").End()}), "壊れています"},
        {"format 0 with two tracks", MidiFile({Track().End(), Track().End()}, 480, 0), "壊れています"},
        {"no ticks a quarter", MidiFile({Track().Note(0, 0, 60).End(10)}, 0), "壊れています"},
        {"nothing that lasts", MidiFile({Track().Note(0, 0, 60).End()}), "壊れています"},
        {"longer than a day", MidiFile({Track().Tempo(0, 0xFFFFFF).Note(0, 0, 60).End(0x0FFFFFFF)}), "長すぎます"},
        {"format 2", MidiFile({Track().Note(0, 0, 60).End(10)}, 480, 2), "フォーマット 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        logged.clear();
        MidiPiece piece{};
        EXPECT_EQ(Read(c.file, &piece), -1);
        EXPECT_NE(Logged().find(c.line), std::string::npos) << Logged();
        EXPECT_EQ(piece.bytes, nullptr);
    }
    // Every shorter part of a good file is cut somewhere.
    for (size_t size = 0; size < good.size(); ++size) {
        MidiPiece piece{};
        EXPECT_EQ(Read(good.substr(0, size), &piece), -1) << size;
    }
}

// The magnitude of one frequency in the left channel of `frames` stereo frames from `from`.
double Strength(const std::vector<int16_t>& stereo, int64_t from, int64_t frames, double hertz)
{
    const double w = 2 * M_PI * hertz / kRate;
    double re = 0, im = 0;
    for (int64_t i = 0; i < frames; ++i) {
        const double x = stereo[size_t(2 * (from + i))];
        re += x * std::cos(w * double(i));
        im -= x * std::sin(w * double(i));
    }
    return std::hypot(re, im) / double(frames);
}

double KeyHertz(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

// The test piece: four notes one after another with rests between, whose keys share no
// harmonics; the tempo
// doubles at the third, where a controller 111 starts the loop; a program change before the
// fourth. 480 ticks a quarter.
constexpr int kKeys[] = {69, 74, 79, 72};  // A4, D5, G5, C5
constexpr int64_t kOnsets[] = {22050, 44100, 66150, 77175};
constexpr int64_t kPieceFrames = 93712;  // 240 ticks after the last note's end at 240 beats a minute
constexpr int kLoopStart = 66150;
constexpr int kFourthProgram = 19;  // an organ: rich in harmonics, unlike the piano

std::string TestPiece()
{
    MidiTrack tempo = Track().Tempo(0, 500000).Tempo(1440, 250000).End();
    MidiTrack notes = Track()
                          .Note(480, 0, kKeys[0])
                          .NoteOff(240, 0, kKeys[0])
                          .Note(240, 0, kKeys[1])
                          .NoteOff(240, 0, kKeys[1])
                          .Control(240, 0, 111, 0)
                          .Note(0, 0, kKeys[2])
                          .NoteOff(240, 0, kKeys[2])
                          .Program(0, 0, kFourthProgram)
                          .Note(240, 0, kKeys[3])
                          .NoteOff(240, 0, kKeys[3])
                          .End(480);
    return MidiFile({tempo, notes});
}

// Where the key's sound rises: the first window of 256 frames (searched in steps of 8 around
// `expected`) with a quarter of its strength after the attack. It lags the note's start by
// what the instrument's attack takes, which a note rendered alone measures.
int64_t Onset(const std::vector<int16_t>& stereo, int64_t expected, int key)
{
    const double steady = Strength(stereo, expected + 1000, 2048, KeyHertz(key));
    for (int64_t at = expected - 2000; at < expected + 2000; at += 8)
        if (Strength(stereo, at, 256, KeyHertz(key)) >= steady / 4) return at;
    return -1;
}

// The loudest of the piece's keys over a window.
int LoudestKey(const std::vector<int16_t>& stereo, int64_t from, int64_t frames)
{
    int best = -1;
    double strongest = 0;
    for (int key : kKeys) {
        const double s = Strength(stereo, from, frames, KeyHertz(key));
        if (s > strongest) strongest = s, best = key;
    }
    return best;
}

// How much of a note's sound lies above its fundamental (its second to fourth harmonics
// against the first): an organ's is far more than a piano's.
double Overtones(const std::vector<int16_t>& stereo, int64_t from, int key)
{
    const double f = KeyHertz(key);
    double above = 0;
    for (int h = 2; h <= 4; ++h) above += Strength(stereo, from, 2048, h * f);
    return above / Strength(stereo, from, 2048, f);
}

// The piece through the decoder at 44100 Hz: `frames` frames, turning back at the loop's end
// as a looping stream does.
std::vector<int16_t> Render(const std::string& bytes, int64_t frames)
{
    MemoryStream* memory = OpenMemoryStream(bytes.data(), int32_t(bytes.size()));
    const SoundReader reader{&kPlainMemoryStreamOps, reinterpret_cast<StreamValue>(memory)};
    SoundDecoder* decoder = OpenSoundDecoder(reader);
    std::vector<int16_t> out(size_t(2 * frames));
    EXPECT_NE(decoder, nullptr);
    for (int64_t done = 0; decoder != nullptr && done < frames;) {
        // Odd sizes, so reads end inside the synthesiser's blocks.
        const int32_t got =
            decoder->ops->read(decoder, out.data() + 2 * done, int32_t(std::min<int64_t>(777, frames - done)));
        if (got == 0) {
            if (decoder->ops->seek(decoder, decoder->format.loopStart) != 0) break;
            continue;
        }
        EXPECT_GT(got, 0);
        if (got < 0) break;
        done += got;
    }
    if (decoder != nullptr) decoder->ops->close(decoder);
    CloseMemoryStream(reinterpret_cast<StreamValue>(memory));
    return out;
}

using MidiRenderTest = SoundFixture;

TEST_F(MidiRenderTest, NotesSoundAtTheirFrequencyAndTimeThroughTempoProgramAndLoop)
{
    const std::string piece = TestPiece();
    const int64_t frames = kPieceFrames + 22050;  // past the loop's turn
    const std::vector<int16_t> out = Render(piece, frames);

    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 2 * (kOnsets[0] - kMidiBlockFrames), [](int16_t s) {
        return s == 0;
    })) << "silence before the first note";
    const int64_t second = kPieceFrames;  // the loop's start sounds again from here
    // The organ's slow attack makes its rise a less exact mark than the piano's.
    const double sharp = kMidiBlockFrames + 8, slow = 300;
    const struct {
        int key, program;
        int64_t onset;
        double tolerance;
    } notes[] = {{kKeys[0], 0, kOnsets[0], sharp}, {kKeys[1], 0, kOnsets[1], sharp},
                 {kKeys[2], 0, kOnsets[2], sharp}, {kKeys[3], kFourthProgram, kOnsets[3], slow},
                 {kKeys[2], 0, second, sharp},     {kKeys[3], kFourthProgram, second + kOnsets[3] - kLoopStart, slow}};
    for (const auto& note : notes) {
        SCOPED_TRACE("key " + std::to_string(note.key) + " at " + std::to_string(note.onset));
        EXPECT_EQ(LoudestKey(out, note.onset + 500, 2048), note.key);
        // The same note alone at frame 22050 gives the lag of its attack. The synthesiser
        // starts a note with the block nearest its time: within half a block each.
        const std::vector<int16_t> alone =
            Render(MidiFile(
                       {Track().Program(0, 0, note.program).Note(480, 0, note.key).NoteOff(240, 0, note.key).End(480)}),
                   44100);
        const int64_t lag = Onset(alone, 22050, note.key) - 22050;
        EXPECT_NEAR(double(Onset(out, note.onset, note.key) - lag), double(note.onset), note.tolerance);
    }
    // The fourth note has the organ's sound each time round, the third the piano's again
    // after the turn, as the loop's start had it.
    const double piano = Overtones(out, kOnsets[2] + 500, kKeys[2]);
    const double organ = Overtones(out, kOnsets[3] + 500, kKeys[3]);
    EXPECT_GT(organ, 2.5 * piano) << "piano " << piano << " organ " << organ;
    EXPECT_NEAR(Overtones(out, second + 500, kKeys[2]), piano, piano * 0.2);
    EXPECT_NEAR(Overtones(out, second + kOnsets[3] - kLoopStart + 500, kKeys[3]), organ, organ * 0.2);
}

size_t FirstSound(const std::vector<int16_t>& stereo)
{
    size_t i = 0;
    while (i < stereo.size() && stereo[i] == 0) ++i;
    return i & ~size_t(1);
}

// Pieces played on SDL's disk driver: the device's output holds the rendered frames.
class MidiOutputTest : public SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        ASSERT_EQ(SoundStart(), 0);
    }

    // The disk driver runs in real time: waits, bounded, until `frames` more are mixed.
    static void WaitForFrames(int64_t frames)
    {
        const int64_t until = AudioFramesMixed() + frames;
        for (int tries = 0; tries < 4000 && AudioFramesMixed() < until; ++tries) SystemSleep(5);
        EXPECT_GE(AudioFramesMixed(), until);
    }

    std::vector<int16_t> Output()
    {
        EXPECT_EQ(SoundEnd(), 0);
        const std::string bytes = ReadFile(folder / "output.raw");
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
};

TEST_F(MidiOutputTest, APiecePlaysAsMusicAndAsASoundFrameForFrameAsRendered)
{
    WriteFile("piece.mid", TestPiece());
    const int64_t looped = kPieceFrames + 22050;
    struct Case {
        const char* name;
        bool music;
        int64_t frames;  // what is heard of the piece before the play ends or is stopped
    };
    const Case cases[] = {{"music, looping", true, looped}, {"a sound, once", false, kPieceFrames}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (CurrentAudioDriver() == nullptr) {
            ASSERT_EQ(SoundStart(), 0);
        }
        if (c.music) {
            ASSERT_EQ(PlayMusic("piece.mid", 1), 0) << Logged();
            WaitForFrames(looped + 8192);
            ASSERT_EQ(IsMusicPlaying(), 1);
            ASSERT_EQ(StopMusic(), 0);
        } else {
            const int handle = LoadSound("piece.mid");
            ASSERT_GE(handle, 0) << Logged();
            ASSERT_EQ(PlaySound(handle, SOUND_PLAY_WAIT), 0);
            WaitForFrames(4096);
        }
        const std::vector<int16_t> out = Output();
        const std::vector<int16_t> expected = Render(TestPiece(), c.frames);
        const size_t lead = FirstSound(expected);
        const size_t onset = FirstSound(out);
        ASSERT_GE(onset, lead);
        ASSERT_GE(out.size(), onset - lead + expected.size());
        const std::vector<int16_t> heard(out.begin() + long(onset - lead),
                                         out.begin() + long(onset - lead + expected.size()));
        size_t differing = 0;
        for (size_t i = 0; i < expected.size(); ++i) differing += heard[i] != expected[i];
        EXPECT_EQ(differing, 0u);
        if (!c.music) {
            EXPECT_TRUE(std::all_of(out.begin() + long(onset - lead + expected.size()), out.end(), [](int16_t s) {
                return s == 0;
            })) << "silence after the sound";
        }
    }
}

// The device up, the test mixing by hand.
class MidiMusicTest : public SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        MixByHand();
    }

    void TearDown() override
    {
        SetMidiSoundFont(nullptr);
        SoundFixture::TearDown();
    }

    // `frames` stereo frames, the streams refilled as the message pump does.
    static std::vector<int16_t> Mix(int frames)
    {
        std::vector<int16_t> out(size_t(2 * frames));
        for (int done = 0; done < frames; done += 500) {
            StepSoundStreaming();
            MixSounds(out.data() + 2 * done, std::min(500, frames - done));
        }
        return out;
    }
};

TEST_F(MidiMusicTest, AJumpStartsFromSilenceWithTheNotesFromThereOn)
{
    WriteFile("piece.mid", TestPiece());
    ASSERT_EQ(PlayMusic("piece.mid", 0), 0) << Logged();
    Mix(30000);  // into the first note
    const int64_t to = kOnsets[1] - 1000;
    ASSERT_EQ(SetMusicPosition(to), 0);
    EXPECT_EQ(GetMusicPosition(), to);
    const std::vector<int16_t> out = Mix(5000);
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 2 * (1000 - kMidiBlockFrames), [](int16_t s) { return s == 0; }))
        << "nothing of the first note rings on";
    EXPECT_EQ(LoudestKey(out, 1500, 2048), kKeys[1]);
    EXPECT_EQ(GetMusicPosition(), to + 5000);
    EXPECT_EQ(SetMusicPosition(kPieceFrames + 1), -1) << "past the end";
}

TEST_F(MidiMusicTest, PiecesThatCannotPlayAreRefusedWithALogLine)
{
    const std::string piece = TestPiece();
    WriteFile("piece.mid", piece);
    WriteFile("cut.mid", piece.substr(0, piece.size() - 5));
    WriteFile("junk.sf2", "RIFF is all it has");
    struct Case {
        const char* name;
        const char* file;
        const char* font;  // null: the default
        const char* line;
    };
    const Case cases[] = {
        {"a cut file", "cut.mid", nullptr, "MIDIファイルが途中で切れています"},
        {"no sound font", "piece.mid", "missing.sf2", "MIDI用のサウンドフォントが見つかりません(missing.sf2)"},
        {"a damaged sound font", "piece.mid", "junk.sf2", "サウンドフォント junk.sf2 を読み込めませんでした"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(SetMidiSoundFont(c.font), 0);
        logged.clear();
        EXPECT_EQ(PlayMusic(c.file, 0), -1);
        EXPECT_NE(Logged().find(c.line), std::string::npos) << Logged();
        EXPECT_EQ(IsMusicPlaying(), 0);
        logged.clear();
        EXPECT_EQ(LoadSound(c.file), -1);
        EXPECT_NE(Logged().find(c.line), std::string::npos) << Logged();
    }
    EXPECT_EQ(SetMidiSoundFont(std::string(kFilePathSize, 'a').c_str()), -1);
    ASSERT_EQ(SetMidiSoundFont(nullptr), 0);
    EXPECT_EQ(PlayMusic("piece.mid", 0), 0) << "the default font again";
}

TEST_F(MidiMusicTest, AnotherFontTakesEffectAtTheNextPieceWhileThePlayingOneKeepsItsOwn)
{
    WriteFile("piece.mid", TestPiece());
    ASSERT_EQ(PlayMusic("piece.mid", 1), 0) << Logged();
    Mix(kOnsets[0]);
    ASSERT_EQ(SetMidiSoundFont("missing.sf2"), 0);
    EXPECT_EQ(LoadSound("piece.mid"), -1) << "the next piece looks for the new font";
    EXPECT_NE(Logged().find("(missing.sf2)"), std::string::npos) << Logged();
    EXPECT_EQ(LoudestKey(Mix(4096), 1000, 2048), kKeys[0]) << "the piece playing sounds on";
}

}  // namespace
