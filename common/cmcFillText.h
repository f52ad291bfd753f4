#pragma once
// Texts of the definition file carry printf-like markers; the program fills them with strings it
// has already formatted, so a marker never reads a value of the wrong type.

#include <string>
#include <vector>

namespace qx {

// Puts `args` in place of the %s and %d markers of a text, in order; "%%" stands for "%". A marker
// without an argument left stays as it is.
inline std::string cmcFillText(const std::string& format, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char c = format[i + 1];
            if (c == '%' || ((c == 's' || c == 'd') && next < args.size())) {
                out += c == '%' ? std::string("%") : args[next++];
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

}  // namespace qx
