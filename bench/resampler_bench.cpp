// Resamplers the mixer could use, side by side: SDL's audio stream, libspeexdsp at a few
// qualities, libsamplerate's sinc converters (its callback-free process call) and the mixer's
// own linear interpolation. Each one's quality (aliasing of a sweep, a tone against sox's
// `rate -v -L`) is reported as counters, once per case; the time is the CPU of one second of
// stereo output made in the mixer's blocks of 256 frames.
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <samplerate.h>
#include <speex/speex_resampler.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kOutputRate = 44100;
constexpr int kBlock = 256;

enum class Kind { Linear, SdlStream, Speex1, Speex3, Speex5, SincFastest, SincMedium, Speex4 };

// Turns interleaved 16-bit input at one rate into float output at another, block by block.
struct Converter {
    Kind kind = Kind::Linear;
    int channels = 1;
    double ratio = 1;  // output frames per input frame
    SpeexResamplerState* speex = nullptr;
    SRC_STATE* src = nullptr;
    SDL_AudioStream* stream = nullptr;
    double position = 0;  // linear: in input frames
    std::vector<float> in;
    std::vector<int16_t> shorts;
};

void Open(Converter& c, int inputRate)
{
    const int quality = c.kind == Kind::Speex1 ? 1 : c.kind == Kind::Speex3 ? 3 : c.kind == Kind::Speex4 ? 4 : 5;
    int error = 0;
    switch (c.kind) {
    case Kind::Speex1:
    case Kind::Speex3:
    case Kind::Speex4:
    case Kind::Speex5:
        c.speex = speex_resampler_init(c.channels, inputRate, kOutputRate, quality, &error);
        speex_resampler_skip_zeros(c.speex);
        break;
    case Kind::SincFastest:
    case Kind::SincMedium:
        c.src = src_new(c.kind == Kind::SincFastest ? SRC_SINC_FASTEST : SRC_SINC_MEDIUM_QUALITY, c.channels, &error);
        break;
    case Kind::SdlStream:
        c.stream = SDL_NewAudioStream(AUDIO_S16SYS, c.channels, inputRate, AUDIO_F32SYS, c.channels, kOutputRate);
        break;
    case Kind::Linear: break;
    }
    c.ratio = double(kOutputRate) / inputRate;
}

void Close(Converter& c)
{
    if (c.speex != nullptr) speex_resampler_destroy(c.speex);
    if (c.src != nullptr) src_delete(c.src);
    if (c.stream != nullptr) SDL_FreeAudioStream(c.stream);
}

// Makes `frames` output frames, taking input from `source` (frames past its end are silence)
// at `*used`, which it advances.
void Convert(Converter& c, const std::vector<int16_t>& source, int64_t* used, float* out, int frames)
{
    const int ch = c.channels;
    const int64_t total = int64_t(source.size()) / ch;
    auto sample = [&](int64_t frame, int k) { return frame < total ? float(source[frame * ch + k]) : 0.0f; };
    if (c.kind == Kind::Linear) {
        const double step = 1.0 / c.ratio;
        for (int i = 0; i < frames; ++i) {
            const int64_t index = int64_t(c.position);
            const float fraction = float(c.position - double(index));
            for (int k = 0; k < ch; ++k) {
                const float a = sample(index, k);
                out[i * ch + k] = a + (sample(index + 1, k) - a) * fraction;
            }
            c.position += step;
        }
        *used = int64_t(c.position);
        return;
    }
    // Enough input for the block and the filter's reach.
    const int want = int(std::ceil(frames / c.ratio)) + 128;
    c.shorts.resize(size_t(want) * ch);
    if (c.stream == nullptr)
        for (int i = 0; i < want; ++i)
            for (int k = 0; k < ch; ++k) c.shorts[size_t(i) * ch + k] = int16_t(sample(*used + i, k));
    int made = 0;
    if (c.speex != nullptr) {
        std::vector<int16_t>& o = c.shorts;  // reused below as scratch for the output
        static thread_local std::vector<int16_t> output;
        output.resize(size_t(frames) * ch);
        int offset = 0;
        while (made < frames) {
            spx_uint32_t inLen = spx_uint32_t(want - offset), outLen = spx_uint32_t(frames - made);
            speex_resampler_process_interleaved_int(c.speex, o.data() + size_t(offset) * ch, &inLen,
                                                    output.data() + size_t(made) * ch, &outLen);
            offset += int(inLen);
            made += int(outLen);
            if (inLen == 0 && outLen == 0) break;
        }
        for (int i = 0; i < frames * ch; ++i) out[i] = output[size_t(i)];
        *used += offset;
        return;
    }
    if (c.src != nullptr) {
        c.in.resize(size_t(want) * ch);
        src_short_to_float_array(c.shorts.data(), c.in.data(), want * ch);
        int offset = 0;
        while (made < frames) {
            SRC_DATA data{};
            data.data_in = c.in.data() + size_t(offset) * ch;
            data.input_frames = want - offset;
            data.data_out = out + size_t(made) * ch;
            data.output_frames = frames - made;
            data.src_ratio = c.ratio;
            src_process(c.src, &data);
            offset += int(data.input_frames_used);
            made += int(data.output_frames_gen);
            if (data.input_frames_used == 0 && data.output_frames_gen == 0) break;
        }
        for (int i = 0; i < frames * ch; ++i) out[i] *= 32768.0f;
        *used += offset;
        return;
    }
    // SDL's stream: more input while less than a block is ready; it keeps what is left over.
    const int bytes = frames * ch * int(sizeof(float));
    while (SDL_AudioStreamAvailable(c.stream) < bytes) {
        for (int i = 0; i < want; ++i)
            for (int k = 0; k < ch; ++k) c.shorts[size_t(i) * ch + k] = int16_t(sample(*used + i, k));
        SDL_AudioStreamPut(c.stream, c.shorts.data(), want * ch * int(sizeof(int16_t)));
        *used += want;
    }
    SDL_AudioStreamGet(c.stream, out, bytes);
    for (int i = 0; i < frames * ch; ++i) out[i] *= 32768.0f;
}

