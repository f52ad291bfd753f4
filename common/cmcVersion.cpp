#include "common/cmcVersion.h"

#include <cstdio>
#include <cstring>

#ifndef QX_VERSION
#define QX_VERSION "0.0"
#endif

namespace qx {

std::string cmcVersion() { return QX_VERSION; }

std::string cmcBuildDate() {
    // __DATE__ is "Mmm dd yyyy" (the compiler takes it from SOURCE_DATE_EPOCH when that is set,
    // so reproducible package builds get a fixed date).
    static const char* kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char* date = __DATE__;
    char month[4] = {date[0], date[1], date[2], 0};
    const char* at = std::strstr(kMonths, month);
    const int m = at ? static_cast<int>(at - kMonths) / 3 + 1 : 0;
    int day = 0, year = 0;
    std::sscanf(date + 4, "%d %d", &day, &year);
    char out[32];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d", year, m, day);
    return out;
}

}  // namespace qx
