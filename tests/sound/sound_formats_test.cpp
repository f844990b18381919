// MP3, FLAC and Opus: files made at test time by each format's own encoder and decoded
// against an independent decoder (sox with libmad for MP3, flac, opusdec); exact lengths,
// seeks, archives and memory, music, and damaged files. The tools come from scripts/setup.
#include "sound_fixture.h"

#include "file/archive_fixture.h"
#include "rorodiv.h"
#include "sound/sound_handles.h"
#include "sound/sound_stream.h"

using namespace ror;

namespace {

// A shell command run in the test's folder, its output dropped; true when it succeeded.
bool RunCommand(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

void RequireTools(std::initializer_list<const char*> tools)
{
    for (const char* tool : tools)
        ASSERT_TRUE(RunCommand(std::string("command -v ") + tool))
            << tool << " is not on PATH: the sound format tests need it (scripts/setup test installs it)";
}

// Raw little-endian samples of `bytes` bytes each as 16-bit samples (their top 16 bits).
std::vector<int16_t> RawSamples(const std::string& raw, int bytes)
{
    std::vector<int16_t> samples;
    for (size_t at = 0; at + size_t(bytes) <= raw.size(); at += size_t(bytes))
        samples.push_back(int16_t(uint8_t(raw[at + bytes - 2]) | (uint8_t(raw[at + bytes - 1]) << 8)));
    return samples;
}

// A WAV of 24-bit samples: each 16-bit sample with a low byte that only 24 bits can carry.
std::string Wav24(const std::vector<int16_t>& samples, uint16_t channels, uint32_t rate)
{
    WavLayout layout;
    layout.channels = channels;
    layout.rate = rate;
    layout.bits = 24;
    std::string data;
    for (size_t i = 0; i < samples.size(); ++i) {
        data += char(i * 37);
        PutLe16(data, uint16_t(samples[i]));
    }
    return WavFile(layout, data);
}

// Two tones, another in each channel, so that a swap or a shift shows.
std::vector<int16_t> TwoTones(int frames)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) {
        samples.push_back(int16_t(std::lround(9000 * std::sin(2 * M_PI * i / 100.0))));
        samples.push_back(int16_t(std::lround(6000 * std::sin(2 * M_PI * i / 37.0))));
    }
    return samples;
}

struct Format {
    const char* name;
    const char* file;  // made from source.wav
    int32_t rate;
    bool deep;            // source.wav has 24-bit samples
    const char* encode;   // source.wav into `file`
    const char* decode;   // `file` into reference.raw
    int referenceBytes;   // bytes of a sample in reference.raw
    int tolerance;        // against the reference decoder
    int sourceTolerance;  // against the source: lossy formats only come close
    // A seek against reading straight through: Opus decodes from a page before the frame,
    // and its decoder's state there differs from that of reading straight through.
    int seekTolerance;
};

const Format kFormats[] = {
    {"MP3", "piece.mp3", 44100, false, "lame --quiet -b 192 source.wav piece.mp3",
     "sox piece.mp3 -t raw -e signed -b 16 reference.raw", 2, 3, 2500, 0},
    {"FLAC", "piece.flac", 44100, false, "flac --silent -f -o piece.flac source.wav",
     "flac -d --silent -f --force-raw-format --endian=little --sign=signed -o reference.raw piece.flac", 2, 0, 0, 0},
    {"FLAC 24-bit", "piece24.flac", 44100, true, "flac --silent -f -o piece24.flac source.wav",
     "flac -d --silent -f --force-raw-format --endian=little --sign=signed -o reference.raw piece24.flac", 3, 0, 0, 0},
    {"Opus", "piece.opus", 48000, false, "opusenc --quiet source.wav piece.opus",
     "opusdec --quiet --rate 48000 --no-dither piece.opus reference.raw", 2, 16, 2500, 1500},
};

constexpr int kCentiseconds = 130;  // the length of the sounds made

