// Helpers shared by the tests: a message recorder that answers boxes and turns fatal errors into
// exceptions, and paths to the source tree and the build's bin folder.
#pragma once

#include "common/cmcMessage.h"
#include "defs/cmcCellObj.h"

#include <deque>
#include <string>
#include <vector>

namespace qx::test {

struct RecordedMessage {
    std::string caption;
    std::string text;
    cmcMsgIcon icon;
    unsigned buttons;
};

class cmcMessageRecorder final : public cmcMessageSink {
public:
    unsigned Show(const std::string& caption, const std::string& text, cmcMsgIcon icon, unsigned buttons) override;
    [[noreturn]] void Fatal(const std::string& caption, const std::string& text, int status) override;

    // Answers to give, in order; when none is queued the first of Ok, Yes, Cancel, No offered is chosen.
    void QueueAnswer(unsigned button) { answers_.push_back(button); }
    const std::vector<RecordedMessage>& messages() const { return messages_; }
    void Clear() { messages_.clear(); answers_.clear(); }

private:
    std::vector<RecordedMessage> messages_;
    std::deque<unsigned> answers_;
};

// The recorder installed by the test main for every test.
cmcMessageRecorder& Messages();

// The source tree (for fixtures and data/) and the build's bin folder (executables, copied data/).
std::string SourceDir();
std::string BinDir();
// A fresh temporary folder, removed when the test program ends.
std::string TempDir();
// Writes a file and returns its path.
std::string WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

// A cell of the given identity (category, label, index), as a sheet would hand it to the handler.
cmcCellObj CellOf(int category, int label, int index = 0);

}  // namespace qx::test

// Expects `stmt` to end in a fatal error whose text contains `fragment` and whose status is `code`.
#define EXPECT_FATAL(stmt, fragment, code)                                                  \
    do {                                                                                    \
        bool qx_fatal_seen = false;                                                         \
        try {                                                                               \
            stmt;                                                                           \
        } catch (const ::qx::cmcFatalError& e) {                                            \
            qx_fatal_seen = true;                                                           \
            EXPECT_NE(e.text().find(fragment), std::string::npos) << e.text();              \
            EXPECT_EQ(e.status(), code);                                                    \
        }                                                                                   \
        EXPECT_TRUE(qx_fatal_seen) << "expected a fatal error from: " #stmt;                \
    } while (0)
