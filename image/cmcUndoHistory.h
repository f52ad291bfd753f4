// The undo history of the working image.
//
// The history does not ask the editing code to report what it changes: it keeps a copy of the image
// as of the last recorded step (the baseline) and, when a user action has ended, compares the image
// with it. The changed bytes become one step, stored as runs of old and new bytes, so a step costs
// what it changed, not a whole image. Every kind of change (a cell edit, a chooser pick, a list
// operation, a bank layout change, an import) is therefore captured the same way.
//
// Positions count steps from the start of the history: position 0 is the image the history started
// with; Undo moves one position back, Redo one forward, and recording a new step drops the steps
// that could have been redone. The position at which the image was last saved is remembered, so
// that undoing back to it makes the image unmodified again.
#pragma once

#include "image/cmcEeprom.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace qx {

class cmcUndoHistory {
public:
    // Steps kept (the oldest go first) and the bytes their runs may hold together.
    static constexpr size_t kMaxSteps = 500;
    static constexpr size_t kMaxBytes = 32u << 20;

    // A new history that starts at `image`. `saved` tells whether that image is the saved one.
    void Reset(const cmcEeprom& image, bool saved);

    // Records the difference between `image` and the baseline as a step named `name`; false (and
    // nothing recorded) when there is none.
    bool Record(const cmcEeprom& image, const std::string& name);
    // Whether `image` differs from the image of the current position.
    bool Pending(const cmcEeprom& image) const { return image.Differs(baseline_); }

    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < steps_.size(); }
    // The names of the step Undo and Redo would take (empty when there is none).
    std::string UndoName() const { return CanUndo() ? steps_[position_ - 1].name : std::string(); }
    std::string RedoName() const { return CanRedo() ? steps_[position_].name : std::string(); }

    // Takes `image` one step back or forward. The image must be the one of the current position
    // (record pending changes first); false when there is no step to take.
    bool Undo(cmcEeprom& image);
    bool Redo(cmcEeprom& image);

    // The image of the current position was saved; AtSaved tells whether the current position is
    // that one (false when the saved image is no longer reachable).
    void MarkSaved() { savedPosition_ = static_cast<long>(position_); }
    bool AtSaved() const { return savedPosition_ == static_cast<long>(position_); }

    size_t Position() const { return position_; }
    size_t StepCount() const { return steps_.size(); }
    size_t Bytes() const { return bytes_; }

private:
    struct Run {
        int address = 0;
        std::vector<uint8_t> before;
        std::vector<uint8_t> after;
    };
    struct Step {
        std::string name;
        std::vector<Run> runs;
        size_t bytes = 0;
    };

    static void Apply(const Step& step, cmcEeprom& image, bool forward);
    void DropOldest();

    cmcEeprom baseline_;
    std::deque<Step> steps_;
    size_t position_ = 0;
    long savedPosition_ = -1;  // -1: the saved image is not in the history
    size_t bytes_ = 0;
};

}  // namespace qx
