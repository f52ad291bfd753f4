// The event manager: sending, posting on the tick, queries and registrations changed during delivery.
#include "common/cmcClock.h"
#include "defs/cmcEvMan.h"
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace qx;

namespace {

// A registered object that logs what it receives and may act on it.
struct Listener {
    std::string name;
    std::vector<std::string>* log;
    std::function<void(Listener&, const cmcEvent&)> action;

    void OnEvent(const cmcEvent& ev) {
        std::string line = name + ":" + std::to_string(ev.code) + "/" + std::to_string(ev.mode);
        if (ev.data.Present()) line += ":" + ev.data.Text();
        log->push_back(line);
        if (action) action(*this, ev);
    }
};

void PlainHandler(void* user, const cmcEvent& ev) { static_cast<std::vector<int>*>(user)->push_back(ev.code); }

struct EvManTest : ::testing::Test {
    cmcScopedManualTime time;
    std::vector<std::string> log;
    cmcEvMan man;
    Listener a{"a", &log, {}}, b{"b", &log, {}}, c{"c", &log, {}};

    void RegisterAll() {
        man.Register<&Listener::OnEvent>(&a);
        man.Register<&Listener::OnEvent>(&b);
        man.Register<&Listener::OnEvent>(&c);
    }
};

}  // namespace

TEST_F(EvManTest, SendReachesEveryHandlerNewestFirstWithCopiedData) {
    RegisterAll();
    int seenFirst = 0, seenSecond = 0;
    void* seenPtr = nullptr;
    a.action = [&](Listener&, const cmcEvent& ev) {
        seenSecond = ev.second;
        if (ev.code == EVC_OwnerGone) seenPtr = ev.FirstAs<void>();
        else seenFirst = static_cast<int>(ev.first);
    };
    man.Send(EVC_TreeBuilt);
    man.Send(EVC_ChannelJoinsBank, 2, 17);
    EXPECT_EQ(seenFirst, 2);
    EXPECT_EQ(seenSecond, 17);
    man.Send(EVC_OwnerGone, &b, 0);
    EXPECT_EQ(seenPtr, &b);
    EXPECT_EQ(log, (std::vector<std::string>{"c:25/1", "b:25/1", "a:25/1", "c:26/1", "b:26/1", "a:26/1",
                                             "c:1/1", "b:1/1", "a:1/1"}));

    // Text is copied with its terminating zero; a binary block byte for byte.
    std::string text = "Ready";
    int textLength = 0;
    int32_t cell[3] = {0};
    c.action = [&](Listener&, const cmcEvent& ev) {
        if (ev.code == EVC_StatusText) textLength = ev.data.Length();
        if (ev.code == EVC_CurrentCellChanged) ev.data.Read(cell);
    };
    man.Send(EVC_StatusText, 0x00FF00, 0xFFFFFF, text);
    text = "changed";  // the handlers saw a copy
    EXPECT_EQ(textLength, 6);
    EXPECT_EQ(log[log.size() - 1], "a:4/1:Ready");
    const int32_t sent[3] = {3, 41, 7};
    man.Send(EVC_CurrentCellChanged, 0, 0, sent, sizeof sent);
    EXPECT_EQ(cell[0], 3);
    EXPECT_EQ(cell[1], 41);
    EXPECT_EQ(cell[2], 7);
    EXPECT_FALSE(man.TickArmed());  // sending needs no tick
}

