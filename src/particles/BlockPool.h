#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Quib {

// A fixed number of equal records in one allocation, with a bit per slot
// marking it used.
class BlockPool {
public:
    // count records of recordSize bytes each, aligned for any type.
    BlockPool(size_t recordSize, size_t count);
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    bool IsFull() const { return mUsed == mCount; }
    bool IsEmpty() const { return mUsed == 0; }
    size_t Used() const { return mUsed; }
    size_t Capacity() const { return mCount; }

    // A free record, or null when full. The search starts at the slot whose
    // index is the used count and goes up to the end, then down from there.
    void* Take();
    // True when the address lies in this pool's storage.
    bool Holds(const void* record) const;
    // Frees the slot that holds the address; false (nothing changes) when
    // the address is not in the storage or its slot is already free.
    bool Release(const void* record);

private:
    bool IsUsed(size_t i) const { return (mBits[i / 64] >> (i % 64)) & 1; }
    void Mark(size_t i, bool used);

    size_t mRecordSize;
    size_t mCount;
    std::unique_ptr<std::max_align_t[]> mStorage;
    std::vector<uint64_t> mBits;
    size_t mUsed = 0;
};

} // namespace Quib
