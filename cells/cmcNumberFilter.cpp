#include "cells/cmcNumberFilter.h"

namespace qx {

std::string CharFilter(std::string_view text, std::string_view extra) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if ((c >= '0' && c <= '9') || (c != '\0' && extra.find(c) != std::string_view::npos)) out += c;
    return out;
}

std::string NumberFilter(std::string_view text, std::string_view extra) {
    std::string out = CharFilter(text, extra);
    if (out.size() > 8) out.resize(kNumberFilterKeep);
    return out;
}

}  // namespace qx
