// The GUI's answer to core messages: real message boxes, and a box then exit for fatal errors.
#pragma once

#include "common/cmcMessage.h"

namespace qx {

class cuiMessageBoxSink final : public cmcMessageSink {
public:
    unsigned Show(const std::string& caption, const std::string& text, cmcMsgIcon icon, unsigned buttons) override;
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override;
};

}  // namespace qx
