// The warning checker: runs the warning check list ("GI_WarningCheckList") and the channel checks
// of the five banks through the cell handler, marks the tree's nodes with warning and error
// overlays, and counts the errors (a clone write refuses while there are any). After edits the
// check runs once, 250 ms after the last edit, on the cell handler's one deferred timer.
//
//     cuiWarningChecker warnings(main, [this] { return tree_.get(); });
//     int errors = 0;
//     warnings.Count(&errors, nullptr);
#pragma once

#include <functional>

class QWidget;

namespace qx {

class cuiTree;
class indMain;

class cuiWarningChecker {
public:
    using TreeOf = std::function<cuiTree*()>;

    cuiWarningChecker(indMain& main, TreeOf tree);

    // The window the probe requests name as their owner.
    void SetOwner(QWidget* owner) { owner_ = owner; }

    // Runs the check list and the five bank checks, marks the tree, then posts EVC_BankIcons and
    // EVC_BankChanged. Without a tree nothing is checked (both counts 0).
    void Count(int* errors = nullptr, int* warnings = nullptr);
    // The check after edits: redraw every labelled cell, count, post EVC_CheckDone.
    void RefreshAll();
    // (Re)starts the 250 ms wait before the next check; RefreshAll runs when it ends.
    static void Schedule();
    static bool Pending();

private:
    indMain& main_;
    TreeOf tree_;
    QWidget* owner_ = nullptr;
};

}  // namespace qx
