// Where time comes from: the millisecond tick count and the periodic timers behind cmcTask.
// The program uses Qt timers on the GUI thread; tests install cmcManualTime and step time by hand,
// so the clone engine and the event manager run deterministically.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace qx {

// Something a periodic timer calls (cmcTask).
class cmcTimerClient {
public:
    virtual ~cmcTimerClient() = default;
    virtual void OnTimerEvent() = 0;
};

class cmcTimeSource {
public:
    virtual ~cmcTimeSource() = default;
    // The millisecond tick count; wraps at 2^32.
    virtual uint32_t NowMs() = 0;
    // Starts (or restarts) a periodic timer for the client: first event after intervalMs (>= 1).
    virtual void Arm(cmcTimerClient* client, int intervalMs) = 0;
    // Stops the client's timer; safe from inside the client's own event.
    virtual void Disarm(cmcTimerClient* client) = 0;
};

// The source in use (not owned). Null restores the Qt source.
void cmcSetTimeSource(cmcTimeSource* source);
cmcTimeSource& cmcTime();
inline uint32_t cmcNowMs() { return cmcTime().NowMs(); }

// The calendar time in seconds since 1970-01-01 UTC, for the dates the program writes down (when
// a radio was read, when a sheet was printed). Tests and reproducible printouts fix it with
// cmcSetWallClock; a null function restores the system clock.
void cmcSetWallClock(std::function<int64_t()> clock);
int64_t cmcWallSeconds();

// A hand-stepped clock for tests and tools: time moves only by Advance.
class cmcManualTime final : public cmcTimeSource {
public:
    explicit cmcManualTime(uint32_t startMs = 0) : now_(startMs) {}
    uint32_t NowMs() override { return now_; }
    void Arm(cmcTimerClient* client, int intervalMs) override;
    void Disarm(cmcTimerClient* client) override;
    // Moves time forward millisecond by millisecond, firing every timer that falls due,
    // in the order they were armed.
    void Advance(uint32_t ms);
    bool IsArmed(cmcTimerClient* client) const { return timers_.count(client) != 0; }
    int ArmedCount() const { return static_cast<int>(timers_.size()); }

private:
    struct Timer {
        int interval;
        uint32_t elapsed;  // ms since the timer was armed or last fired
        uint64_t order;    // arming order, for a stable firing order
    };
    uint32_t now_;
    uint64_t nextOrder_ = 0;
    std::map<cmcTimerClient*, Timer> timers_;
};

// Installs a manual clock for the lifetime of the object and restores the previous source after.
class cmcScopedManualTime {
public:
    explicit cmcScopedManualTime(uint32_t startMs = 0);
    ~cmcScopedManualTime();
    cmcManualTime& operator*() { return time_; }
    cmcManualTime* operator->() { return &time_; }

private:
    cmcManualTime time_;
    cmcTimeSource* previous_;
};

}  // namespace qx