TEST_F(EvManTest, RegistrationIdentityIsHandlerAndUser) {
    man.Register<&Listener::OnEvent>(&a);
    man.Register<&Listener::OnEvent>(&b);
    man.Register<&Listener::OnEvent>(&a);  // again: once per event, and moved to the front
    man.Register(nullptr, &c);             // ignored
    EXPECT_EQ(man.HandlerCount(), 2);
    man.Send(EVC_MenusBuilt);
    EXPECT_EQ(log, (std::vector<std::string>{"a:2/1", "b:2/1"}));

    std::vector<int> plain;
    man.Register(&PlainHandler, &plain);
    man.Unregister<&Listener::OnEvent>(&b);
    man.Unregister(&PlainHandler, &a);  // another handler's user: nothing removed
    log.clear();
    man.Send(EVC_ToolBarRefresh);
    EXPECT_EQ(log, (std::vector<std::string>{"a:20/1"}));
    EXPECT_EQ(plain, (std::vector<int>{EVC_ToolBarRefresh}));

    man.UnregisterAll(&a);
    man.Unregister(&PlainHandler, &plain);
    EXPECT_EQ(man.HandlerCount(), 0);
    log.clear();
    man.Send(EVC_ToolBarRefresh);
    EXPECT_TRUE(log.empty());
}

TEST_F(EvManTest, RegistrationsChangedDuringASend) {
    RegisterAll();  // called c, b, a
    Listener d{"d", &log, {}};
    // c unregisters itself and a (not yet called this time), and registers d.
    c.action = [&](Listener& self, const cmcEvent&) {
        man.Unregister<&Listener::OnEvent>(&self);
        man.Unregister<&Listener::OnEvent>(&a);
        man.Register<&Listener::OnEvent>(&d);
    };
    man.Send(EVC_MenuRefresh);
    EXPECT_EQ(log, (std::vector<std::string>{"c:9/1", "b:9/1"}));
    log.clear();
    man.Send(EVC_MenuRefresh);
    EXPECT_EQ(log, (std::vector<std::string>{"d:9/1", "b:9/1"}));

    // Removed entries are freed on the tick, which then stops.
    EXPECT_TRUE(man.TickArmed());
    time->Advance(cmcEvMan::kTickMs);
    EXPECT_FALSE(man.TickArmed());
    EXPECT_EQ(man.HandlerCount(), 2);
}

TEST_F(EvManTest, TickInsideAHandlerDoesNotFreeEntriesTheSendIsWalking) {
    RegisterAll();  // called c, b, a
    man.Post(EVC_BankIcons);
    // b unregisters itself and a, then runs a nested event loop in which the tick falls due.
    b.action = [&](Listener& self, const cmcEvent& ev) {
        if (ev.code != EVC_RedrawLabelled) return;
        man.Unregister<&Listener::OnEvent>(&self);
        man.Unregister<&Listener::OnEvent>(&a);
        time->Advance(cmcEvMan::kTickMs);
    };
    man.Send(EVC_RedrawLabelled);
    // The posted event was delivered inside, to the registrations still live; the walk went on.
    EXPECT_EQ(log, (std::vector<std::string>{"c:13/1", "b:13/1", "c:32/0"}));
    EXPECT_TRUE(man.TickArmed());  // the removed entries still wait to be freed
    time->Advance(cmcEvMan::kTickMs);
    EXPECT_FALSE(man.TickArmed());
    log.clear();
    man.Send(EVC_RedrawLabelled);
    EXPECT_EQ(log, (std::vector<std::string>{"c:13/1"}));
}

TEST_F(EvManTest, PostedEventsArriveOnTheNextTickInOrder) {
    RegisterAll();
    man.Post(EVC_AboutBox, 1, 2);
    man.Post(EVC_BankRename, 0, 3, "Bank C");
    EXPECT_EQ(man.QueuedCount(), 2);
    time->Advance(cmcEvMan::kTickMs - 1);
    EXPECT_TRUE(log.empty());
    time->Advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"c:3/0", "b:3/0", "a:3/0", "c:33/0:Bank C", "b:33/0:Bank C",
                                             "a:33/0:Bank C"}));
    EXPECT_EQ(man.QueuedCount(), 0);
    EXPECT_FALSE(man.TickArmed());

    // An event posted while a tick delivers waits for the following tick.
    log.clear();
    a.action = [&](Listener&, const cmcEvent& ev) {
        if (ev.code == EVC_BankChanged) man.Post(EVC_CheckDone);
    };
    man.Post(EVC_BankChanged);
    time->Advance(cmcEvMan::kTickMs);
    EXPECT_EQ(log, (std::vector<std::string>{"c:29/0", "b:29/0", "a:29/0"}));
    EXPECT_EQ(man.QueuedCount(), 1);
    time->Advance(cmcEvMan::kTickMs);
    EXPECT_EQ(log.size(), 6u);
    EXPECT_EQ(log.back(), "a:23/0");
    EXPECT_FALSE(man.TickArmed());
}

