// A growable byte buffer with cheap removal from the front: the transmit buffer of the serial
// port and the receive buffer of the clone driver.
#pragma once

#include <cstdint>
#include <memory>

namespace qx {

class cmcBuff {
public:
    cmcBuff();
    ~cmcBuff();
    cmcBuff(const cmcBuff& other);
    cmcBuff& operator=(const cmcBuff& other);
    cmcBuff(cmcBuff&& other) noexcept;
    cmcBuff& operator=(cmcBuff&& other) noexcept;

    int32_t Length() const { return length_; }
    int32_t Capacity() const { return capacity_; }
    uint8_t* Data() { return head_; }
    const uint8_t* Data() const { return head_; }

    // Sets the length to n (negative counts as 0). Growing beyond the capacity reallocates
    // n + length/4 bytes; every byte that growing adds holds the fill byte (0). Shrinking keeps
    // the storage.
    void Resize(int32_t n);

    // The content becomes a copy of the given bytes (which may lie inside this buffer).
    void Assign(const cmcBuff& other);
    void Assign(const void* bytes, int32_t count);

    // Appends at the end; the source may lie inside this buffer.
    void Append(const cmcBuff& other);
    void Append(const void* bytes, int32_t count);
    void Append(uint8_t byte);
    void AppendFill(uint8_t value, int32_t count);

    // The byte at index; an index outside 0..length-1 is an internal fault that ends the program.
    uint8_t* At(int32_t index);
    const uint8_t* At(int32_t index) const;

    // Removes and returns the first byte (0-255), or -1 when the buffer is empty.
    int TakeFront();
    // Removes up to count bytes from the front.
    void Drop(int32_t count);

    // Reallocates exactly the content (at least one byte), head at the start of the storage.
    void Compact();
    // Releases the content: length 0, capacity 1.
    void Clear();

private:
    void Reallocate(int32_t capacity);
    int64_t HeadOffset() const { return head_ - storage_.get(); }

    std::unique_ptr<uint8_t[]> storage_;
    uint8_t* head_ = nullptr;
    int32_t length_ = 0;
    int32_t capacity_ = 0;
    uint8_t fill_ = 0;
};

}  // namespace qx
