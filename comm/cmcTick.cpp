#include "comm/cmcTick.h"

#include "common/cmcClock.h"

namespace qx {

void cmcTick::Start(uint32_t durationMs) {
    duration_ = durationMs;
    start_ = cmcNowMs();
    running_ = true;
}

uint32_t cmcTick::Remaining() {
    if (!running_) return 0;
    // Unsigned subtraction gives the elapsed time even across the wrap of the tick count.
    uint32_t elapsed = cmcNowMs() - start_;
    if (elapsed < duration_) return duration_ - elapsed;
    running_ = false;
    return 0;
}

}  // namespace qx
