#include "image/cmcUndoHistory.h"

#include <cstring>

namespace qx {
namespace {

// Changed bytes closer than this join one run: a run's own cost outweighs a few unchanged bytes.
constexpr int kJoinGap = 8;

}  // namespace

void cmcUndoHistory::Reset(const cmcEeprom& image, bool saved) {
    baseline_.Assign(image);
    steps_.clear();
    position_ = 0;
    bytes_ = 0;
    savedPosition_ = saved ? 0 : -1;
}

bool cmcUndoHistory::Record(const cmcEeprom& image, const std::string& name) {
    if (image.GetSize() != baseline_.GetSize()) {
        // Another kind of image: nothing before it can be applied to it.
        Reset(image, false);
        return false;
    }
    const uint8_t* now = image.Data();
    const uint8_t* was = baseline_.Data();
    const int size = image.GetSize();
    if (size == 0 || std::memcmp(now, was, static_cast<size_t>(size)) == 0) return false;

    Step step;
    step.name = name;
    for (int a = 0; a < size;) {
        if (now[a] == was[a]) {
            ++a;
            continue;
        }
        // A run from the first changed byte to the last one not followed by kJoinGap equal bytes.
        int end = a + 1;  // exclusive
        for (int b = end; b < size && b < end + kJoinGap; ++b)
            if (now[b] != was[b]) end = b + 1;
        Run run;
        run.address = a;
        run.before.assign(was + a, was + end);
        run.after.assign(now + a, now + end);
        step.bytes += 2 * static_cast<size_t>(end - a) + sizeof(Run);
        step.runs.push_back(std::move(run));
        a = end;
    }

    // The steps that could have been redone go; so does a saved position among them.
    while (steps_.size() > position_) {
        bytes_ -= steps_.back().bytes;
        steps_.pop_back();
    }
    if (savedPosition_ > static_cast<long>(position_)) savedPosition_ = -1;

    bytes_ += step.bytes;
    steps_.push_back(std::move(step));
    ++position_;
    baseline_.Assign(image);
    while (steps_.size() > 1 && (steps_.size() > kMaxSteps || bytes_ > kMaxBytes)) DropOldest();
    return true;
}

void cmcUndoHistory::DropOldest() {
    bytes_ -= steps_.front().bytes;
    steps_.pop_front();
    --position_;
    // Position 0 now stands for the image after the dropped step; the old position 0 is gone.
    savedPosition_ = savedPosition_ <= 0 ? -1 : savedPosition_ - 1;
}

void cmcUndoHistory::Apply(const Step& step, cmcEeprom& image, bool forward) {
    for (const Run& run : step.runs) {
        const std::vector<uint8_t>& bytes = forward ? run.after : run.before;
        image.Write(run.address, bytes.data(), static_cast<int>(bytes.size()));
    }
}

bool cmcUndoHistory::Undo(cmcEeprom& image) {
    if (!CanUndo() || image.GetSize() != baseline_.GetSize()) return false;
    --position_;
    Apply(steps_[position_], image, false);
    Apply(steps_[position_], baseline_, false);
    return true;
}

bool cmcUndoHistory::Redo(cmcEeprom& image) {
    if (!CanRedo() || image.GetSize() != baseline_.GetSize()) return false;
    Apply(steps_[position_], image, true);
    Apply(steps_[position_], baseline_, true);
    ++position_;
    return true;
}

}  // namespace qx
