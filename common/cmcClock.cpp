#include "common/cmcClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace qx {
namespace {

// Qt timers on the thread's event loop. One QTimer per client; a disarmed QTimer is deleted
// later, so a client may disarm (or destroy) itself from inside its own event.
class cmcQtTimeSource final : public cmcTimeSource {
public:
    cmcQtTimeSource() { clock_.start(); }
    uint32_t NowMs() override { return static_cast<uint32_t>(clock_.elapsed()) + base_; }

    void Arm(cmcTimerClient* client, int intervalMs) override {
        QPointer<QTimer>& t = timers_[client];
        if (!t) {
            // Owned by the application object when there is one, so timers still armed at exit
            // are freed with it rather than left behind.
            t = new QTimer(QCoreApplication::instance());
            t->setTimerType(Qt::PreciseTimer);
            QObject::connect(t, &QTimer::timeout, [client] { client->OnTimerEvent(); });
        }
        t->start(std::max(1, intervalMs));
    }

    void Disarm(cmcTimerClient* client) override {
        auto it = timers_.find(client);
        if (it == timers_.end()) return;
        if (QTimer* t = it->second) {
            t->stop();
            QObject::disconnect(t, nullptr, nullptr, nullptr);
            t->deleteLater();
        }
        timers_.erase(it);
    }

private:
    QElapsedTimer clock_;
    // Start the tick count at an arbitrary value, as a system tick count would be.
    uint32_t base_ = 0x10000;
    std::unordered_map<cmcTimerClient*, QPointer<QTimer>> timers_;
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

}  // namespace qx
