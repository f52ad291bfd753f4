// The address-range record of the digital PMR signalling: the group start address G (16-bit,
// high byte first, at the start of block 26) and the address limits derived from it, which the
// signalling cells use as their input limits.
#pragma once

#include <cstdint>

namespace qx {

class datKorvAdr {
public:
    struct Limit {
        int low;
        int high;
    };
    struct Entry {
        const char* text;  // always empty
        int limit;         // always 4095
    };
    static constexpr int kAddressMax = 4095;
    static constexpr int kLimitCount = 14;
    static constexpr int kEntryCount = 32;

    // Binds the image bytes (not owned) and loads.
    explicit datKorvAdr(uint8_t* image);
    virtual ~datKorvAdr() = default;

    // Reads G, then recomputes the limits.
    void Load();
    // Writes G (held to 0..4095), then recomputes the limits.
    void Store();
    // The derived limits, in order: (0, 0), (0, 4095), (G, 4095), (4095, 4095), (0, 4095),
    // (0, G - 1), (0, G - 1), then seven times (G, 4095); and the 32 empty entries.
    virtual void Recompute();

    int group = 0;  // G, 0..4095
    Limit limits[kLimitCount] = {};
    Entry entries[kEntryCount] = {};

private:
    uint8_t* image_;
};

}  // namespace qx