TEST_F(EvManTest, QueriesCollectAnswersPerLevel) {
    EXPECT_FALSE(man.Query(EVC_QueryBank).has_value());  // no handler
    RegisterAll();
    EXPECT_FALSE(man.Query(EVC_QueryBank).has_value());  // handlers, none answers
    EXPECT_FALSE(man.Answer(1));                          // not inside a query

    struct CellCopy {
        std::string name;
        int index;
    };
    // c answers with a number, b with a plain record, a asks a nested query before answering.
    c.action = [](Listener&, const cmcEvent& ev) {
        if (ev.code == EVC_QueryBank && ev.IsQuery()) ev.manager->Answer(4, 99);
        if (ev.code == 200) ev.manager->AnswerObject(CellCopy{"CH 12", 12});
    };
    b.action = [](Listener&, const cmcEvent& ev) {
        const int32_t rec[2] = {7, 8};
        if (ev.code == EVC_QueryBank) ev.manager->AnswerRecord(rec, sizeof rec);
    };
    std::optional<cmcEvAns> inner;
    a.action = [&](Listener&, const cmcEvent& ev) {
        if (ev.code != EVC_QueryBank) return;
        inner = man.Query(200);
        man.Answer(5);
    };
    std::optional<cmcEvAns> ans = man.Query(EVC_QueryBank, 0, 0);
    ASSERT_TRUE(ans.has_value());
    EXPECT_EQ(ans->data, 4);  // the first answer given
    EXPECT_EQ(ans->second, 99);
    ASSERT_TRUE(inner.has_value());
    ASSERT_NE(inner->Object<CellCopy>(), nullptr);
    EXPECT_EQ(inner->Object<CellCopy>()->name, "CH 12");
    EXPECT_EQ(log.front(), "c:28/2");

    // Only b answers now: its record is a copy.
    c.action = nullptr;
    a.action = nullptr;
    ans = man.Query(EVC_QueryBank);
    ASSERT_TRUE(ans.has_value());
    int32_t rec[2] = {0, 0};
    ASSERT_TRUE(ans->record.Read(rec));
    EXPECT_EQ(rec[1], 8);
    EXPECT_FALSE(man.InQuery());
}

TEST(EvMan, DestroyedWithQueuedEventsDeliversNothing) {
    cmcScopedManualTime time;
    std::vector<int> got;
    {
        cmcEvMan man;
        man.Register(&PlainHandler, &got);
        man.Post(EVC_BankIcons);
        EXPECT_EQ(time->ArmedCount(), 1);
    }
    EXPECT_EQ(time->ArmedCount(), 0);
    time->Advance(50);
    EXPECT_TRUE(got.empty());
}

TEST(EvMan, GlobalManagerCanBeReplacedForAScope) {
    cmcScopedManualTime time;
    cmcEvMan& fallback = EvMan();
    std::vector<int> got;
    {
        cmcScopedEvMan scoped;
        EXPECT_EQ(&EvMan(), &*scoped);
        EvMan().Register(&PlainHandler, &got);
        EvMan().Post(EVC_CheckDone);
        time->Advance(cmcEvMan::kTickMs);
        EXPECT_EQ(got, (std::vector<int>{EVC_CheckDone}));
    }
    EXPECT_EQ(&EvMan(), &fallback);
    fallback.Send(EVC_TreeBuilt);  // the scoped registration went with its manager
    EXPECT_EQ(got.size(), 1u);
}