std::vector<float> Resample(Kind kind, const std::vector<int16_t>& source, int channels, int inputRate,
                            int64_t outFrames)
{
    Converter c;
    c.kind = kind;
    c.channels = channels;
    Open(c, inputRate);
    std::vector<float> out(size_t(outFrames) * channels);
    int64_t used = 0;
    for (int64_t done = 0; done < outFrames; done += kBlock)
        Convert(c, source, &used, out.data() + done * channels, int(std::min<int64_t>(kBlock, outFrames - done)));
    Close(c);
    return out;
}

// A linear sweep from `from` to `to` Hz over `frames` frames, mono, at 0.5 of full scale.
std::vector<int16_t> Sweep(int rate, double from, double to, int64_t frames)
{
    std::vector<int16_t> s(static_cast<size_t>(frames));
    double phase = 0;
    for (int64_t i = 0; i < frames; ++i) {
        const double f = from + (to - from) * double(i) / double(frames);
        phase += 2 * M_PI * f / rate;
        s[size_t(i)] = int16_t(16384 * std::sin(phase));
    }
    return s;
}

void Fft(std::vector<std::complex<double>>& a)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * M_PI / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wn = 1;
            for (size_t j = 0; j < len / 2; ++j) {
                const std::complex<double> u = a[i + j], v = a[i + j + len / 2] * wn;
                a[i + j] = u + v;
                a[i + j + len / 2] = u - v;
                wn *= w;
            }
        }
    }
}

double Energy(const std::vector<float>& s)
{
    double e = 0;
    for (float v : s) e += double(v) * v;
    return e;
}

double Energy(const std::vector<int16_t>& s)
{
    double e = 0;
    for (int16_t v : s) e += double(v) * v;
    return e;
}

double Decibels(double ratio) { return 10 * std::log10(std::max(ratio, 1e-30)); }

// Downsampling (or a pitch raised): a sweep over only the source band that the output cannot
// hold; whatever comes out is folded back. Its energy against the input's, in dB.
double FoldedSweep(Kind kind, int inputRate)
{
    const int64_t frames = inputRate * 2;
    const std::vector<int16_t> sweep = Sweep(inputRate, kOutputRate / 2.0, inputRate / 2.0, frames);
    const int64_t outFrames = frames * kOutputRate / inputRate;
    const std::vector<float> out = Resample(kind, sweep, 1, inputRate, outFrames);
    return Decibels(Energy(out) / (Energy(sweep) * double(outFrames) / double(frames)));
}

// Upsampling: a sweep over the whole source band; energy above the source's Nyquist (images
// folded about it) against the whole output's, in dB.
double ImagedSweep(Kind kind, int inputRate)
{
    const int64_t frames = inputRate * 2;
    const std::vector<int16_t> sweep = Sweep(inputRate, 20, inputRate / 2.0, frames);
    const size_t n = 1 << 17;
    const std::vector<float> out = Resample(kind, sweep, 1, inputRate, int64_t(n));
    std::vector<std::complex<double>> spectrum(out.begin(), out.end());
    Fft(spectrum);
    double above = 0, all = 0;
    for (size_t i = 1; i < n / 2; ++i) {
        const double e = std::norm(spectrum[i]);
        all += e;
        if (double(i) * kOutputRate / double(n) > inputRate / 2.0 * 1.02) above += e;
    }
    return Decibels(above / all);
}

// Three tones below the source's Nyquist, mono.
std::vector<int16_t> Tones(int rate, int64_t frames)
{
    const double top = std::min(rate, kOutputRate) / 2.0 * 0.85;
    std::vector<int16_t> s(static_cast<size_t>(frames));
    for (int64_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        s[size_t(i)] = int16_t(
            8000 * (std::sin(2 * M_PI * 440 * t) + std::sin(2 * M_PI * 3000.5 * t) + std::sin(2 * M_PI * top * t)));
    }
    return s;
}

