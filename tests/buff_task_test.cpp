// The byte buffer, the wrapping tick timeout and the periodic task.
#include "comm/cmcBuff.h"
#include "comm/cmcTask.h"
#include "comm/cmcTick.h"
#include "common/cmcClock.h"
#include "support/cmcTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace qx;

namespace {

std::vector<uint8_t> Content(const cmcBuff& b) { return {b.Data(), b.Data() + b.Length()}; }

}  // namespace

TEST(Buff, EmptyBufferAndTakingFromTheFront) {
    cmcBuff b;
    EXPECT_EQ(b.Length(), 0);
    EXPECT_EQ(b.Capacity(), 1);
    EXPECT_EQ(b.TakeFront(), -1);
    EXPECT_EQ(b.Length(), 0);

    const uint8_t bytes[] = {0x00, 0x7F, 0xFF};
    b.Append(bytes, 3);
    b.Append(uint8_t{0x41});
    b.AppendFill(0xEE, 2);
    EXPECT_EQ(Content(b), (std::vector<uint8_t>{0x00, 0x7F, 0xFF, 0x41, 0xEE, 0xEE}));
    std::vector<int> taken;
    for (int v; (v = b.TakeFront()) != -1;) taken.push_back(v);
    EXPECT_EQ(taken, (std::vector<int>{0x00, 0x7F, 0xFF, 0x41, 0xEE, 0xEE}));
    EXPECT_EQ(b.Length(), 0);

    b.Clear();
    EXPECT_EQ(b.Capacity(), 1);
}

TEST(Buff, GrowthShrinkAndRegrowShowOnlyZeroes) {
    cmcBuff b;
    b.AppendFill(0xAA, 8);
    b.Resize(100);  // reallocates 100 + 8/4 bytes
    EXPECT_EQ(b.Capacity(), 102);
    EXPECT_EQ(*b.At(7), 0xAA);
    EXPECT_EQ(*b.At(8), 0x00);
    EXPECT_EQ(*b.At(99), 0x00);

    b.AppendFill(0x55, 2);  // now 102 bytes, capacity full
    b.Resize(4);            // shrinking keeps the storage
    EXPECT_EQ(b.Capacity(), 102);
    b.Resize(102);  // the old tail must not come back
    for (int i = 4; i < 102; ++i) ASSERT_EQ(*b.At(i), 0x00) << i;
    EXPECT_EQ(Content(b).front(), 0xAA);

    b.Resize(-5);
    EXPECT_EQ(b.Length(), 0);
}

TEST(Buff, CopiesAreIndependentAndSelfSourcesAreSafe) {
    cmcBuff a;
    a.Assign("abc", 3);
    cmcBuff c(a);
    *c.At(0) = 'X';
    EXPECT_EQ(*a.At(0), 'a');

    a.Append(a);  // the source is the buffer being grown
    EXPECT_EQ(std::string(a.Data(), a.Data() + a.Length()), "abcabc");
    a.Append(a.Data() + 1, 2);
    EXPECT_EQ(std::string(a.Data(), a.Data() + a.Length()), "abcabcbc");
    a.Assign(a.Data() + 3, 3);
    EXPECT_EQ(std::string(a.Data(), a.Data() + a.Length()), "abc");

    cmcBuff moved(std::move(c));
    EXPECT_EQ(moved.Length(), 3);
    c.Append(uint8_t{1});  // a moved-from buffer is still usable
    EXPECT_EQ(c.Length(), 1);
}

TEST(Buff, IndexOutsideTheContentIsFatal) {
    cmcBuff b;
    EXPECT_FATAL(b.At(0), "Out of cmcBuff element !", kExitInternalFault);
    b.AppendFill(1, 4);
    EXPECT_FATAL(b.At(4), "Out of cmcBuff element !", kExitInternalFault);
    EXPECT_FATAL(b.At(-1), "Out of cmcBuff element !", kExitInternalFault);
    b.TakeFront();
    EXPECT_FATAL(b.At(3), "Out of cmcBuff element !", kExitInternalFault);
    EXPECT_EQ(*b.At(2), 1);
}

TEST(Buff, ConsumedFrontIsCompactedAfter4096Bytes) {
    cmcBuff b;
    for (int i = 0; i < 5000; ++i) b.Append(static_cast<uint8_t>(i & 0xFF));
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(b.TakeFront(), i & 0xFF);
    EXPECT_GT(b.Capacity(), b.Length());  // not yet compacted
    EXPECT_EQ(b.TakeFront(), 4096 & 0xFF);
    EXPECT_EQ(b.Capacity(), b.Length());  // moved down to exactly the content
    EXPECT_EQ(b.Length(), 5000 - 4097);
    for (int i = 4097; i < 5000; ++i) ASSERT_EQ(b.TakeFront(), i & 0xFF);
    EXPECT_EQ(b.TakeFront(), -1);
}

