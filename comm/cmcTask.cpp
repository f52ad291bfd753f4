#include "comm/cmcTask.h"

#include <utility>

namespace qx {

cmcTask::cmcTask() = default;

cmcTask::~cmcTask() { cmcTime().Disarm(this); }

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
        if (!idle_) cmcTime().Disarm(this);
        idle_ = true;
        return idle_;
    }
    int effective = ms == 0 ? 1 : ms;
    if (idle_ || effective != armedMs_) {
        cmcTime().Arm(this, effective);
        armedMs_ = effective;
    }
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