// sox's very-high-quality linear-phase resampler on the same tones, as floats of 16-bit scale.
std::vector<float> SoxReference(const std::vector<int16_t>& source, int inputRate)
{
    const auto dir = std::filesystem::temp_directory_path();
    const std::string in = (dir / "ror_resampler_in.raw").string(), out = (dir / "ror_resampler_out.raw").string();
    std::ofstream(in, std::ios::binary)
        .write(reinterpret_cast<const char*>(source.data()), std::streamsize(source.size() * 2));
    const std::string command = "sox -D -t raw -r " + std::to_string(inputRate) + " -e signed -b 16 -c 1 " + in +
                                " -t raw -e floating-point -b 32 " + out + " rate -v -L " +
                                std::to_string(kOutputRate) + " 2>/dev/null";
    std::vector<float> result;
    if (std::system(command.c_str()) == 0) {
        std::ifstream file(out, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(file)), {});
        result.resize(bytes.size() / 4);
        std::memcpy(result.data(), bytes.data(), result.size() * 4);
        for (float& v : result) v *= 32768.0f;
    }
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return result;
}

// RMS and largest difference from sox's output over the middle of a second of tones, at the
// best whole-frame lag within ±160.
void ToneError(Kind kind, int inputRate, double* rms, double* peak, int* lag)
{
    const std::vector<int16_t> tones = Tones(inputRate, inputRate);
    const std::vector<float> reference = SoxReference(tones, inputRate);
    const std::vector<float> out = Resample(kind, tones, 1, inputRate, kOutputRate);
    *rms = -1;
    if (reference.size() < size_t(kOutputRate) - 64) return;
    for (int shift = -160; shift <= 160; ++shift) {
        double sum = 0, largest = 0;
        int count = 0;
        for (int i = 4000; i < kOutputRate - 4000; ++i) {
            const double d = out[size_t(i + shift)] - reference[size_t(i)];
            sum += d * d;
            largest = std::max(largest, std::abs(d));
            ++count;
        }
        const double value = std::sqrt(sum / count);
        if (*rms < 0 || value < *rms) {
            *rms = value;
            *peak = largest;
            *lag = shift;
        }
    }
}

// Output frames between where an impulse should come out and where its peak does.
int Delay(Kind kind, int inputRate)
{
    std::vector<int16_t> impulse(size_t(inputRate / 10));
    impulse[1000] = 20000;
    const std::vector<float> out = Resample(kind, impulse, 1, inputRate, 4000);
    const auto peak = std::max_element(out.begin(), out.end());
    return int(peak - out.begin()) - int(std::lround(1000.0 * kOutputRate / inputRate));
}

// Arguments: the kind, the input rate (22050, 48000; 66150 is a 44100 Hz sound played at 1.5 ×
// its rate by the play's frequency setting, which the mixer sees as the same ratio).
void BM_Resampler(benchmark::State& state)
{
    const Kind kind = Kind(state.range(0));
    const int rate = int(state.range(1));
    if (kind == Kind::SdlStream) SDL_Init(SDL_INIT_AUDIO);
    // One second of the stereo tones' output, as the mixer asks for it.
    std::vector<int16_t> mono = Tones(rate, rate + 1024), stereo;
    for (int16_t v : mono) stereo.insert(stereo.end(), {v, int16_t(-v)});
    std::vector<float> out(2 * kBlock);
    for (auto _ : state) {
        Converter c;
        c.kind = kind;
        c.channels = 2;
        Open(c, rate);
        int64_t used = 0;
        for (int done = 0; done < kOutputRate; done += kBlock)
            Convert(c, stereo, &used, out.data(), std::min(kBlock, kOutputRate - done));
        benchmark::DoNotOptimize(out.data());
        Close(c);
    }
    if (rate < kOutputRate)
        state.counters["images_dB"] = ImagedSweep(kind, rate);
    else
        state.counters["folded_dB"] = FoldedSweep(kind, rate);
    double rms = 0, peak = 0;
    int lag = 0;
    ToneError(kind, rate, &rms, &peak, &lag);
    state.counters["sox_rms"] = rms;
    state.counters["sox_max"] = peak;
    state.counters["lag"] = lag;
    state.counters["delay"] = Delay(kind, rate);
    if (kind == Kind::SdlStream) SDL_Quit();
}
BENCHMARK(BM_Resampler)
    ->ArgsProduct({{int(Kind::Linear), int(Kind::SdlStream), int(Kind::Speex1), int(Kind::Speex3), int(Kind::Speex4),
                    int(Kind::Speex5), int(Kind::SincFastest), int(Kind::SincMedium)},
                   {22050, 48000, 66150}})
    ->ArgNames({"kind", "rate"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
