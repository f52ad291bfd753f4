#include "comm/cmcRecent.h"

#include <algorithm>

namespace qx {

namespace {

std::string WithoutTrailingSeparators(std::string dir) {
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    return dir;
}

}  // namespace

cmcRecent::cmcRecent(int capacity) : capacity_(capacity < 0 ? 0 : capacity) {}

void cmcRecent::Remove(const std::string& path) {
    entries_.erase(std::remove(entries_.begin(), entries_.end(), path), entries_.end());
}

void cmcRecent::Trim() {
    if (Count() > capacity_) entries_.resize(static_cast<size_t>(capacity_));
}

void cmcRecent::AddToFront(const std::string& path) {
    if (path.empty()) return;
    Remove(path);
    entries_.insert(entries_.begin(), path);
    Trim();
}

void cmcRecent::Append(const std::string& path) {
    if (path.empty()) return;
    Remove(path);
    entries_.push_back(path);
    Trim();
}

std::string cmcRecent::Entry(int index) const {
    if (index < 0 || index >= Count()) return {};
    return entries_[static_cast<size_t>(index)];
}

std::string cmcRecent::EntryText(int index, const std::string& directory) const {
    if (index < 0 || index >= Count()) return {};
    const std::string& path = entries_[static_cast<size_t>(index)];
    size_t slash = path.rfind('/');
    std::string entryDir = slash == std::string::npos ? std::string() : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (WithoutTrailingSeparators(entryDir) == WithoutTrailingSeparators(directory)) return name;
    return path;
}

}  // namespace qx
