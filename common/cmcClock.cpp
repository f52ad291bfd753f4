#include "common/cmcClock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace qx {
namespace {

// Qt timers on the thread's event loop. One QTimer per armed client; a disarmed QTimer is deleted
// at once, unless the client disarms (or destroys) itself from inside that timer's own event: that
// one is deleted later, by the event loop that is delivering the event. A deletion left for later
// without an event loop (a command-line run) would never happen until exit, so timers disarmed
// outside their events - every edit restarts the deferred check - must not take that way.
class cmcQtTimeSource final : public cmcTimeSource {
public:
    cmcQtTimeSource() { clock_.start(); }
    uint32_t NowMs() override { return static_cast<uint32_t>(clock_.elapsed()) + base_; }

    void Arm(cmcTimerClient* client, int intervalMs) override {
        QPointer<QTimer>& t = timers_[client];
        if (!t) {
            // Owned by the application object when there is one, so timers still armed at exit
            // are freed with it rather than left behind.
            QTimer* timer = new QTimer(QCoreApplication::instance());
            timer->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer, &QTimer::timeout, [this, client, timer] {
                firing_.push_back(timer);
                struct Pop {
                    std::vector<QTimer*>& firing;
                    ~Pop() { firing.pop_back(); }
                } pop{firing_};
                client->OnTimerEvent();
            });
            t = timer;
        }
        t->start(std::max(1, intervalMs));
    }

    void Disarm(cmcTimerClient* client) override {
        auto it = timers_.find(client);
        if (it == timers_.end()) return;
        if (QTimer* t = it->second) {
            t->stop();
            QObject::disconnect(t, nullptr, nullptr, nullptr);
            if (std::find(firing_.begin(), firing_.end(), t) != firing_.end())
                t->deleteLater();
            else
                delete t;
        }
        timers_.erase(it);
    }

private:
    QElapsedTimer clock_;
    // Start the tick count at an arbitrary value, as a system tick count would be.
    uint32_t base_ = 0x10000;
    std::unordered_map<cmcTimerClient*, QPointer<QTimer>> timers_;
    std::vector<QTimer*> firing_;  // timers whose event is being delivered, innermost last
};

cmcQtTimeSource& QtSource() {
    static cmcQtTimeSource source;
    return source;
}

cmcTimeSource* g_source = nullptr;

}  // namespace

void cmcSetTimeSource(cmcTimeSource* source) { g_source = source; }

cmcTimeSource& cmcTime() { return g_source ? *g_source : QtSource(); }

void cmcManualTime::Arm(cmcTimerClient* client, int intervalMs) {
    timers_[client] = Timer{std::max(1, intervalMs), 0, nextOrder_++};
}

void cmcManualTime::Disarm(cmcTimerClient* client) { timers_.erase(client); }

void cmcManualTime::Advance(uint32_t ms) {
    for (uint32_t step = 0; step < ms; ++step) {
        ++now_;
        std::vector<std::pair<uint64_t, cmcTimerClient*>> due;
        for (auto& [client, t] : timers_) {
            if (++t.elapsed >= static_cast<uint32_t>(t.interval)) due.emplace_back(t.order, client);
        }
        std::sort(due.begin(), due.end());
        for (auto& [order, client] : due) {
            auto it = timers_.find(client);
            // Skip timers stopped or re-armed by an earlier callback of this same millisecond.
            if (it == timers_.end() || it->second.order != order) continue;
            it->second.elapsed = 0;
            client->OnTimerEvent();
        }
    }
}

cmcScopedManualTime::cmcScopedManualTime(uint32_t startMs) : time_(startMs), previous_(&cmcTime()) {
    cmcSetTimeSource(&time_);
}

cmcScopedManualTime::~cmcScopedManualTime() { cmcSetTimeSource(previous_); }

namespace {
std::function<int64_t()>& WallClock() {
    static std::function<int64_t()> clock;
    return clock;
}
}  // namespace

void cmcSetWallClock(std::function<int64_t()> clock) { WallClock() = std::move(clock); }

int64_t cmcWallSeconds() { return WallClock() ? WallClock()() : QDateTime::currentSecsSinceEpoch(); }

}  // namespace qx
