#include "cli/cliMessageSink.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include <unistd.h>

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

unsigned cliQuestionSink::Show(const std::string& caption, const std::string& text, cmcMsgIcon icon,
                               unsigned buttons) {
    if (!(buttons & MB_Ok) || !(buttons & MB_Cancel)) return inner_.Show(caption, text, icon, buttons);
    std::fprintf(stderr, "%s\n", text.c_str());
    if (yes_) {
        std::fprintf(stderr, "(--yes: answered OK)\n");
        return MB_Ok;
    }
    if (!ask_ || !isatty(STDIN_FILENO)) {
        std::fprintf(stderr, "%s: cancelled (use --yes to answer OK).\n", ask_ ? "No terminal to answer on" : "Not confirmed");
        return MB_Cancel;
    }
    std::fprintf(stderr, "Type yes to continue: ");
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return MB_Cancel;
    return answer == "yes" || answer == "y" || answer == "YES" || answer == "Y" ? MB_Ok : MB_Cancel;
}

void cliQuestionSink::Fatal(const std::string& caption, const std::string& text, int status) {
    inner_.Fatal(caption, text, status);
    std::abort();  // the tool's sink ends the process; it never returns
}

}  // namespace qx::cli
