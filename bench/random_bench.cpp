// One block of 624 words: our refills against libstdc++'s std::mt19937.
#include <benchmark/benchmark.h>

#include <random>

#include "platform/system/cpu.h"
#include "random/random_state.h"

using namespace ror;

namespace {

void RefillBlock(benchmark::State& bench, RandomRefill refill)
{
    RandomState random{};
    SeedRandomState(random, 4357);
    for (auto _ : bench) {
        refill(random);
        benchmark::DoNotOptimize(random.output);
        benchmark::ClobberMemory();
    }
    bench.SetItemsProcessed(bench.iterations() * kRandomStateWords);
}

void BM_RandomRefillPlain(benchmark::State& bench) { RefillBlock(bench, RefillRandomPlain); }
BENCHMARK(BM_RandomRefillPlain);

#if defined(__x86_64__) || defined(__i386__)
void BM_RandomRefillSse2(benchmark::State& bench) { RefillBlock(bench, RefillRandomSse2); }
BENCHMARK(BM_RandomRefillSse2);

void BM_RandomRefillAvx2(benchmark::State& bench)
{
    if (!ReadCpuFeatures().avx2) {
        bench.SkipWithError("processor without AVX2");
        return;
    }
    RefillBlock(bench, RefillRandomAvx2);
}
BENCHMARK(BM_RandomRefillAvx2);
#endif

// The same 624 words from the standard twister: one twist of its state and 624 tempered draws.
void BM_StdMt19937Block(benchmark::State& bench)
{
    std::mt19937 standard(4357);
    uint32_t block[kRandomStateWords];
    for (auto _ : bench) {
        for (uint32_t& word : block) word = static_cast<uint32_t>(standard());
        benchmark::DoNotOptimize(block);
        benchmark::ClobberMemory();
    }
    bench.SetItemsProcessed(bench.iterations() * kRandomStateWords);
}
BENCHMARK(BM_StdMt19937Block);

}  // namespace
