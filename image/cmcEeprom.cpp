#include "image/cmcEeprom.h"

#include "common/cmcMessage.h"

#include <cstring>

namespace qx {

void cmcEeprom::Resize(int newSize) {
    if (newSize != size_) {
        data_.reset();
        size_ = 0;
        if (newSize > 0) {
            data_ = std::make_unique<uint8_t[]>(static_cast<size_t>(newSize));
            size_ = newSize;
        }
    }
    if (size_ > 0) std::memset(data_.get(), 0, static_cast<size_t>(size_));
}

void cmcEeprom::Fill(uint8_t value) {
    if (size_ > 0) std::memset(data_.get(), value, static_cast<size_t>(size_));
}

uint8_t cmcEeprom::GetByte(int address) const {
    if (!IsValidAddress(address)) cmcFatal("Out of EEPROM image address (GetByte).", kExitInternalFault);
    return data_[static_cast<size_t>(address)];
}

void cmcEeprom::SetByte(int address, uint8_t value) {
    if (!IsValidAddress(address)) cmcFatal("Out of EEPROM image address (SetByte).", kExitInternalFault);
    data_[static_cast<size_t>(address)] = value;
}

namespace {
// A block lies inside an image of `size` bytes; computed without overflowing int.
bool BlockInside(int address, int length, int size) {
    return address >= 0 && address < size && length > 0 && length <= size - address;
}
}  // namespace

void cmcEeprom::Read(int address, uint8_t* dest, int length) const {
    if (dest == nullptr || !BlockInside(address, length, size_)) return;
    std::memmove(dest, data_.get() + address, static_cast<size_t>(length));
}

void cmcEeprom::Write(int address, const uint8_t* src, int length) {
    if (src == nullptr || !BlockInside(address, length, size_)) return;
    std::memmove(data_.get() + address, src, static_cast<size_t>(length));
}

void cmcEeprom::Assign(const cmcEeprom& other) {
    if (this == &other) return;
    Resize(other.size_);
    other.Read(0, data_.get(), size_);
}

bool cmcEeprom::Equals(const cmcEeprom& other) const {
    if (size_ != other.size_) return false;
    if (size_ == 0) return true;
    return std::memcmp(data_.get(), other.data_.get(), static_cast<size_t>(size_)) == 0;
}

}  // namespace qx
