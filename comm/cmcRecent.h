// The list of recently used clone files, most recent first, at most `capacity` entries.
// Paths compare exactly: file names on Linux are case-sensitive, so two paths that differ only in
// letter case are two different files and both stay in the list. An empty path is never an entry
// (the settings store empty strings for the unused places of the list).
#pragma once

#include <string>
#include <vector>

namespace qx {

class cmcRecent {
public:
    explicit cmcRecent(int capacity = 10);

    // Removes every entry equal to path, inserts it first, then trims to the capacity.
    // Used when a file is opened or saved.
    void AddToFront(const std::string& path);
    // Removes every entry equal to path, appends it, then trims to the capacity. Used when loading.
    void Append(const std::string& path);
    void Clear() { entries_.clear(); }
    int Count() const { return static_cast<int>(entries_.size()); }
    int Capacity() const { return capacity_; }

    // The full path of entry index; empty when index is outside the list.
    std::string Entry(int index) const;
    // The text to show for entry index: empty when index is outside the list; only the file name
    // when the entry lies in `directory` (trailing separators ignored); otherwise the full path.
    std::string EntryText(int index, const std::string& directory) const;

    const std::vector<std::string>& Entries() const { return entries_; }

private:
    void Remove(const std::string& path);
    void Trim();

    int capacity_;
    std::vector<std::string> entries_;
};

}  // namespace qx
