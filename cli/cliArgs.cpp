// Reading a command's options with QCommandLineParser; see cliArgs.h.
#include "cli/cliArgs.h"

#include <QStringList>

#include <algorithm>

namespace qx::cli {

namespace {

std::string ToStd(const QString& s) { return s.toLocal8Bit().toStdString(); }

// The option name an argument spells: "--name=value" -> "name", "-x" -> "x"; "" for others.
QString OptionName(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-') return {};
    const size_t start = arg[1] == '-' ? 2 : 1;
    const size_t eq = start == 2 ? arg.find('=') : std::string::npos;
    return QString::fromLocal8Bit(arg.substr(start, eq == std::string::npos ? std::string::npos : eq - start));
}

}  // namespace

bool cliArgs::Parse(const std::vector<std::string>& args, std::initializer_list<cliOption> options) {
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser_.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    for (const cliOption& o : options) {
        const QStringList names = QString::fromLatin1(o.names).split('|');
        names_ << names;
        QCommandLineOption option(names);
        if (o.value) option.setValueName("VALUE");
        parser_.addOption(option);
    }
    QStringList list{QStringLiteral("qx-p2210-cli")};
    for (const std::string& a : args) list << QString::fromLocal8Bit(a);
    const bool ok = parser_.parse(list);
    for (const QString& p : parser_.positionalArguments()) positional_.push_back(ToStd(p));
    if (ok) return true;
    const QStringList unknown = parser_.unknownOptionNames();
    if (unknown.isEmpty()) {
        // An option that takes a value but came last.
        bad_ = args.empty() ? std::string() : args.back();
        return false;
    }
    for (const std::string& a : args) {
        if (a == "--") break;
        const QString name = OptionName(a);
        // A group of short options ("-xy") is at fault when any letter of it is unknown.
        const bool group = a.size() > 2 && a[1] != '-';
        if (name.isEmpty()) continue;
        if (unknown.contains(name) || (group && std::any_of(unknown.begin(), unknown.end(), [&](const QString& u) {
                                           return u.size() == 1 && name.contains(u);
                                       }))) {
            bad_ = a;
            return false;
        }
    }
    bad_ = ToStd(unknown.front());
    return false;
}

std::string cliArgs::Value(const char* name) const {
    return Known(name) ? ToStd(parser_.value(QString::fromLatin1(name))) : std::string();
}

std::vector<std::string> cliArgs::Values(const char* name) const {
    std::vector<std::string> out;
    if (!Known(name)) return out;
    for (const QString& v : parser_.values(QString::fromLatin1(name))) out.push_back(ToStd(v));
    return out;
}

std::string FirstBadPositional(const std::vector<std::string>& positional, size_t count) {
    for (size_t i = 0; i < positional.size(); ++i)
        if (i >= count || (!positional[i].empty() && positional[i][0] == '-')) return positional[i];
    return {};
}

}  // namespace qx::cli
