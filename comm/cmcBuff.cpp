#include "comm/cmcBuff.h"

#include "common/cmcMessage.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace qx {
namespace {

// Once the consumed front of a buffer is this large, taking bytes moves the content down.
constexpr int64_t kCompactAfter = 4096;

[[noreturn]] void OutOfBuffer() { cmcFatal("Out of cmcBuff element !", kExitInternalFault); }

}  // namespace

cmcBuff::cmcBuff() { Clear(); }

cmcBuff::~cmcBuff() = default;

cmcBuff::cmcBuff(const cmcBuff& other) : cmcBuff() { Assign(other); }

cmcBuff& cmcBuff::operator=(const cmcBuff& other) {
    if (this != &other) Assign(other);
    return *this;
}

cmcBuff::cmcBuff(cmcBuff&& other) noexcept
    : storage_(std::move(other.storage_)),
      head_(other.head_),
      length_(other.length_),
      capacity_(other.capacity_),
      fill_(other.fill_) {
    // Leave the source a valid empty buffer without allocating (noexcept).
    other.head_ = nullptr;
    other.length_ = 0;
    other.capacity_ = 0;
}

cmcBuff& cmcBuff::operator=(cmcBuff&& other) noexcept {
    if (this != &other) {
        storage_ = std::move(other.storage_);
        head_ = other.head_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        fill_ = other.fill_;
        other.head_ = nullptr;
        other.length_ = 0;
        other.capacity_ = 0;
    }
    return *this;
}

void cmcBuff::Reallocate(int32_t capacity) {
    capacity = std::max<int32_t>(capacity, 1);
    std::unique_ptr<uint8_t[]> fresh(new uint8_t[static_cast<size_t>(capacity)]);
    int32_t keep = std::min(length_, capacity);
    if (keep > 0) std::memcpy(fresh.get(), head_, static_cast<size_t>(keep));
    std::memset(fresh.get() + keep, fill_, static_cast<size_t>(capacity - keep));
    storage_ = std::move(fresh);
    head_ = storage_.get();
    capacity_ = capacity;
    length_ = keep;
}

void cmcBuff::Resize(int32_t n) {
    n = std::max<int32_t>(n, 0);
    if (capacity_ < n) {
        int64_t want = static_cast<int64_t>(n) + length_ / 4;
        Reallocate(static_cast<int32_t>(std::min<int64_t>(want, std::numeric_limits<int32_t>::max())));
    } else if (n > length_) {
        // Bytes past the length may still hold an earlier, longer content: growing must not
        // bring it back.
        std::memset(head_ + length_, fill_, static_cast<size_t>(n - length_));
    }
    length_ = n;
}

void cmcBuff::Assign(const cmcBuff& other) {
    if (this == &other) return;
    Assign(other.head_, other.length_);
}

void cmcBuff::Assign(const void* bytes, int32_t count) {
    count = std::max<int32_t>(count, 0);
    if (count == 0 || bytes == nullptr) {
        length_ = 0;
        return;
    }
    // The source may be part of this buffer's own storage, which resizing can free.
    std::vector<uint8_t> copy(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + count);
    length_ = 0;
    Resize(count);
    std::memcpy(head_, copy.data(), copy.size());
}

void cmcBuff::Append(const cmcBuff& other) { Append(other.head_, other.length_); }

void cmcBuff::Append(const void* bytes, int32_t count) {
    if (count <= 0 || bytes == nullptr) return;
    const uint8_t* src = static_cast<const uint8_t*>(bytes);
    int32_t old = length_;
    if (storage_ && src >= storage_.get() && src < storage_.get() + HeadOffset() + capacity_) {
        std::vector<uint8_t> copy(src, src + count);
        Resize(old + count);
        std::memcpy(head_ + old, copy.data(), copy.size());
        return;
    }
    Resize(old + count);
    std::memcpy(head_ + old, src, static_cast<size_t>(count));
}

void cmcBuff::Append(uint8_t byte) {
    int32_t old = length_;
    Resize(old + 1);
    head_[old] = byte;
}

void cmcBuff::AppendFill(uint8_t value, int32_t count) {
    if (count <= 0) return;
    int32_t old = length_;
    Resize(old + count);
    std::memset(head_ + old, value, static_cast<size_t>(count));
}

uint8_t* cmcBuff::At(int32_t index) {
    if (index < 0 || index >= length_) OutOfBuffer();
    return head_ + index;
}

const uint8_t* cmcBuff::At(int32_t index) const {
    if (index < 0 || index >= length_) OutOfBuffer();
    return head_ + index;
}

int cmcBuff::TakeFront() {
    if (length_ <= 0) return -1;
    int value = *head_;
    Drop(1);
    return value;
}

void cmcBuff::Drop(int32_t count) {
    count = std::clamp<int32_t>(count, 0, length_);
    if (count == 0) return;
    head_ += count;
    length_ -= count;
    capacity_ -= count;
    if (HeadOffset() > kCompactAfter) Compact();
}

void cmcBuff::Compact() {
    if (!storage_) {
        Clear();
        return;
    }
    Reallocate(length_);
}

void cmcBuff::Clear() {
    storage_.reset(new uint8_t[1]);
    storage_[0] = 0;
    head_ = storage_.get();
    length_ = 0;
    capacity_ = 1;
    fill_ = 0;
}

}  // namespace qx
