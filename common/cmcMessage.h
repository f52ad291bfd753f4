// The one seam through which core code talks to the user: message boxes and fatal errors.
// The GUI answers with real message boxes and ends the process; the command-line tool writes to
// stderr and exits with a status; tests record the messages and turn fatals into exceptions.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace qx {

enum class cmcMsgIcon { None, Information, Warning, Error, Question };

// Buttons of a message box; a box offers a combination, the answer is one of them.
enum cmcMsgButton : unsigned {
    MB_Ok = 0x01,
    MB_Cancel = 0x02,
    MB_Yes = 0x04,
    MB_No = 0x08,
    MB_Save = 0x10,     // the unsaved-changes question: save first, then go on
    MB_Discard = 0x20,  // go on without saving
    // Not a button: Cancel is the default (Enter chooses it) in a question whose safe answer it is.
    MB_DefaultCancel = 0x40,
};

// Exit statuses of fatal errors.
inline constexpr int kExitDefinitionFault = 3;  // a definition key, the name table or a cell description is wrong
inline constexpr int kExitInternalFault = 70;   // an internal check failed (image address, buffer index, map size)

class cmcMessageSink {
public:
    virtual ~cmcMessageSink() = default;
    // Shows a message and returns the button the user chose (one of `buttons`).
    virtual unsigned Show(const std::string& caption, const std::string& text, cmcMsgIcon icon,
                          unsigned buttons) = 0;
    // Shows a fatal error, captioned with the executable's file name, and ends the process.
    // An implementation must not return (it exits or throws).
    [[noreturn]] virtual void Fatal(const std::string& caption, const std::string& text, int status) = 0;
};

// Installs the sink used from now on (not owned). Null restores the default, which writes to stderr,
// answers the first offered button of Ok/Yes/Cancel/No order and exits on fatal.
void cmcSetMessageSink(cmcMessageSink* sink);
cmcMessageSink& cmcMessages();

// Shows a message box; returns the chosen button.
unsigned cmcShowMessage(const std::string& caption, const std::string& text, cmcMsgIcon icon,
                        unsigned buttons = MB_Ok);

// Ends the process after showing `text` captioned with the executable's file name.
[[noreturn]] void cmcFatal(const std::string& text, int status);

// The executable's own path, its file name and its directory (ending with '/').
void cmcSetProgramPath(const std::string& argv0);
std::string cmcProgramFileName();
std::string cmcProgramDir();

// The exception a test sink throws in place of ending the process.
class cmcFatalError : public std::runtime_error {
public:
    cmcFatalError(std::string caption, std::string text, int status)
        : std::runtime_error(text), caption_(std::move(caption)), text_(std::move(text)), status_(status) {}
    const std::string& caption() const { return caption_; }
    const std::string& text() const { return text_; }
    int status() const { return status_; }

private:
    std::string caption_;
    std::string text_;
    int status_;
};

}  // namespace qx
