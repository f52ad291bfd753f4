// The settings object: the user's persistent preferences (serial port and speed, model type, default
// directory, recent files, view options, main window position) and the single-instance guard.
//
// Settings are stored per user in an INI file. The settings key "Software\<Organisation>\<Application>"
// names the file <config>/<Organisation>/<Application>.ini, where <config> is the user's XDG
// configuration folder (~/.config unless XDG_CONFIG_HOME says otherwise). The file holds the groups
// "Global", "Recent File List", "View Option", "Window Position" and "Setup".
//
// All or nothing: when any group or value is missing or unreadable, or the validity marker "BBT" is
// not 753951, every field takes its default; a partially stored set is never used. "ComDevice"
// (Global) and "BackupBeforeWrite" (Setup) are optional and outside that rule: when missing, the
// device is simply empty and the backup on.
//
// Integer values are 32-bit words written as decimal text; a text in the range -2^31 .. 2^32-1 is
// read as the bit pattern of the field's kind (signed or unsigned); any other text is unreadable.
//
// The single-instance guard is a per-user lock file named after the mutex name, in the user's
// runtime folder (XDG_RUNTIME_DIR) or, without one, beside the settings file. Only the instance that
// holds the guard reads and writes the settings; another one ends at once without touching them.
#pragma once

#include "comm/cmcRecent.h"

#include <cstdint>
#include <memory>
#include <string>

class QLockFile;

namespace qx {

inline constexpr uint32_t kEnvironValidMarker = 753951;

// Window bounds (left, top, width, height).
struct indWindowBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct indEnvironOptions {
    // The INI file; empty: derived from the settings key as described above.
    std::string settingsFile;
    // The lock file of the single-instance guard; empty: derived from the mutex name.
    std::string lockFile;
    // The screen size the default window bounds are computed from (the GUI passes the primary
    // screen's size); 0 means unknown and counts as 1024 x 768.
    int screenWidth = 0;
    int screenHeight = 0;
    // False: no guard, nothing read or written; the object only holds the defaults (tests, tools).
    bool persistent = true;
};

class indEnviron {
public:
    // Takes the single-instance guard and, holding it, loads the settings.
    indEnviron(const std::string& mutexName, const std::string& settingsKey,
               const indEnvironOptions& options = {});
    // Saves the settings when this instance holds the guard and the validity marker is 753951,
    // then releases the guard.
    ~indEnviron();
    indEnviron(const indEnviron&) = delete;
    indEnviron& operator=(const indEnviron&) = delete;

    // Whether this process holds the single-instance guard (false also for a non-persistent object).
    bool IsFirstInstance() const { return firstInstance_; }
    // Whether the stored settings were used (false: the defaults replaced them).
    bool Loaded() const { return loaded_; }

    // Puts every field back to its default; window bounds from the screen size given.
    void SetDefaults(int screenWidth, int screenHeight);
    // Default window bounds for a screen: width min(0.9 w, 800), height min(0.9 h, 600), centred
    // horizontally, 30 % of the free height above.
    static indWindowBounds DefaultBounds(int screenWidth, int screenHeight);

    // The user picked a numbered port (port menu, port dialog): the number (brought into 1..256)
    // becomes the port and a stored device path is forgotten.
    void SelectPortNumber(int number);

    const std::string& SettingsFile() const { return settingsFile_; }
    const std::string& LockFile() const { return lockFile_; }

    // The paths the program uses for a settings key and a mutex name.
    static std::string SettingsFileFor(const std::string& settingsKey);
    static std::string LockFileFor(const std::string& mutexName, const std::string& settingsKey);

    // Fields, read and changed directly by the parts that use them.
    cmcRecent Recent{10};                  // "Recent File List" / "Recent0".."Recent9"
    uint32_t ValidMarker = kEnvironValidMarker;  // "Global" / "BBT"
    uint32_t FontSizePercentage = 100;     // "View Option" / "FontSize Percentage", 25..1000
    int ToolbarVisible = 1;                // "View Option" / "Toolbar Visible", 0 or 1
    int ComPort = 1;                       // "Global" / "ComPort", 1..256
    uint32_t ComSpeedHigh = 0;             // "Global" / "ComSpeedHigh", 0 or 1
    std::string CurrentDirectory;          // "Global" / "Current Directory"
    int Left = 0, Top = 0, Width = 0, Height = 0;  // "Window Position"
    uint32_t SplitterV = 200;              // "Window Position" / "SplitterV"
    uint8_t ModelType = 3;                 // "Setup" / "ModelType", the stored integer's low byte
    // "Global" / "ComDevice": a serial device path chosen by the user; when set it is the port
    // cloning opens, whatever ComPort says (see cmcPortList).
    std::string ComDevice;
    // "Setup" / "BackupBeforeWrite", 0 or 1: read the radio into a backup file before each clone
    // write. Optional like ComDevice: when missing it is 1.
    int BackupBeforeWrite = 1;
    // "Window Position" / "FleetWidth", "FleetHeight": the size of the windows that write or read
    // several radios, as the user left it. Optional: 0 when missing (the windows' own size).
    int FleetWidth = 0, FleetHeight = 0;

private:
    bool Load();
    void Save() const;

    std::string mutexName_;
    std::string settingsKey_;
    std::string settingsFile_;
    std::string lockFile_;
    int screenWidth_;
    int screenHeight_;
    bool persistent_;
    bool firstInstance_ = false;
    bool loaded_ = false;
    std::unique_ptr<QLockFile> lock_;
};

// The program-wide settings object. Until the program installs its own, a non-persistent object
// with the defaults answers (so the core can be used by tools and tests without touching the
// user's settings). Null restores that fallback.
indEnviron& Environ();
void SetEnviron(indEnviron* environ);

}  // namespace qx
