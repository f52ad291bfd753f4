// The whole program in one GUI test: settings (not stored), hand-stepped time, the event manager,
// the main object over the definition files beside the test, and the main form.
#pragma once

#include "app/Frmmain.h"
#include "app/cuiMain.h"
#include "app/cuiTree.h"
#include "comm/indEnviron.h"
#include "common/cmcClock.h"
#include "defs/cmcEvMan.h"
#include "support/cmcTestSupport.h"

#include <QCoreApplication>

#include <functional>
#include <memory>

namespace qx::test {

struct Program {
    cmcScopedManualTime time;
    indEnviron env{"test mutex", "Software\\Test\\Main", [] {
                       indEnvironOptions o;
                       o.persistent = false;
                       o.screenWidth = 1280;
                       o.screenHeight = 800;
                       return o;
                   }()};
    cmcScopedEvMan events;
    std::unique_ptr<cuiMain> main;
    std::unique_ptr<Frmmain> form;

    explicit Program(const std::function<void(indEnviron&)>& settings = {}) {
        SetEnviron(&env);
        if (settings) settings(env);
        Messages().Clear();
        main = std::make_unique<cuiMain>();
        form = std::make_unique<Frmmain>(*main);
        Step(0);
    }
    ~Program() {
        form.reset();
        main.reset();
        SetEnviron(nullptr);
    }
    // Moves time on (timers of the program fire) and lets the message loop run.
    void Step(uint32_t ms) {
        QCoreApplication::processEvents();
        if (ms) time->Advance(ms);
        QCoreApplication::processEvents();
    }
    cuiTree& Tree() { return *main->Tree(); }
};

}  // namespace qx::test
