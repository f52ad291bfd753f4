// The message sink of qx-p2210-cli: message text goes to stderr and a question takes the first of
// Ok, Yes, Cancel, No that it offers. Fatal errors end the process with their status; a command
// that must go on after a fatal error installs cliThrowingSink instead.
#pragma once

#include "common/cmcMessage.h"

#include <string>

namespace qx::cli {

class cliMessageSink : public cmcMessageSink {
public:
    unsigned Show(const std::string& caption, const std::string& text, cmcMsgIcon icon, unsigned buttons) override;
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override;
};

// Shows messages as cliMessageSink does and turns fatal errors into cmcFatalError exceptions.
class cliThrowingSink final : public cliMessageSink {
public:
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override;
};

// Questions (OK and Cancel): with `yes` every question is answered OK; otherwise, when `ask` is set
// and stdin is a terminal, the question is asked there ("yes" answers OK); else Cancel. The text
// always goes to stderr. Everything else goes to the inner sink.
class cliQuestionSink final : public cmcMessageSink {
public:
    cliQuestionSink(cmcMessageSink& inner, bool yes, bool ask) : inner_(inner), yes_(yes), ask_(ask) {}
    unsigned Show(const std::string& caption, const std::string& text, cmcMsgIcon icon, unsigned buttons) override;
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override;

private:
    cmcMessageSink& inner_;
    bool yes_;
    bool ask_;
};

}  // namespace qx::cli
