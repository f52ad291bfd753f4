// Shortcut names of menu cells ("Enter", "F1", "Ctrl+C", "Shift+Del", "Ctrl+Alt+PgDn"): parsed
// into a Qt key combination (key | modifiers). Names and modifiers are case-insensitive; modifiers
// are "Ctrl", "Shift", "Alt" joined by "+". An unknown or empty name gives 0 (no shortcut).
#pragma once

#include <string>

namespace qx {

int ParseKeyName(const std::string& name);
// The canonical name of a key combination ("Ctrl+C"), or the empty text for 0.
std::string KeyNameOf(int combination);

}  // namespace qx
