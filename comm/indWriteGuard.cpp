#include "comm/indWriteGuard.h"

#include "defs/cmcGTex.h"
#include "image/cmcQcfWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace qx {

std::string indClonePhaseText(int phase) { return GTex().Line("GI_AppInd_ClonePhase", phase); }

std::string indWriteGuard::DefaultBackupDir() {
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : QDir::homePath().toStdString()) + "/.local/share";
    }
    return base + "/Vexa/QX-P2210/backups";
}

std::string indWriteGuard::BackupFileName(const std::string& serial, long long secondsSinceEpoch) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch);
    std::string name = when.toString(QStringLiteral("yyyy-MM-dd_HHmmss")).toStdString() + "_";
    name += serial.empty() ? std::string("unknown") : serial;
    return name + ".QCF";
}

std::string indWriteGuard::SaveBackup(const cmcEeprom& image, const std::string& dir, const std::string& serial,
                                      std::string& error) {
    error.clear();
    if (!QDir().mkpath(QString::fromStdString(dir))) {
        error = dir;
        return {};
    }
    const std::string name = BackupFileName(serial, QDateTime::currentSecsSinceEpoch());
    std::string path = dir + "/" + name;
    for (int n = 2; QFileInfo::exists(QString::fromStdString(path)); ++n)
        path = dir + "/" + name.substr(0, name.size() - 4) + "-" + std::to_string(n) + ".QCF";
    const cmcRange area[] = {{0, kEepromAreaEnd}, {1, 0}};
    cmcQcfWriter writer;
    if (!writer.Write(path, image, area)) {
        error = writer.ErrorText();
        return {};
    }
    return path;
}

std::vector<cmcRange> indWriteGuard::Union(const cmcRange* a, const cmcRange* b) {
    std::vector<cmcRange> all;
    for (const cmcRange* list : {a, b})
        for (const cmcRange* r = list; r && r->last >= r->first; ++r) all.push_back(*r);
    std::sort(all.begin(), all.end(), [](const cmcRange& x, const cmcRange& y) { return x.first < y.first; });
    std::vector<cmcRange> out;
    for (const cmcRange& r : all) {
        if (!out.empty() && r.first <= out.back().last + 1)
            out.back().last = std::max(out.back().last, r.last);
        else
            out.push_back(r);
    }
    out.push_back({1, 0});
    return out;
}

int indWriteGuard::FirstUncovered(const cmcRange* covered, const cmcRange* wanted) {
    int first = -1;
    for (const cmcRange* w = wanted; w && w->last >= w->first; ++w) {
        // Walks the wanted range forward over every covered range that holds its next address.
        int next = w->first;
        bool moved = true;
        while (next <= w->last && moved) {
            moved = false;
            for (const cmcRange* c = covered; c && c->last >= c->first; ++c)
                if (c->first <= next && next <= c->last) {
                    next = c->last + 1;
                    moved = true;
                }
        }
        if (next <= w->last && (first < 0 || next < first)) first = next;
    }
    return first;
}

std::vector<int> indWriteGuard::Differences(const cmcEeprom& sent, const cmcEeprom& readBack, const cmcRange* ranges,
                                            const uint8_t* receivedMap, int mapLength) {
    std::vector<int> out;
    const auto received = [&](int a) {
        return !receivedMap || ((a >> 3) < mapLength && ((receivedMap[a >> 3] >> (a & 7)) & 1));
    };
    for (const cmcRange* r = ranges; r && r->last >= r->first; ++r)
        for (int a = r->first; a <= r->last; ++a) {
            if (!received(a)) {
                out.push_back(a);
                continue;
            }
            const bool inBoth = sent.IsValidAddress(a) && readBack.IsValidAddress(a);
            if (!inBoth || sent.GetByte(a) != readBack.GetByte(a)) out.push_back(a);
        }
    return out;
}

std::string indWriteGuard::DescribeAddresses(const std::vector<int>& addresses) {
    std::string text;
    int runs = 0, hidden = 0;
    for (size_t i = 0; i < addresses.size();) {
        size_t j = i;
        while (j + 1 < addresses.size() && addresses[j + 1] == addresses[j] + 1) ++j;
        if (runs < kListedDifferences) {
            char run[32];
            if (j == i)
                std::snprintf(run, sizeof run, "0x%04X", addresses[i]);
            else
                std::snprintf(run, sizeof run, "0x%04X-0x%04X", addresses[i], addresses[j]);
            if (runs) text += ", ";
            text += run;
        } else {
            hidden += static_cast<int>(j - i + 1);
        }
        ++runs;
        i = j + 1;
    }
    if (hidden) text += " and " + std::to_string(hidden) + " more";
    return text;
}

}  // namespace qx
