// A periodic task on the user-interface thread: calls its callback every interval milliseconds
// through the time source of common/cmcClock.h (Qt timers in the program, a hand-stepped clock in
// tests). All periodic work - the serial transmit pump, the clone engine, event delivery, deferred
// checks - runs as such tasks; there are no threads.
//
// A task lives on the heap and is ended with cmcTask::End (or held in a cmcTaskPtr, which ends it):
// a task ended from inside its own callback is not destroyed there but on its next timer event.
#pragma once

#include "common/cmcClock.h"

#include <functional>
#include <memory>

namespace qx {

class cmcTask final : public cmcTimerClient {
public:
    using Callback = std::function<void(cmcTask&)>;
    using Function = void (*)(void* context, cmcTask* task);

    // A stopped task without callback.
    cmcTask();
    cmcTask(const cmcTask&) = delete;
    cmcTask& operator=(const cmcTask&) = delete;

    void SetCallback(Callback callback);
    void SetCallback(Function function, void* context);

    // Negative stops the task; otherwise it runs every ms milliseconds (0 runs every millisecond).
    // Returns the idle flag: true when the task is stopped. Setting the interval it already runs
    // at leaves its timer undisturbed (unless the time source was swapped since, as tests do: the
    // timer then moves to the current source). Once destruction is requested the interval stays.
    bool SetInterval(int ms);
    int Interval() const { return interval_; }
    bool Idle() const { return idle_; }
    bool InCallback() const { return inCallback_; }
    bool DestroyRequested() const { return destroyRequested_; }

    // Removes the callback and stops the task.
    void Clear();
    // Makes the task destroy itself on its next timer event (in 1 ms).
    void RequestDestroy();

    // Ends a task and nulls the pointer: destroyed at once unless it is inside its own callback,
    // in which case it is cleared and destroys itself on its next event.
    static void End(cmcTask*& task);

    void OnTimerEvent() override;

private:
    ~cmcTask() override;
    void ReplaceCallback(Callback callback);
    void ArmTimer(int ms);
    void DisarmTimer();
    bool ArmedOnCurrentSource() const;

    Callback callback_;
    Callback retired_;  // a callback replaced while it runs; released when it returns
    int interval_ = -1;
    int armedMs_ = 0;
    cmcTimeSource* source_ = nullptr;  // the time source the timer is armed on
    bool idle_ = true;
    bool inCallback_ = false;
    bool runningInSlot_ = false;
    bool destroyRequested_ = false;
};

struct cmcTaskEnder {
    void operator()(cmcTask* task) const { cmcTask::End(task); }
};
// An owned task; resetting or destroying the pointer ends the task.
using cmcTaskPtr = std::unique_ptr<cmcTask, cmcTaskEnder>;

inline cmcTaskPtr cmcMakeTask() { return cmcTaskPtr(new cmcTask()); }

}  // namespace qx
