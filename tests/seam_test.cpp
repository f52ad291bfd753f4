// The message seam and the hand-stepped clock.
#include "common/cmcClock.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

using namespace qx;

TEST(Seam, FatalBecomesExceptionCaptionedWithProgramName) {
    EXPECT_FATAL(cmcFatal("boom", kExitDefinitionFault), "boom", kExitDefinitionFault);
    ASSERT_FALSE(test::Messages().messages().empty());
    EXPECT_EQ(test::Messages().messages().back().caption, "seam_test");
}

TEST(Seam, QuestionTakesQueuedAnswer) {
    test::Messages().Clear();
    test::Messages().QueueAnswer(MB_Cancel);
    EXPECT_EQ(cmcShowMessage("t", "q", cmcMsgIcon::Warning, MB_Ok | MB_Cancel), MB_Cancel);
    EXPECT_EQ(cmcShowMessage("t", "q", cmcMsgIcon::Warning, MB_Ok | MB_Cancel), MB_Ok);
}

namespace {
struct Counter : cmcTimerClient {
    int n = 0;
    void OnTimerEvent() override { ++n; }
};
}  // namespace

TEST(ManualTime, FiresDueTimersAndStops) {
    cmcScopedManualTime time(100);
    Counter a, b;
    time->Arm(&a, 10);
    time->Arm(&b, 0);  // 0 runs every millisecond
    time->Advance(25);
    EXPECT_EQ(a.n, 2);
    EXPECT_EQ(b.n, 25);
    EXPECT_EQ(cmcNowMs(), 125u);
    time->Disarm(&a);
    time->Advance(10);
    EXPECT_EQ(a.n, 2);
}
