// A millisecond timeout over the wrapping 32-bit tick count.
#pragma once

#include <cstdint>

namespace qx {

class cmcTick {
public:
    // Starts the timeout: it runs out durationMs after now.
    void Start(uint32_t durationMs);
    // Milliseconds left; 0 when not running or run out (the timer then stops).
    uint32_t Remaining();
    bool Running() const { return running_; }
    void Stop() { running_ = false; }

private:
    uint32_t duration_ = 0;
    uint32_t start_ = 0;
    bool running_ = false;
};

}  // namespace qx
