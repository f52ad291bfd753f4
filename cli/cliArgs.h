// The command line of one command, read with QCommandLineParser: each command names its options,
// then asks for their values and the positional arguments. The help texts stay the commands' own
// (main() prints them for -h and --help), so no help option is registered here.
#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <string>
#include <vector>

namespace qx::cli {

struct cliOption {
    const char* names;   // "o", "port", "yes|y": every spelling, one or more letters each
    bool value = false;  // takes the argument after it (or "--name=value")
};

class cliArgs {
public:
    // Reads `args` (the arguments after the command name). Options may come before, between or
    // after the positional arguments; "--" ends the options; "-" alone is a positional argument;
    // a value may be anything, "-" and "-5" too. False on an unknown option or an option without
    // its value, and BadArgument() names the argument at fault.
    bool Parse(const std::vector<std::string>& args, std::initializer_list<cliOption> options);

    // Asking for an option the command did not name gives "absent", so that commands sharing one
    // reader ask alike.
    bool Has(const char* name) const { return Known(name) && parser_.isSet(QString::fromLatin1(name)); }
    // The last value given, or "" when the option is absent.
    std::string Value(const char* name) const;
    // Every value given, in command-line order.
    std::vector<std::string> Values(const char* name) const;
    const std::vector<std::string>& Positional() const { return positional_; }
    // After a failed Parse: the first unknown option as written, or the option that lacks its value.
    const std::string& BadArgument() const { return bad_; }

private:
    bool Known(const char* name) const { return names_.contains(QString::fromLatin1(name)); }

    QCommandLineParser parser_;
    QStringList names_;
    std::vector<std::string> positional_;
    std::string bad_;
};

// For commands whose positional arguments never start with '-': the first one past the first
// `count`, or the first that starts with '-' ("-" alone, or one after "--"); "" when there is none.
std::string FirstBadPositional(const std::vector<std::string>& positional, size_t count);

}  // namespace qx::cli
