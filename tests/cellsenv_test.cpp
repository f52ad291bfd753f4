// The cell behaviours reach the program's objects only through the environment of their call
// (cmcCellEnv): no source file under cells/ calls one of the process-wide accessors. Declarations
// and definitions of an accessor, and comments, are not calls.
#include "support/cmcTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <string>
#include <vector>

namespace {

// The accessors that cells/ reaches through the call's environment instead.
const char* const kAccessors[] = {
    "Environ", "AppCommands", "indMain::Instance", "cmcDefaultCellHandler", "CellViews",
    "GTex", "HelpGTex", "EvMan", "EditorLists", "Tones",
};

QRegularExpression CallPattern() {
    QStringList names;
    for (const char* a : kAccessors) names << QRegularExpression::escape(QString::fromLatin1(a));
    // Not preceded by a name character or "::" (a member or another namespace's function of the
    // same name), followed by "()".
    return QRegularExpression(QStringLiteral("(?<![\\w:.>])(?:%1)\\s*\\(\\s*\\)").arg(names.join('|')));
}

// A declaration or definition: a type, then the name, then "();" or "() {" (or the line's end).
bool IsDeclaration(const QString& code, qsizetype at) {
    static const QRegularExpression typeBefore(QStringLiteral("^\\s*(?:const\\s+)?[\\w:<>]+\\s*[&*]?\\s*$"));
    static const QRegularExpression declAfter(QStringLiteral("^[\\w:]+\\s*\\(\\s*\\)\\s*(?:const\\s*)?(?:;|\\{|$)"));
    return typeBefore.match(code.left(at)).hasMatch() && declAfter.match(code.mid(at)).hasMatch();
}

// The calls of the accessors in a source text: "line: text" for each.
std::vector<std::string> CallsIn(const QString& source) {
    static const QRegularExpression pattern = CallPattern();
    std::vector<std::string> calls;
    const QStringList lines = source.split('\n');
    bool inComment = false;
    for (int i = 0; i < lines.size(); ++i) {
        QString code = lines[i];
        // Block comments, then line comments, are not code.
        if (inComment) {
            const qsizetype end = code.indexOf(QStringLiteral("*/"));
            if (end < 0) continue;
            code = code.mid(end + 2);
            inComment = false;
        }
        for (qsizetype open; (open = code.indexOf(QStringLiteral("/*"))) >= 0;) {
            const qsizetype end = code.indexOf(QStringLiteral("*/"), open + 2);
            if (end < 0) {
                code = code.left(open);
                inComment = true;
                break;
            }
            code.remove(open, end + 2 - open);
        }
        if (const qsizetype slash = code.indexOf(QStringLiteral("//")); slash >= 0) code.truncate(slash);
        auto it = pattern.globalMatch(code);
        while (it.hasNext()) {
            const auto m = it.next();
            if (IsDeclaration(code, m.capturedStart())) continue;
            calls.push_back(std::to_string(i + 1) + ": " + lines[i].trimmed().toStdString());
        }
    }
    return calls;
}

TEST(CellsEnv, TheCheckFindsCallsAndPassesDeclarationsAndComments) {
    const struct {
        const char* source;
        size_t calls;
    } cases[] = {
        {"    AppCommands().OpenHelp(path, 0);", 1},
        {"    if (indMain* m = indMain::Instance()) m->NoteEdit();", 1},
        {"    indEnviron& env = Environ();", 1},
        {"    return cmcDefaultCellHandler()(req);", 1},
        {"cmcAppCommands& AppCommands();", 0},
        {"cmcAppCommands& AppCommands() { return *g; }", 0},
        {"// asks AppCommands() for the help", 0},
        {"    x = 1; /* Environ() */ y = 2;", 0},
        {"/* the settings:\n   Environ()\n*/", 0},
        {"    c.Commands().ShowSheet(name);", 0},
        {"    call.env.settings->Recent;", 0},
        {"    other::Environ();", 0},
        {"    const std::string t = GTex().Line(key, 0);", 1},
        {"    EvMan().Post(EVC_RedrawLabelled);", 1},
        {"    for (auto& e : EditorLists().Table(k, 0).byIndex) {}", 1},
        {"    c.Texts().Line(key, 0);", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(CallsIn(QString::fromLatin1(c.source)).size(), c.calls) << c.source;
}

TEST(CellsEnv, NoFileUnderCellsCallsAProcessWideAccessor) {
    const QString dir = QString::fromStdString(qx::test::SourceDir()) + QStringLiteral("/cells");
    ASSERT_TRUE(QDir(dir).exists()) << dir.toStdString();
    int files = 0;
    QDirIterator it(dir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        ++files;
        for (const std::string& call : CallsIn(QString::fromUtf8(file.readAll())))
            ADD_FAILURE() << QDir(dir).relativeFilePath(path).toStdString() << ":" << call;
    }
    EXPECT_GT(files, 10);
}

}  // namespace
