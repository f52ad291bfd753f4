#include "image/datKorvAdr.h"

#include "image/cmcImageMap.h"

namespace qx {

datKorvAdr::datKorvAdr(uint8_t* image) : image_(image) { Load(); }

void datKorvAdr::Load() {
    if (image_ != nullptr) group = (image_[map::kKorvAddress] << 8) | image_[map::kKorvAddress + 1];
    Recompute();
}

void datKorvAdr::Store() {
    if (group < 0) group = 0;
    if (group > kAddressMax) group = kAddressMax;
    if (image_ != nullptr) {
        image_[map::kKorvAddress] = uint8_t(group >> 8);
        image_[map::kKorvAddress + 1] = uint8_t(group);
    }
    Recompute();
}

void datKorvAdr::Recompute() {
    const int g = group;
    const Limit fixed[7] = {{0, 0}, {0, kAddressMax}, {g, kAddressMax}, {kAddressMax, kAddressMax},
                            {0, kAddressMax}, {0, g - 1}, {0, g - 1}};
    for (int i = 0; i < 7; ++i) limits[i] = fixed[i];
    for (int i = 7; i < kLimitCount; ++i) limits[i] = {g, kAddressMax};
    for (auto& e : entries) e = {"", kAddressMax};
}

}  // namespace qx
