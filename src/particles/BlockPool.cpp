#include "src/particles/BlockPool.h"

#include <bit>

namespace Quib {

BlockPool::BlockPool(size_t recordSize, size_t count)
    : mRecordSize((recordSize + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
                  alignof(std::max_align_t)),
      mCount(count),
      mStorage(
          new std::max_align_t[(mRecordSize * count + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t)]),
      mBits((count + 63) / 64, 0)
{
}

void BlockPool::Mark(size_t i, bool used)
{
    if (used)
        mBits[i / 64] |= uint64_t(1) << (i % 64);
    else
        mBits[i / 64] &= ~(uint64_t(1) << (i % 64));
}

void* BlockPool::Take()
{
    if (IsFull())
        return nullptr;
    size_t slot = mCount;
    // Upward from the used count, a word at a time.
    for (size_t i = mUsed; i < mCount;) {
        const uint64_t freeBits = ~mBits[i / 64] >> (i % 64);
        if (freeBits) {
            const size_t found = i + size_t(std::countr_zero(freeBits));
            if (found < mCount)
                slot = found;
            break;
        }
        i = (i / 64 + 1) * 64;
    }
    // Then downward from the used count - 1.
    for (size_t i = mUsed; slot == mCount && i-- > 0;)
        if (!IsUsed(i))
            slot = i;
    if (slot == mCount)
        return nullptr;
    Mark(slot, true);
    ++mUsed;
    return reinterpret_cast<std::byte*>(mStorage.get()) + slot * mRecordSize;
}

bool BlockPool::Holds(const void* record) const
{
    const auto* p = static_cast<const std::byte*>(record);
    const auto* base = reinterpret_cast<const std::byte*>(mStorage.get());
    return p >= base && p < base + mCount * mRecordSize;
}

bool BlockPool::Release(const void* record)
{
    if (!Holds(record))
        return false;
    const size_t offset = size_t(static_cast<const std::byte*>(record) -
                                 reinterpret_cast<const std::byte*>(mStorage.get()));
    const size_t slot = offset / mRecordSize;
    if (!IsUsed(slot))
        return false;
    Mark(slot, false);
    --mUsed;
    return true;
}

} // namespace Quib
