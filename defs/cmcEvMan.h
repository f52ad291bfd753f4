// The event manager: the program's objects notify each other through it instead of calling each
// other. An event is a code with two values and an optional copied data block. It is sent
// (delivered at once to every handler), posted (delivered on the manager's next 10 ms tick) or
// asked as a query, which handlers answer with records collected for the asker.
//
// A handler is a function with a user pointer (the object that registered); the pair identifies the
// registration. Objects usually register a member function:
//
//     EvMan().Register<&cuiTree::OnEvent>(this);      // void cuiTree::OnEvent(const cmcEvent&)
//     EvMan().Unregister<&cuiTree::OnEvent>(this);    // or EvMan().UnregisterAll(this)
//
// Handlers may register, unregister, send, post and query while they are being called.
#pragma once

#include "comm/cmcTask.h"

#include <any>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qx {

// The event codes in use. Codes not listed are free for new use; handlers ignore codes they do not know.
enum cmcEvCode : uint8_t {
    EVC_OwnerGone = 1,            // send: the object in the first value is going away; dependants close
    EVC_MenusBuilt = 2,           // send: menus and tool bar built
    EVC_AboutBox = 3,             // post: open the about box
    EVC_StatusText = 4,           // send: status bar colours (first, second) and text (data)
    EVC_MenuRefresh = 9,          // send: refresh the state of all menu items
    EVC_MenuItemClear = 10,       // send: clear the menu item of the cell label in the second value
    EVC_MenuItemFill = 11,        // send: fill that menu item from a popup key (data); popup builder first
    EVC_QueryCurrentCell = 12,    // query: the current cell of the sheet whose popup menu is the first value
    EVC_RedrawLabelled = 13,      // send: redraw all labelled cells
    EVC_RedrawCategory = 14,      // send: redraw cells whose category is the second value
    EVC_RedrawLabel = 15,         // send: redraw cells whose label is the second value
    EVC_RedrawIndex = 16,         // send: redraw labelled cells whose index is the second value
    EVC_RedrawIndexAtMost = 17,   // send: redraw labelled cells whose index is at most the second value
    EVC_RedrawIndexAtLeast = 18,  // send: redraw labelled cells whose index is at least the second value
    EVC_CurrentCellChanged = 19,  // send: data holds category, label and index (three int32)
    EVC_ToolBarRefresh = 20,      // send: refresh the tool bar buttons
    EVC_CloseDropDowns = 21,      // send: close drop-down windows and commit open in-place editors
    EVC_CheckDone = 23,           // post: warning check finished
    EVC_TreeBuilt = 25,           // send: topic tree built or rebuilt
    EVC_ChannelJoinsBank = 26,    // send: first value bank, second value channel
    EVC_ChannelLeavesBank = 27,   // send: first value bank, second value channel
    EVC_QueryBank = 28,           // query: the bank shown by the current channel/bank sheet
    EVC_BankChanged = 29,         // send or post: bank bookkeeping changed
    EVC_BankJoined = 30,          // send or post: bank bookkeeping changed after a join
    EVC_BankLeft = 31,            // send or post: bank bookkeeping changed after a leave
    EVC_BankIcons = 32,           // post: recompute the bank icons of the tree
    EVC_BankRename = 33,          // post: bank (second value) has the name given as data
};

// How an event reached the handler.
enum cmcEvMode : uint8_t { EVM_Posted = 0, EVM_Sent = 1, EVM_Query = 2 };

// A pointer-sized event value, given as an integer or a pointer.
class cmcEvArg {
public:
    template <class T>
        requires(std::is_integral_v<T> || std::is_enum_v<T>)
    constexpr cmcEvArg(T v) : value_(static_cast<intptr_t>(v)) {}
    template <class T>
    cmcEvArg(T* p) : value_(reinterpret_cast<intptr_t>(p)) {}
    constexpr cmcEvArg(std::nullptr_t) : value_(0) {}
    constexpr intptr_t value() const { return value_; }

private:
    intptr_t value_;
};

class cmcEvMan;

// A copied data block: the text of an event or the record of an answer.
class cmcEvData {
public:
    void Set(const void* bytes, int length);
    bool Present() const { return !bytes_.empty(); }
    const uint8_t* Bytes() const { return bytes_.data(); }
    int Length() const { return static_cast<int>(bytes_.size()); }
    // The block as text, up to its first zero byte.
    std::string Text() const;
    // Copies the block into a plain record; false (and out untouched) when the block is shorter.
    template <class T>
    bool Read(T& out) const {
        static_assert(std::is_trivially_copyable_v<T>);
        if (bytes_.size() < sizeof(T)) return false;
        std::memcpy(&out, bytes_.data(), sizeof(T));
        return true;
    }

private:
    std::vector<uint8_t> bytes_;
};

struct cmcEvent {
    uint8_t code = 0;
    uint8_t mode = EVM_Sent;
    intptr_t first = 0;   // an int or a pointer
    int32_t second = 0;
    cmcEvData data;       // absent unless given
    cmcEvMan* manager = nullptr;  // the manager delivering it (to answer queries)

    template <class T>
    T* FirstAs() const { return reinterpret_cast<T*>(first); }
    bool IsQuery() const { return mode == EVM_Query; }
};

