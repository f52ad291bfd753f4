#include "defs/cmcCellRequest.h"

namespace qx {

namespace {
cmcCellHandler& DefaultHandler() {
    static cmcCellHandler handler;
    return handler;
}
}  // namespace

void cmcSetDefaultCellHandler(cmcCellHandler handler) { DefaultHandler() = std::move(handler); }

const cmcCellHandler& cmcDefaultCellHandler() { return DefaultHandler(); }

}  // namespace qx
