// The EEPROM image: a flat array of bytes with bounds-checked access by address.
// Addresses 0x0000-0x7D7F are the radio's EEPROM area, 0x7D80-0xA650 the program's work area.
#pragma once

#include <cstdint>
#include <memory>

namespace qx {

inline constexpr int kImageSize = 42577;        // every image of this radio family
inline constexpr int kEepromAreaEnd = 0x7D7F;   // last address of the radio's EEPROM area
inline constexpr int kWorkAreaStart = 0x7D80;   // first address of the work area

class cmcEeprom {
public:
    cmcEeprom() = default;
    cmcEeprom(const cmcEeprom& other) { Assign(other); }
    cmcEeprom& operator=(const cmcEeprom& other) {
        if (this != &other) Assign(other);
        return *this;
    }

    // Reallocates when the size changes; then zero-fills whenever the new size is above 0.
    void Resize(int newSize);
    int GetSize() const { return size_; }
    bool IsValidAddress(int address) const { return address >= 0 && address < size_; }
    void Fill(uint8_t value);
    // Out-of-range addresses are fatal internal errors.
    uint8_t GetByte(int address) const;
    void SetByte(int address, uint8_t value);
    // Block copies: nothing is copied unless the whole block lies inside the image.
    void Read(int address, uint8_t* dest, int length) const;
    void Write(int address, const uint8_t* src, int length);
    void Assign(const cmcEeprom& other);
    bool Equals(const cmcEeprom& other) const;
    bool Differs(const cmcEeprom& other) const { return !Equals(other); }

    // The raw bytes, for the codecs that address the image by offset (null when empty).
    uint8_t* Data() { return data_.get(); }
    const uint8_t* Data() const { return data_.get(); }

private:
    int size_ = 0;
    std::unique_ptr<uint8_t[]> data_;
};

}  // namespace qx
