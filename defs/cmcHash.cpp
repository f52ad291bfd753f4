#include "common/cmcMessage.h"
#include "defs/cmcGTex.h"

#include <cstdint>

namespace qx {

namespace {
constexpr int kDefaultBuckets = 1031;
}

cmcHash::cmcHash(int buckets) : buckets_(static_cast<size_t>(buckets > 0 ? buckets : kDefaultBuckets), nullptr) {}

cmcHash::~cmcHash() {
    for (Entry* e : buckets_) {
        while (e) {
            Entry* next = e->next;
            delete e;
            e = next;
        }
    }
}

int cmcHash::BucketOf(const std::string& key) const {
    // Characters count as signed bytes; the sum wraps in 32 bits. The step added per character halves
    // whenever the next character is odd, and starts again from half the bucket count when it runs out.
    const int32_t n = static_cast<int32_t>(buckets_.size());
    int32_t s = n / 2;
    uint32_t h = 0;
    for (size_t i = 0; i < key.size(); ++i) {
        int32_t c = static_cast<int8_t>(key[i]);
        h = 2u * h + static_cast<uint32_t>(s) + static_cast<uint32_t>(c);
        if (i + 1 < key.size() && (static_cast<unsigned char>(key[i + 1]) & 1u)) {
            s /= 2;
            if (s == 0) s = n / 2;
        }
    }
    return static_cast<int>(h % static_cast<uint32_t>(n));
}

void cmcHash::Insert(const std::string& key, int value) {
    if (Find(key)) cmcFatal("Overlapped Hash table.", kExitDefinitionFault);
    Entry*& head = buckets_[static_cast<size_t>(BucketOf(key))];
    head = new Entry{key, value, head};
}

const cmcHash::Entry* cmcHash::Find(const std::string& key) const {
    for (const Entry* e = buckets_[static_cast<size_t>(BucketOf(key))]; e; e = e->next)
        if (e->key == key) return e;
    return nullptr;
}

}  // namespace qx