class SoundFormatsTest : public SoundFixture {
protected:
    // The format's file made from two tones (stored in `source`), and its reference decoding.
    void Make(const Format& format, std::string* bytes, std::vector<int16_t>* reference)
    {
        ASSERT_NO_FATAL_FAILURE(RequireTools({"lame", "sox", "flac", "opusenc", "opusdec"}));
        source = TwoTones(format.rate * kCentiseconds / 100);
        WriteFile("source.wav",
                  format.deep ? Wav24(source, 2, uint32_t(format.rate)) : Wav16(source, 2, uint32_t(format.rate)));
        ASSERT_TRUE(RunCommand(format.encode)) << format.encode;
        ASSERT_TRUE(RunCommand(format.decode)) << format.decode;
        *bytes = ReadFile(format.file);
        *reference = RawSamples(ReadFile("reference.raw"), format.referenceBytes);
        ASSERT_FALSE(bytes->empty());
    }

    // The samples of a sound loaded from `bytes`; empty when it was refused.
    std::vector<int16_t> Loaded(const std::string& bytes, int32_t* rate = nullptr)
    {
        const int handle = LoadSoundFromMemory(bytes.data(), int32_t(bytes.size()));
        if (handle < 0) return {};
        const SoundRecord* sound = ResolveSound(handle);
        EXPECT_NE(sound->samples, nullptr);
        EXPECT_EQ(sound->format.channels, 2);
        std::vector<int16_t> samples(sound->samples, sound->samples + 2 * sound->format.frames);
        if (rate != nullptr) *rate = sound->format.rate;
        EXPECT_EQ(DeleteSound(handle), 0);
        return samples;
    }

    // Runs `body` for each format with its file and reference decoding, stopping at the
    // first fatal failure.
    template <class Body>
    void ForEachFormat(Body body)
    {
        for (const Format& format : kFormats) {
            SCOPED_TRACE(format.name);
            std::string bytes;
            std::vector<int16_t> reference;
            ASSERT_NO_FATAL_FAILURE(Make(format, &bytes, &reference));
            ASSERT_NO_FATAL_FAILURE(body(format, bytes, reference));
        }
    }

    std::vector<int16_t> source;
};

int WorstDifference(const std::vector<int16_t>& a, size_t aFrom, const std::vector<int16_t>& b, size_t bFrom,
                    size_t count)
{
    int worst = 0;
    for (size_t i = 0; i < count; ++i) worst = std::max(worst, std::abs(a[aFrom + i] - b[bFrom + i]));
    return worst;
}

// Where `part` lies in `whole`, in samples, searched within `range` samples: the offset with
// the least difference over the part's first 4096 samples.
size_t Alignment(const std::vector<int16_t>& whole, const std::vector<int16_t>& part, size_t range)
{
    size_t best = 0;
    int64_t bestSum = INT64_MAX;
    for (size_t offset = 0; offset < range && offset + 4096 < whole.size(); offset += 2) {
        int64_t sum = 0;
        for (size_t i = 0; i < 4096 && sum < bestSum; ++i) sum += std::abs(whole[offset + i] - part[i]);
        if (sum < bestSum) bestSum = sum, best = offset;
    }
    return best;
}

TEST_F(SoundFormatsTest, EachFormatDecodesLikeItsOwnDecoderToTheExactLength)
{
    ForEachFormat([&](const Format& format, const std::string& bytes, const std::vector<int16_t>& reference) {
        int32_t rate = 0;
        const std::vector<int16_t> decoded = Loaded(bytes, &rate);
        ASSERT_EQ(decoded.size(), source.size()) << "every frame of the source, no more " << Logged();
        EXPECT_EQ(rate, format.rate);
        // sox keeps the MP3 encoder's delay, decodes the header frame as silence and drops
        // the last frame; the others give the source's frames alone.
        const size_t offset = reference.size() == decoded.size() ? 0 : Alignment(reference, decoded, 8000);
        ASSERT_LT(offset, reference.size());
        const size_t overlap = std::min(decoded.size(), reference.size() - offset);
        EXPECT_GT(overlap, decoded.size() * 9 / 10);
        EXPECT_LE(WorstDifference(decoded, 0, reference, offset, overlap), format.tolerance)
            << "offset in the reference " << offset;
        // Aligned with the source itself: a lossy decoder only comes close, and frames out of
        // place by more than a few would be far off.
        EXPECT_LE(WorstDifference(decoded, 400, source, 400, decoded.size() - 800), format.sourceTolerance);
    });
}

