// The log's settings over a whole run of the layer: before start-up only, and an English log
// that holds no Japanese from start-up to shutdown.
#include "base/log_texts.h"
#include "core/app_log.h"
#include "core/last_failure.h"
#include "rorodiv.h"
#include "window/media_layer_fixture.h"

#include <gtest/gtest.h>

using namespace ror;

namespace {

class LogSettingsTest : public MediaLayerTest {
protected:
    void TearDown() override
    {
        MediaLayerTest::TearDown();
        LogTextSettings = LogTextState{};
        ClearLastFailure();
    }
};

TEST_F(LogSettingsTest, EnglishRunWritesOnlyAscii)
{
    ASSERT_EQ(SetLogInEnglish(1), 0);
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(LoadGraphic("no_such_picture.png"), -1);
    const int font = CreateFontToHandle("No Such Face", 16, 3, -1, -1, -1, 0);  // the log names the face used instead
    if (font != -1) ReleaseFontHandle(font);
    EndMediaLayer();
    const std::string log = ReadLog();
    ASSERT_FALSE(log.empty());
    for (size_t i = 0; i < log.size(); ++i)
        ASSERT_LT(static_cast<unsigned char>(log[i]), 0x80)
            << "at " << i << ": " << log.substr(i > 40 ? i - 40 : 0, 80);
}

TEST_F(LogSettingsTest, SettingsAreForBeforeStartUp)
{
    ASSERT_EQ(Start(), 0);
    int (*const setters[])(int) = {SetLogInUtf8, SetLogInEnglish, SetLogToStandardError};
    for (auto set : setters) {
        ClearLastFailure();
        EXPECT_EQ(set(1), -1);
        EXPECT_EQ(GetLastFailure(nullptr, 0), FAILURE_NOT_STARTED);
    }
    EXPECT_EQ(AppLogState.utf8, 0);
    EXPECT_EQ(AppLogState.toStderr, 0);
    EXPECT_EQ(LogTextSettings.english, 0);
}

}  // namespace
