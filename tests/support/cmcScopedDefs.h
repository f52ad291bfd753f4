// A main definition store over lines held in memory, installed for the lifetime of the object.
#pragma once

#include "defs/cmcGTex.h"

#include <string>
#include <utility>
#include <vector>

namespace qx::test {

class ScopedDefs {
public:
    // The lines are the store's sections; the end-of-file line is added after them.
    explicit ScopedDefs(std::vector<std::string> lines) : lines_(std::move(lines)) {
        lines_.push_back("#End_Of_Ovl");
        store_.SetLineList(&lines_);
        SetGTex(&store_);
    }
    ~ScopedDefs() { SetGTex(nullptr); }
    ScopedDefs(const ScopedDefs&) = delete;
    ScopedDefs& operator=(const ScopedDefs&) = delete;

private:
    std::vector<std::string> lines_;
    cmcGTex store_;
};

}  // namespace qx::test