TEST_F(SoundFormatsTest, ASeekLandsOnTheFrameFromAFileAnArchiveAndMemory)
{
    ForEachFormat([&](const Format& format, const std::string& bytes, const std::vector<int16_t>&) {
        const std::vector<int16_t> whole = Loaded(bytes);
        ASSERT_EQ(whole.size(), source.size());
        const int64_t frames = int64_t(whole.size() / 2);

        const std::vector<uint8_t> archive = MakeArchive(FolderNode("", {FileNode(format.file, bytes)}));
        // An archive of its own name: the layer keeps archives it opened.
        const std::string pack = "pack" + std::to_string(&format - kFormats);
        WriteFile(pack + ".zaz", std::string(archive.begin(), archive.end()));
        const std::string inArchive = pack + "/" + format.file;
        for (const std::string& path : {std::string(format.file), inArchive}) {
            SCOPED_TRACE(path);
            const int handle = LoadSound(path.c_str());
            ASSERT_GE(handle, 0) << Logged();
            const SoundRecord* sound = ResolveSound(handle);
            ASSERT_EQ(sound->format.frames, frames);
            EXPECT_TRUE(std::equal(whole.begin(), whole.end(), sound->samples));
            EXPECT_EQ(DeleteSound(handle), 0);
        }

        SoundReader reader{};
        int32_t isFile = 0;
        ASSERT_EQ(OpenSourceReader({nullptr, reinterpret_cast<const uint8_t*>(bytes.data()), int32_t(bytes.size())},
                                   &reader, &isFile),
                  0);
        SoundDecoder* decoder = OpenSoundDecoder(reader);
        ASSERT_NE(decoder, nullptr) << Logged();
        std::vector<int16_t> got(2 * 700);
        for (const int64_t frame : {frames / 2, int64_t(1), int64_t(12345), frames - 300, int64_t(0), frames - 1}) {
            SCOPED_TRACE(frame);
            ASSERT_EQ(decoder->ops->seek(decoder, frame), 0);
            const int32_t count = decoder->ops->read(decoder, got.data(), 700);
            ASSERT_EQ(count, std::min<int64_t>(700, frames - frame));
            const int here = WorstDifference(got, 0, whole, size_t(2 * frame), size_t(2 * count));
            EXPECT_LE(here, format.seekTolerance);
            // Closer at its own frame than one frame either side.
            if (frame > 0 && count > 1) {
                EXPECT_LT(here, WorstDifference(got, 0, whole, size_t(2 * (frame - 1)), size_t(2 * count)));
                EXPECT_LT(here, WorstDifference(got, 2, whole, size_t(2 * frame), size_t(2 * count - 2)));
            }
        }
        EXPECT_EQ(decoder->ops->read(decoder, got.data(), 700), 0) << "at the end";
        EXPECT_EQ(decoder->ops->seek(decoder, frames), 0) << "the very end";
        EXPECT_EQ(decoder->ops->read(decoder, got.data(), 700), 0);
        EXPECT_EQ(decoder->ops->seek(decoder, frames + 1), -1);
        EXPECT_EQ(decoder->ops->seek(decoder, 100), 0) << "usable after a refused seek";
        EXPECT_EQ(decoder->ops->read(decoder, got.data(), 10), 10);
        EXPECT_LE(WorstDifference(got, 0, whole, 200, 20), std::max(format.seekTolerance, 16));
        decoder->ops->close(decoder);
        CloseSourceReader(reader);
    });
}