TEST(Tick, RunsOutAfterItsDurationAcrossTheCounterWrap) {
    struct Case {
        uint32_t start;
    };
    for (Case c : {Case{0}, Case{0xFFFFFE00u}, Case{0xFFFFFFFFu}}) {
        SCOPED_TRACE(c.start);
        cmcScopedManualTime time(c.start);
        cmcTick tick;
        EXPECT_EQ(tick.Remaining(), 0u);  // never started
        tick.Start(1000);
        EXPECT_EQ(tick.Remaining(), 1000u);
        time->Advance(600);
        EXPECT_EQ(tick.Remaining(), 400u);
        time->Advance(399);
        EXPECT_EQ(tick.Remaining(), 1u);
        EXPECT_TRUE(tick.Running());
        time->Advance(1);
        EXPECT_EQ(tick.Remaining(), 0u);
        EXPECT_FALSE(tick.Running());
        time->Advance(5000);
        EXPECT_EQ(tick.Remaining(), 0u);
    }
}

namespace {

// A task with a counting callback, ended when the fixture goes.
struct CountingTask {
    cmcTaskPtr task = cmcMakeTask();
    int calls = 0;
    CountingTask() {
        task->SetCallback([this](cmcTask&) { ++calls; });
    }
};

}  // namespace

TEST(Task, IntervalsAndTheIdleFlag) {
    cmcScopedManualTime time;
    struct Case {
        int interval;
        bool idle;
        int callsIn100ms;
    };
    for (Case c : {Case{0, false, 100}, Case{1, false, 100}, Case{10, false, 10}, Case{-1, true, 0},
                   Case{-50, true, 0}}) {
        SCOPED_TRACE(c.interval);
        CountingTask t;
        EXPECT_TRUE(t.task->Idle());
        EXPECT_EQ(t.task->SetInterval(c.interval), c.idle);
        EXPECT_EQ(t.task->Idle(), c.idle);
        time->Advance(100);
        EXPECT_EQ(t.calls, c.callsIn100ms);
    }

    CountingTask t;
    t.task->SetInterval(10);
    time->Advance(25);
    EXPECT_EQ(t.calls, 2);
    t.task->Clear();  // no callback, stopped
    EXPECT_TRUE(t.task->Idle());
    t.task->SetInterval(1);
    time->Advance(10);
    EXPECT_EQ(t.calls, 2);
}

TEST(Task, SettingTheSameIntervalDoesNotPostponeIt) {
    cmcScopedManualTime time;
    CountingTask t;
    t.task->SetInterval(10);
    for (int i = 0; i < 10; ++i) {
        time->Advance(5);
        t.task->SetInterval(10);
    }
    EXPECT_EQ(t.calls, 5);
}

TEST(Task, CallbackMayChangeItsOwnIntervalAndUsesFunctionWithContext) {
    cmcScopedManualTime time;
    cmcTaskPtr task = cmcMakeTask();
    int calls = 0;
    task->SetCallback(
        [](void* context, cmcTask* self) {
            int& n = *static_cast<int*>(context);
            if (++n == 3) self->SetInterval(-1);
        },
        &calls);
    task->SetInterval(0);
    time->Advance(50);
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(task->Idle());
}

TEST(Task, NestedEventLoopInsideTheCallbackDoesNotReenterIt) {
    cmcScopedManualTime time;
    cmcTaskPtr task = cmcMakeTask();
    int calls = 0, depth = 0, maxDepth = 0;
    task->SetCallback([&](cmcTask& self) {
        ++calls;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        EXPECT_TRUE(self.InCallback());
        if (calls == 1) time->Advance(20);  // a modal loop keeps the timers running
        --depth;
    });
    task->SetInterval(1);
    time->Advance(3);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(calls, 3);  // the first event, then the events of ms 2 and 3 after the nested loop
    EXPECT_FALSE(task->InCallback());
}

