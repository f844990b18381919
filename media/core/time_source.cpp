#include "core/time_source.h"
#include "rorodiv.h"

#include "core/app_log.h"
#include "core/core_state.h"
#include "platform/system/clock.h"
#include "platform/system/system_info.h"
#include "platform/window_system/window.h"

#include <cstdio>

namespace ror {

namespace {

constexpr const char* kLayerVersion = "3.00";

enum CpuLevel { kNoCpuid = 0, kNoMmx = 1, kMmx = 3, kSse = 4, kSse2 = 5 };

constexpr uint32_t kTimeStampCounterBit = 1u << 4;
constexpr uint32_t kMmxBit = 1u << 23;
constexpr uint32_t kSseBit = 1u << 25;
constexpr uint32_t kSse2Bit = 1u << 26;

CpuLevel LevelOf(const CpuIdentity& cpu)
{
    if (!cpu.available) return kNoCpuid;
    if (!(cpu.featureEdx & kMmxBit)) return kNoMmx;
    if (!(cpu.featureEdx & kSseBit)) return kMmx;
    if (!(cpu.featureEdx & kSse2Bit)) return kSse;
    return kSse2;
}

// Counts time-stamp ticks over 100 ms of the millisecond clock. The ticks count whatever the
// processor does meanwhile, so other work may fill the first part of the 100 ms.
void ReportProcessorSpeed(void (*whileCounting)())
{
    uint64_t start = ReadTimeStampCounter();
    int32_t begin = NowMilliseconds();
    if (whileCounting != nullptr) whileCounting();
    while (((NowMilliseconds() - begin) & 0x7FFFFFFF) < 100) {}
    uint64_t ticks = ReadTimeStampCounter() - start;
    uint32_t megahertz = static_cast<uint32_t>(ticks / 100000);
    LogWriteFormat("ＣＰＵ動作速度：大体%.2fGHz", static_cast<float>(megahertz) * 0.001f);
}

}  // namespace

}  // namespace ror

using namespace ror;

int32_t NowMilliseconds() { return static_cast<int32_t>(SystemMilliseconds() & 0x7FFFFFFF); }

uint64_t NowMicroseconds()
{
    if (CoreState.useCounter && CoreState.counterFrequency > 0) {
        unsigned __int128 scaled = static_cast<unsigned __int128>(static_cast<uint64_t>(SystemCounter())) * 1000000u;
        return static_cast<uint64_t>(scaled / static_cast<uint64_t>(CoreState.counterFrequency));
    }
    return static_cast<uint64_t>(SystemMilliseconds()) * 1000u;
}

namespace ror {

namespace {
int (*waitPump)() = nullptr;
}

void SetWaitPump(int (*pump)()) { waitPump = pump; }

}  // namespace ror

int WaitMilliseconds(int32_t milliseconds)
{
    const int32_t start = NowMilliseconds();
    for (;;) {
        if (CoreState.Started && waitPump && waitPump() != 0) return -1;
        int32_t elapsed = (NowMilliseconds() - start) & 0x7FFFFFFF;
        if (elapsed >= milliseconds) return 0;
        // Short sleeps, so that the window answers within a millisecond or two.
        SystemSleep(1);
    }
}

namespace ror {

void WriteProcessorReport(const CpuIdentity& cpu, void (*whileCounting)())
{
    CoreState.mmxUsable = 0;
    CpuLevel level = LevelOf(cpu);
    if (cpu.available && (cpu.featureEdx & kTimeStampCounterBit)) ReportProcessorSpeed(whileCounting);
    if (level == kNoCpuid) {
        LogWrite("ＣＰＵＩＤ命令は使えません\n");
        return;
    }
    if (level == kNoMmx) LogWrite("ＭＭＸは使えません\n");
    if (level >= kMmx) {
        LogWrite("ＭＭＸ命令を使用します\n");
        CoreState.mmxUsable = 1;
    }
    if (level >= kSse) LogWrite("ＳＳＥ命令が使用可能です\n");
    if (level >= kSse2) LogWrite("ＳＳＥ２命令が使用可能です\n");

    LogWrite("ＣＰＵベンダ：");
    for (int part = 0; part < 3; ++part) {
        char four[5] = {};
        for (int i = 0; i < 4; ++i) four[i] = cpu.vendor[part * 4 + i];
        LogWrite(four);
    }
    LogWrite("\n");
    if (cpu.brand[0] != '\0') {
        LogWriteFormat("ＣＰＵ名：%s", cpu.brand);
        std::snprintf(CoreState.cpuName, sizeof CoreState.cpuName, "%s", cpu.brand);
    }
}

void WriteSystemReport(void (*whileCounting)())
{
    LogWrite("システムの情報を出力します\n");
    LogIndent();
    LogWriteFormat("ROrodiv Ver%s\n", kLayerVersion);

    LogWrite("ＯＳ  ");
    OsVersion os;
    ReadOsVersion(&os);
    std::snprintf(CoreState.osText, sizeof CoreState.osText, "%s ( Build %d %s )", os.name, os.build, os.release);
    LogWriteFormat("%s", CoreState.osText);

    BeginTimerPeriod(TimerMinimumPeriod());

    CpuIdentity cpu;
    ReadCpuIdentity(&cpu);
    WriteProcessorReport(cpu, whileCounting);
    LogUnindent();
}

void ProbeTimers(int (*pump)())
{
    CoreState.counterFrequency = SystemCounterFrequency();
    CoreState.useCounter = CoreState.counterFrequency != 0;
    const uint32_t period = TimerMinimumPeriod();
    BeginTimerPeriod(period);
    if (CoreState.useCounter) {
        LogWrite("タイマーの精度を検査します\n");
        int timerUpdates = 0;
        int counterUpdates = 0;
        uint32_t lastTime = SystemMilliseconds();
        int64_t lastCount = SystemCounter();
        const uint32_t start = SystemMilliseconds();
        while (pump() == 0 && timerUpdates != 60 && counterUpdates != 60 && SystemMilliseconds() - start < 1000) {
            int64_t count = SystemCounter();
            if (count != lastCount) {
                ++counterUpdates;
                lastCount = count;
            }
            uint32_t time = SystemMilliseconds();
            if (time != lastTime) {
                ++timerUpdates;
                lastTime = time;
            }
        }
        LogWriteFormat("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d", timerUpdates,
                       counterUpdates);
        LogWrite(" ");
        if (timerUpdates > counterUpdates) {
            LogWriteFormat("マルチメディアタイマーを使用します タイマー分解能 : %d.00 ms ", static_cast<int>(period));
            CoreState.useCounter = 0;
        } else {
            LogWriteFormat("パフォーマンスカウンターを使用します タイマー分解能 : %lf KHz ",
                           static_cast<double>(CoreState.counterFrequency) * 0.001);
        }
        LogWrite(" ");
    }
}

int CheckSecondInstance()
{
    LogWrite("ソフトの二重起動検査... ");
    if (CoreState.allowSecondCopy) {
        LogWrite("二重起動を許可する設定のため検査しません\n");
        return 0;
    }
    if (FindWindowOfClass(CoreState.ClassName)) {
        LogWrite("二重起動されています、ソフトを終了します\n");
        CoreState.QuitFlag = 1;
        return -1;
    }
    LogWrite("二重起動はされていませんでした\n");
    return 0;
}

}  // namespace ror
