#include "comm/cmcTask.h"

#include <utility>

namespace qx {
namespace {

// The program's own (Qt) source, which lives for the whole run.
cmcTimeSource* DefaultSource() {
    static cmcTimeSource* source = [] {
        cmcTimeSource* current = &cmcTime();
        cmcSetTimeSource(nullptr);
        cmcTimeSource* fallback = &cmcTime();
        cmcSetTimeSource(current == fallback ? nullptr : current);
        return fallback;
    }();
    return source;
}

}  // namespace

cmcTask::cmcTask() = default;

cmcTask::~cmcTask() { DisarmTimer(); }

void cmcTask::ArmTimer(int ms) {
    cmcTimeSource* now = &cmcTime();
    if (source_ != now) DisarmTimer();
    now->Arm(this, ms);
    source_ = now;
    armedMs_ = ms;
}

bool cmcTask::ArmedOnCurrentSource() const {
    cmcTimeSource* now = &cmcTime();
    if (source_ != now) return false;
    // A hand-stepped clock may sit where an earlier, finished one was: ask it.
    if (auto* manual = dynamic_cast<cmcManualTime*>(now)) return manual->IsArmed(const_cast<cmcTask*>(this));
    return true;
}

void cmcTask::DisarmTimer() {
    if (!source_) return;
    // A timer armed on a source that is no longer installed is dropped with it: only the current
    // source and the program's own one (which never goes away) can still be told.
    if (source_ == &cmcTime() || source_ == DefaultSource()) source_->Disarm(this);
    source_ = nullptr;
}

void cmcTask::ReplaceCallback(Callback callback) {
    // The running callback must outlive its own call even if it replaces or clears itself.
    if (inCallback_ && runningInSlot_) {
        retired_ = std::move(callback_);
        runningInSlot_ = false;
    }
    callback_ = std::move(callback);
}

void cmcTask::SetCallback(Callback callback) { ReplaceCallback(std::move(callback)); }

void cmcTask::SetCallback(Function function, void* context) {
    if (!function) {
        ReplaceCallback(nullptr);
        return;
    }
    ReplaceCallback([function, context](cmcTask& task) { function(context, &task); });
}

bool cmcTask::SetInterval(int ms) {
    if (destroyRequested_) return idle_;
    interval_ = ms;
    if (ms < 0) {
        DisarmTimer();
        idle_ = true;
        return idle_;
    }
    int effective = ms == 0 ? 1 : ms;
    if (idle_ || effective != armedMs_ || !ArmedOnCurrentSource()) ArmTimer(effective);
    idle_ = false;
    return idle_;
}

void cmcTask::Clear() {
    ReplaceCallback(nullptr);
    SetInterval(-1);
}

void cmcTask::RequestDestroy() {
    if (destroyRequested_) return;
    SetInterval(1);
    destroyRequested_ = true;
}

void cmcTask::End(cmcTask*& task) {
    cmcTask* t = task;
    task = nullptr;
    if (!t) return;
    if (!t->inCallback_) {
        delete t;
        return;
    }
    t->Clear();
    t->RequestDestroy();
}

void cmcTask::OnTimerEvent() {
    // Inside the callback (a nested event loop) nothing runs, not even a requested destruction.
    if (inCallback_) return;
    if (destroyRequested_) {
        delete this;
        return;
    }
    if (!callback_) return;

    struct Guard {
        cmcTask& task;
        ~Guard() {
            task.inCallback_ = false;
            task.runningInSlot_ = false;
            task.retired_ = nullptr;
        }
    };
    inCallback_ = true;
    runningInSlot_ = true;
    Guard guard{*this};
    callback_(*this);
}

}  // namespace qx