// Music of each format streams from an archive, and its position moves where it is sent.
TEST_F(SoundFormatsTest, MusicOfEachFormatPlaysAndSeeksFromAnArchive)
{
    MixByHand();
    ForEachFormat([&](const Format& format, const std::string& bytes, const std::vector<int16_t>&) {
        const std::vector<int16_t> whole = Loaded(bytes);
        const std::vector<uint8_t> archive = MakeArchive(FolderNode("", {FileNode(format.file, bytes)}));
        const std::string pack = "music" + std::to_string(&format - kFormats);
        WriteFile(pack + ".zaz", std::string(archive.begin(), archive.end()));
        ASSERT_EQ(PlayMusic((pack + "/" + format.file).c_str(), 0), 0) << Logged();
        for (const int64_t frame : {int64_t(30000), int64_t(777), int64_t(0)}) {
            SCOPED_TRACE(frame);
            ASSERT_EQ(SetMusicPosition(frame), 0);
            EXPECT_EQ(GetMusicPosition(), frame);
            std::vector<int16_t> out(2 * 441);
            StepSoundStreaming();
            MixSounds(out.data(), 441);
            EXPECT_NEAR(double(GetMusicPosition()), double(frame + int64_t(441) * format.rate / 44100), 2.0);
            // At the output's own rate the music's frames come out as they are.
            if (format.rate == 44100) {
                EXPECT_TRUE(std::equal(out.begin(), out.end(), whole.begin() + 2 * frame));
            }
        }
        EXPECT_EQ(SetMusicPosition(int64_t(source.size() / 2) + 1), -1);
        EXPECT_EQ(StopMusic(), 0);
    });
}

// Damaged and cut files of each format: refused with the format's line, or decoded to no more
// than they claim; the damage a stream meets ends the music with the format's line.
TEST_F(SoundFormatsTest, DamagedAndCutFilesAreRefusedOrEndWithALogLine)
{
    MixByHand();
    const int64_t allocations = TrackedAllocationCount();  // the device's own
    const struct {
        const char* name;
        const char* line;  // the start of each line the format writes
    } lines[] = {{"MP3", "MP3ファイル"}, {"FLAC", "FLACファイル"}, {"Opus", "Opusファイル"}};
    ForEachFormat([&](const Format& format, const std::string& good, const std::vector<int16_t>&) {
        const char* line = nullptr;
        for (const auto& l : lines)
            if (std::strncmp(format.name, l.name, std::strlen(l.name)) == 0) line = l.line;
        ASSERT_NE(line, nullptr);
        auto flipped = [&](size_t at, size_t count) {
            std::string bytes = good;
            for (size_t i = at; i < at + count && i < bytes.size(); ++i) bytes[i] = char(bytes[i] ^ 0x5A);
            return bytes;
        };
        struct Case {
            const char* name;
            std::string bytes;
            bool refused;  // refused at loading for sure
        };
        const Case cases[] = {
            {"magic only", good.substr(0, 4), true},
            {"header cut", good.substr(0, 50), true},
            {"cut at a third", good.substr(0, good.size() / 3), false},
            {"cut two bytes short", good.substr(0, good.size() - 2), false},
            {"flipped at a third", flipped(good.size() / 3, 64), false},
            {"flipped near the end", flipped(good.size() - 100, 16), false},
            {"header flipped", flipped(8, 24), false},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            logged.clear();
            const int handle = LoadSoundFromMemory(c.bytes.data(), int32_t(c.bytes.size()));
            if (handle < 0) {
                // An Ogg file cut before its first packet cannot tell Opus from Vorbis.
                EXPECT_TRUE(Logged().find(line) != std::string::npos ||
                            Logged().find("Ogg Vorbis") != std::string::npos ||
                            Logged().find("対応していない") != std::string::npos)
                    << Logged();
            } else {
                EXPECT_FALSE(c.refused);
                EXPECT_LE(ResolveSound(handle)->format.frames, int64_t(source.size() / 2) + 4096);
                EXPECT_EQ(DeleteSound(handle), 0);
            }
            EXPECT_EQ(TrackedAllocationCount(), allocations);
            // As music, streamed: the same, or it ends with the format's line.
            WriteFile("damaged", c.bytes);
            logged.clear();
            if (PlayMusic("damaged", 0) != 0) continue;
            std::vector<int16_t> out(2 * 2048);
            for (int round = 0; round < 40 && IsMusicPlaying(); ++round) {
                StepSoundStreaming();
                MixSounds(out.data(), 2048);
            }
            EXPECT_EQ(IsMusicPlaying(), 0);
            StepSoundStreaming();
            const size_t damage = Logged().find("データが壊れています");
            if (damage != std::string::npos) {
                EXPECT_NE(Logged().find(line), std::string::npos) << Logged();
            }
            EXPECT_EQ(StopMusic(), 0);
        }
    });
}

}  // namespace
