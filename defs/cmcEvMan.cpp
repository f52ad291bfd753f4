#include "defs/cmcEvMan.h"

#include <algorithm>
#include <utility>

namespace qx {
namespace {

cmcEvMan* g_installed = nullptr;

// Counts a delivery in progress for as long as it runs, even when a handler throws.
struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
};

}  // namespace

void cmcEvData::Set(const void* bytes, int length) {
    if (!bytes || length <= 0) {
        bytes_.clear();
        return;
    }
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    bytes_.assign(p, p + length);
}

std::string cmcEvData::Text() const {
    auto end = std::find(bytes_.begin(), bytes_.end(), uint8_t{0});
    return std::string(bytes_.begin(), end);
}

cmcEvMan::cmcEvMan() : tick_(cmcMakeTask()) {
    tick_->SetCallback([this](cmcTask&) { Tick(); });
}

cmcEvMan::~cmcEvMan() {
    tick_.reset();
    queue_.clear();
    handlers_.clear();
    answerLevels_.clear();
}

void cmcEvMan::Register(cmcEvHandler handler, void* user) {
    if (!handler) return;
    for (Entry& e : handlers_)
        if (!e.removed && e.handler == handler && e.user == user) MarkRemoved(e);
    handlers_.push_front(Entry{handler, user, false});
}

void cmcEvMan::Unregister(cmcEvHandler handler, void* user) {
    for (Entry& e : handlers_)
        if (!e.removed && e.handler == handler && e.user == user) MarkRemoved(e);
}

void cmcEvMan::UnregisterAll(const void* user) {
    for (Entry& e : handlers_)
        if (!e.removed && e.user == user) MarkRemoved(e);
}

int cmcEvMan::HandlerCount() const {
    return static_cast<int>(std::count_if(handlers_.begin(), handlers_.end(), [](const Entry& e) { return !e.removed; }));
}

void cmcEvMan::MarkRemoved(Entry& entry) {
    // Only marked: a delivery may be walking the list right now. The entry is freed on a tick.
    entry.removed = true;
    removedPending_ = true;
    ScheduleTick();
}

void cmcEvMan::FreeRemoved() {
    if (!removedPending_ || depth_ > 0) return;
    handlers_.remove_if([](const Entry& e) { return e.removed; });
    removedPending_ = false;
}

void cmcEvMan::ScheduleTick() {
    if (tick_) tick_->SetInterval(kTickMs);
}

cmcEvent cmcEvMan::Make(uint8_t code, uint8_t mode, cmcEvArg first, int32_t second) {
    cmcEvent ev;
    ev.code = code;
    ev.mode = mode;
    ev.first = first.value();
    ev.second = second;
    ev.manager = this;
    return ev;
}

void cmcEvMan::Deliver(const cmcEvent& event) {
    DepthGuard guard(depth_);
    // Entries registered meanwhile go to the front, behind this walk; removed ones stay in the
    // list (marked) until no delivery is in progress, so the iterator stays valid.
    for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
        if (it->removed) continue;
        it->handler(it->user, event);
    }
}

void cmcEvMan::Send(uint8_t code, cmcEvArg first, int32_t second) {
    Deliver(Make(code, EVM_Sent, first, second));
}

void cmcEvMan::Send(uint8_t code, cmcEvArg first, int32_t second, std::string_view text) {
    const std::string copy(text);  // the text goes with its terminating zero
    Send(code, first, second, copy.c_str(), static_cast<int>(copy.size()) + 1);
}

void cmcEvMan::Send(uint8_t code, cmcEvArg first, int32_t second, const void* data, int length) {
    cmcEvent ev = Make(code, EVM_Sent, first, second);
    ev.data.Set(data, length);
    Deliver(ev);
}

void cmcEvMan::Enqueue(cmcEvent event) {
    queue_.push_back(Queued{std::move(event), false, inTick_});
    ScheduleTick();
}

void cmcEvMan::Post(uint8_t code, cmcEvArg first, int32_t second) {
    Enqueue(Make(code, EVM_Posted, first, second));
}

void cmcEvMan::Post(uint8_t code, cmcEvArg first, int32_t second, std::string_view text) {
    const std::string copy(text);  // the text goes with its terminating zero
    Post(code, first, second, copy.c_str(), static_cast<int>(copy.size()) + 1);
}

void cmcEvMan::Post(uint8_t code, cmcEvArg first, int32_t second, const void* data, int length) {
    cmcEvent ev = Make(code, EVM_Posted, first, second);
    ev.data.Set(data, length);
    Enqueue(std::move(ev));
}

std::optional<cmcEvAns> cmcEvMan::Query(uint8_t code, cmcEvArg first, int32_t second) {
    answerLevels_.emplace_back();
    struct LevelGuard {
        std::vector<std::vector<cmcEvAns>>& levels;
        std::vector<cmcEvAns> answers;
        ~LevelGuard() { levels.pop_back(); }
    } level{answerLevels_, {}};
    Deliver(Make(code, EVM_Query, first, second));
    level.answers = std::move(answerLevels_.back());
    if (level.answers.empty()) return std::nullopt;
    return std::move(level.answers.front());
}

bool cmcEvMan::Answer(cmcEvArg data, cmcEvArg second) {
    if (answerLevels_.empty()) return false;
    cmcEvAns ans;
    ans.data = data.value();
    ans.second = second.value();
    answerLevels_.back().push_back(std::move(ans));
    return true;
}

bool cmcEvMan::AnswerRecord(const void* record, int length) {
    if (answerLevels_.empty()) return false;
    cmcEvAns ans;
    ans.record.Set(record, length);
    answerLevels_.back().push_back(std::move(ans));
    return true;
}

bool cmcEvMan::AnswerObject(std::any object) {
    if (answerLevels_.empty()) return false;
    cmcEvAns ans;
    ans.object = std::move(object);
    answerLevels_.back().push_back(std::move(ans));
    return true;
}

void cmcEvMan::Tick() {
    // A tick from a nested event loop inside a handler of this tick waits for the next one.
    if (inTick_) return;
    {
        struct TickGuard {
            bool& flag;
            ~TickGuard() { flag = false; }
        } guard{inTick_};
        inTick_ = true;
        for (Queued& q : queue_) q.fresh = false;
        // Events posted by handlers during this walk are appended marked fresh and wait.
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->delivered || it->fresh) continue;
            it->delivered = true;
            Deliver(it->event);
        }
        queue_.remove_if([](const Queued& q) { return q.delivered; });
    }
    FreeRemoved();
    // The tick runs only while there is work: queued events or registrations to free.
    if (queue_.empty() && !removedPending_ && tick_) tick_->SetInterval(-1);
}

cmcEvMan& EvMan() {
    if (g_installed) return *g_installed;
    // Never destroyed: it may be used until the very end of the process.
    static cmcEvMan* fallback = new cmcEvMan();
    return *fallback;
}

namespace {
int g_bulkEdit = 0;
}  // namespace

bool cmcBulkEditActive() { return g_bulkEdit > 0; }
cmcBulkEdit::cmcBulkEdit() { ++g_bulkEdit; }
cmcBulkEdit::~cmcBulkEdit() { --g_bulkEdit; }

cmcScopedEvMan::cmcScopedEvMan() : previous_(g_installed) { g_installed = &man_; }

cmcScopedEvMan::~cmcScopedEvMan() { g_installed = previous_; }

}  // namespace qx
