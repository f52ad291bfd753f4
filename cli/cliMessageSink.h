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

}  // namespace qx::cli