TEST(Task, EndedFromItsOwnCallbackDiesOnTheNextEventNotInside) {
    cmcScopedManualTime time;
    for (bool stopFirst : {false, true}) {
        SCOPED_TRACE(stopFirst);
        cmcTask* task = new cmcTask();
        cmcTask* const id = task;
        auto alive = std::make_shared<int>(7);
        std::weak_ptr<int> probe = alive;
        int calls = 0;
        task->SetCallback([&task, &calls, &time, stopFirst, keep = std::move(alive)](cmcTask& self) {
            ++calls;
            if (stopFirst) self.SetInterval(-1);  // an idle task ended inside its callback
            cmcTask::End(task);
            // Still alive here: its state, its captures and its timer.
            EXPECT_EQ(*keep, 7);
            EXPECT_TRUE(self.DestroyRequested());
            EXPECT_TRUE(time->IsArmed(&self));
            self.SetInterval(-1);  // ignored: the destruction stays scheduled
        });
        task->SetInterval(5);
        time->Advance(5);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(task, nullptr);
        EXPECT_TRUE(probe.expired());  // the callback was released after it returned
        EXPECT_TRUE(time->IsArmed(id));
        time->Advance(1);  // destroyed on this event
        EXPECT_FALSE(time->IsArmed(id));
        time->Advance(20);
        EXPECT_EQ(calls, 1);
    }
}

TEST(Task, EndedOutsideItsCallbackGoesAtOnce) {
    cmcScopedManualTime time;
    for (int interval : {-1, 10}) {
        SCOPED_TRACE(interval);
        cmcTask* task = new cmcTask();
        task->SetCallback([](cmcTask&) {});
        task->SetInterval(interval);
        cmcTask* const id = task;
        cmcTask::End(task);
        EXPECT_EQ(task, nullptr);
        EXPECT_FALSE(time->IsArmed(id));
    }
    EXPECT_EQ(time->ArmedCount(), 0);

    // A task that ends another task during the same millisecond: the other is not fired.
    cmcTask* victim = new cmcTask();
    int victimCalls = 0;
    victim->SetCallback([&](cmcTask&) { ++victimCalls; });
    cmcTaskPtr killer = cmcMakeTask();
    killer->SetCallback([&](cmcTask&) { cmcTask::End(victim); });
    killer->SetInterval(3);
    victim->SetInterval(3);
    time->Advance(3);
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(victimCalls, 0);
}

TEST(Task, CallbackReplacedWhileRunningSurvivesItsCall) {
    cmcScopedManualTime time;
    cmcTaskPtr task = cmcMakeTask();
    std::vector<std::string> log;
    std::string name = "first callback with a long enough name to live on the heap";
    task->SetCallback([&log, name](cmcTask& self) {
        self.SetCallback([&log](cmcTask&) { log.push_back("second"); });
        log.push_back(name);  // reads the capture after its function was replaced
    });
    task->SetInterval(1);
    time->Advance(2);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], name);
    EXPECT_EQ(log[1], "second");
}

TEST(Task, KeepsRunningWhenTheClockIsSwapped) {
    CountingTask t;
    // The second clock takes the place of the first, as consecutive tests' clocks often do.
    std::optional<cmcScopedManualTime> clock;
    clock.emplace();
    t.task->SetInterval(10);
    (*clock)->Advance(10);
    clock.reset();
    clock.emplace();
    EXPECT_FALSE((*clock)->IsArmed(t.task.get()));
    t.task->SetInterval(10);  // the same interval, but on a clock it was never armed on
    (*clock)->Advance(20);
    EXPECT_EQ(t.calls, 3);
    t.task.reset();  // ended while its clock is still installed
}

TEST(Task, RunsOnTheProgramsQtTimers) {
    // No manual clock: the task is driven by the event loop, and ends itself from its callback.
    cmcTask* task = new cmcTask();
    int calls = 0;
    task->SetCallback([&](cmcTask& self) {
        if (++calls == 3) cmcTask::End(task);
    });
    task->SetInterval(2);
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < 2000 && (task != nullptr || wall.elapsed() < 100))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(task, nullptr);
    EXPECT_EQ(calls, 3);
}

TEST(Task, RestartingWithoutAnEventLoopLeavesNoTimersBehind) {
    // A command-line run has no event loop: every edit restarts the deferred check's task, and a
    // timer left for the loop to delete would pile up until exit (and make exit slow).
    auto timers = [] { return QCoreApplication::instance()->findChildren<QTimer*>().size(); };
    const auto before = timers();
    cmcTaskPtr task = cmcMakeTask();
    task->SetCallback([](cmcTask&) {});
    for (int i = 0; i < 1000; ++i) {
        task->SetInterval(-1);
        task->SetInterval(250);
    }
    EXPECT_LE(timers(), before + 1);
    task.reset();
    EXPECT_EQ(timers(), before);
}