// One answer to a query.
struct cmcEvAns {
    intptr_t data = 0;
    intptr_t second = 0;
    cmcEvData record;  // a copied plain record, when answered with one
    std::any object;   // a copied object, when answered with one

    template <class T>
    T* DataAs() const { return reinterpret_cast<T*>(data); }
    template <class T>
    const T* Object() const { return std::any_cast<T>(&object); }
};

using cmcEvHandler = void (*)(void* user, const cmcEvent& event);

class cmcEvMan {
public:
    // Deliveries of posted events happen on a tick of this period.
    static constexpr int kTickMs = 10;

    cmcEvMan();
    ~cmcEvMan();
    cmcEvMan(const cmcEvMan&) = delete;
    cmcEvMan& operator=(const cmcEvMan&) = delete;

    // Registers a handler in front of the others (the newest is called first). A null handler is
    // ignored; registering the same handler and user again replaces the earlier registration.
    void Register(cmcEvHandler handler, void* user);
    // Removes every registration of this handler and user; it receives no further events.
    void Unregister(cmcEvHandler handler, void* user);
    // Removes every registration made with this user.
    void UnregisterAll(const void* user);

    template <auto Method, class T>
    void Register(T* object) { Register(&MemberHandler<Method, T>, object); }
    template <auto Method, class T>
    void Unregister(T* object) { Unregister(&MemberHandler<Method, T>, object); }

    // Delivers at once to every registered handler. Text data is copied with its terminating zero.
    void Send(uint8_t code, cmcEvArg first = 0, int32_t second = 0);
    void Send(uint8_t code, cmcEvArg first, int32_t second, std::string_view text);
    void Send(uint8_t code, cmcEvArg first, int32_t second, const void* data, int length);

    // Queues for delivery on the next tick; events posted during a tick wait for the following one.
    void Post(uint8_t code, cmcEvArg first = 0, int32_t second = 0);
    void Post(uint8_t code, cmcEvArg first, int32_t second, std::string_view text);
    void Post(uint8_t code, cmcEvArg first, int32_t second, const void* data, int length);

    // Delivers at once as a query and returns the first answer given to it, if any.
    std::optional<cmcEvAns> Query(uint8_t code, cmcEvArg first = 0, int32_t second = 0);

    // Called by a handler of a query: adds an answer to the innermost open query. Outside a query
    // nothing is recorded and false is returned.
    bool Answer(cmcEvArg data, cmcEvArg second = 0);
    bool AnswerRecord(const void* record, int length);
    bool AnswerObject(std::any object);
    bool InQuery() const { return !answerLevels_.empty(); }

    // One delivery tick (the tick task calls it): delivers the queued events, then frees the
    // removed registrations when no delivery is in progress.
    void Tick();

    int QueuedCount() const { return static_cast<int>(queue_.size()); }
    int HandlerCount() const;  // registrations not removed
    bool TickArmed() const { return tick_ && !tick_->Idle(); }

private:
    struct Entry {
        cmcEvHandler handler;
        void* user;
        bool removed;
    };
    struct Queued {
        cmcEvent event;
        bool delivered;
        bool fresh;  // posted during the current tick
    };

    template <auto Method, class T>
    static void MemberHandler(void* user, const cmcEvent& event) {
        (static_cast<T*>(user)->*Method)(event);
    }

    cmcEvent Make(uint8_t code, uint8_t mode, cmcEvArg first, int32_t second);
    void Deliver(const cmcEvent& event);
    void Enqueue(cmcEvent event);
    void MarkRemoved(Entry& entry);
    void FreeRemoved();
    void ScheduleTick();

    std::list<Entry> handlers_;
    std::list<Queued> queue_;
    std::vector<std::vector<cmcEvAns>> answerLevels_;  // one level per query being delivered
    int depth_ = 0;         // deliveries in progress
    bool inTick_ = false;
    bool removedPending_ = false;
    cmcTaskPtr tick_;
};

// The program's event manager: the one installed (cmcScopedEvMan), or else one created on first
// use that lives until the process ends.
cmcEvMan& EvMan();

// The bulk-edit flag: set while a list operation sends a run of bank bookkeeping events (a
// multi-row delete). Receivers may leave their repaint to the whole-sheet redraw that follows.
bool cmcBulkEditActive();
class cmcBulkEdit {
public:
    cmcBulkEdit();
    ~cmcBulkEdit();
    cmcBulkEdit(const cmcBulkEdit&) = delete;
    cmcBulkEdit& operator=(const cmcBulkEdit&) = delete;
};

// Installs a fresh manager as EvMan() for its lifetime (the program's start-up, tests) and
// restores the previous one after.
class cmcScopedEvMan {
public:
    cmcScopedEvMan();
    ~cmcScopedEvMan();
    cmcScopedEvMan(const cmcScopedEvMan&) = delete;
    cmcScopedEvMan& operator=(const cmcScopedEvMan&) = delete;
    cmcEvMan& operator*() { return man_; }
    cmcEvMan* operator->() { return &man_; }

private:
    cmcEvMan man_;
    cmcEvMan* previous_;
};

}  // namespace qx
