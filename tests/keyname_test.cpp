// Shortcut names of menu cells.
#include "defs/cmcKeyName.h"

#include <Qt>
#include <gtest/gtest.h>

using namespace qx;

TEST(KeyName, ParsesKeysAndModifiers) {
    struct Case {
        const char* name;
        int keys;
    };
    const Case cases[] = {
        {"Enter", Qt::Key_Return},
        {"enter", Qt::Key_Return},
        {" F1 ", Qt::Key_F1},
        {"F12", Qt::Key_F12},
        {"Ctrl+C", Qt::ControlModifier | Qt::Key_C},
        {"ctrl+c", Qt::ControlModifier | Qt::Key_C},
        {"Shift+Del", Qt::ShiftModifier | Qt::Key_Delete},
        {"Ctrl+Alt+PgDn", Qt::ControlModifier | Qt::AltModifier | Qt::Key_PageDown},
        {"Ctrl++", Qt::ControlModifier | Qt::Key_Plus},
        {"Ins", Qt::Key_Insert},
        {"Ctrl+Up", Qt::ControlModifier | Qt::Key_Up},
        {"5", Qt::Key_5},
        {"", 0},
        {"F0", 0},
        {"F25", 0},
        {"Hyper+C", 0},
        {"Ctrl+", 0},
        {"NoSuchKey", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseKeyName(c.name), c.keys) << c.name;
}

TEST(KeyName, NamesRoundTrip) {
    for (const char* n : {"Enter", "F1", "Ctrl+C", "Shift+Del", "Ctrl+Alt+PgDn", "Ins"})
        EXPECT_EQ(KeyNameOf(ParseKeyName(n)), n);
    EXPECT_EQ(KeyNameOf(0), "");
}
