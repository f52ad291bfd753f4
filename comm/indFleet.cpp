// Several radios at once; see indFleet.h.
#include "comm/indFleet.h"

#include "comm/indCloneMan.h"
#include "image/indMain.h"

namespace qx {

class indFleet::Impl {
public:
    std::vector<Radio> radios;
};

indFleet::indFleet(const std::vector<std::string>& ports) : impl_(std::make_unique<Impl>()) {
    for (const auto& p : ports) impl_->radios.push_back(Radio{.port = p});
}
indFleet::~indFleet() = default;
size_t indFleet::Count() const { return impl_->radios.size(); }
const indFleet::Radio& indFleet::At(size_t i) const { return impl_->radios.at(i); }
bool indFleet::StartWrite(const std::string&, const cmcFleetPlan&, const indFleetOptions&, std::string* why) {
    if (why) *why = "not yet";
    return false;
}
bool indFleet::StartRead(const std::string&, const indFleetOptions&, std::string* why) {
    if (why) *why = "not yet";
    return false;
}
bool indFleet::Running() const { return false; }
void indFleet::Cancel(size_t) {}
void indFleet::CancelAll() {}
int indFleet::ExitStatus() const { return 0; }

}  // namespace qx
