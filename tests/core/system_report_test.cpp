// The processor part of the system report for processors of each level.
#include "window/media_layer_fixture.h"

#include "core/time_source.h"
#include "platform/system/system_info.h"

#include <cstring>

using namespace ror;

namespace {

class SystemReportTest : public MediaLayerTest {
protected:
    void SetUp() override
    {
        MediaLayerTest::SetUp();
        std::snprintf(AppLogState.folder, sizeof AppLogState.folder, "%s", folder.c_str());
        LogStart();
    }
};

CpuIdentity Cpu(bool available, uint32_t featureEdx, const char* brand)
{
    CpuIdentity cpu{};
    cpu.available = available;
    std::memcpy(cpu.vendor, "GenuineIntel", 12);
    cpu.featureEdx = featureEdx;  // no time-stamp counter (bit 4): no speed line
    std::snprintf(cpu.brand, sizeof cpu.brand, "%s", brand);
    return cpu;
}

constexpr uint32_t kMmx = 1u << 23, kSse = 1u << 25, kSse2 = 1u << 26;

TEST_F(SystemReportTest, ProcessorLinesFollowTheLevel)
{
    struct Case {
        const char* name;
        CpuIdentity cpu;
        Lines expected;
        int mmx;
    };
    const Lines vendorAndName = {"T:ＣＰＵベンダ：GenuineIntel", "T:ＣＰＵ名：Test CPU"};
    const Case cases[] = {
        {"no CPUID", Cpu(false, 0, ""), {"T:ＣＰＵＩＤ命令は使えません"}, 0},
        {"no MMX, SSE bits ignored", Cpu(true, kSse | kSse2, "Test CPU"), {"T:ＭＭＸは使えません"}, 0},
        {"MMX", Cpu(true, kMmx | kSse2, "Test CPU"), {"T:ＭＭＸ命令を使用します"}, 1},
        {"MMX and SSE",
         Cpu(true, kMmx | kSse, "Test CPU"),
         {"T:ＭＭＸ命令を使用します", "T:ＳＳＥ命令が使用可能です"},
         1},
        {"SSE2",
         Cpu(true, kMmx | kSse | kSse2, "Test CPU"),
         {"T:ＭＭＸ命令を使用します", "T:ＳＳＥ命令が使用可能です", "T:ＳＳＥ２命令が使用可能です"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogStart();
        CoreState.cpuName[0] = '\0';
        WriteProcessorReport(c.cpu);
        Lines expected = c.expected;
        if (c.cpu.available) expected.insert(expected.end(), vendorAndName.begin(), vendorAndName.end());
        EXPECT_EQ(LogLines(), expected);
        EXPECT_EQ(CoreState.mmxUsable, c.mmx);
        EXPECT_STREQ(CoreState.cpuName, c.cpu.available ? "Test CPU" : "");
    }
}

TEST_F(SystemReportTest, VendorIsWrittenInThreeParts)
{
    CpuIdentity cpu = Cpu(true, kMmx, "");
    WriteProcessorReport(cpu);
    // Three writes of four characters continue one line; no name line without a brand.
    EXPECT_EQ(LogLines(), (Lines{"T:ＭＭＸ命令を使用します", "T:ＣＰＵベンダ：GenuineIntel"}));
}

TEST_F(SystemReportTest, FullReportOnThisMachine)
{
    WriteSystemReport();
    EXPECT_TRUE(FollowPattern(LogLines(), {"T:システムの情報を出力します", "T:\tROrodiv Ver3.00", "",
                                           "T:\tＯＳ  Linux ( Build *", "...", "T:\tＣＰＵベンダ：*"}));
    EXPECT_EQ(AppLogState.depth, 0);
}

}  // namespace
