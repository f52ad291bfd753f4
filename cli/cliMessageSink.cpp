#include "cli/cliMessageSink.h"

#include <cstdio>
#include <cstdlib>

namespace qx::cli {

unsigned cliMessageSink::Show(const std::string&, const std::string& text, cmcMsgIcon, unsigned buttons) {
    std::fprintf(stderr, "%s\n", text.c_str());
    for (unsigned b : {MB_Ok, MB_Yes, MB_Cancel, MB_No})
        if (buttons & b) return b;
    return MB_Ok;
}

void cliMessageSink::Fatal(const std::string& caption, const std::string& text, int status) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

void cliThrowingSink::Fatal(const std::string& caption, const std::string& text, int status) {
    throw cmcFatalError(caption, text, status);
}

}  // namespace qx::cli
