#include "framework/files/Buffer.h"

#include <algorithm>
#include <climits>

namespace Quib {

void Buffer::Clear()
{
    mData.clear();
    mDataBitSize = 0;
    mReadBitPos = 0;
    mWriteBitPos = 0;
}

void Buffer::SetReadPosition(int32_t bit)
{
    mReadBitPos = std::clamp(bit, 0, mDataBitSize);
}

void Buffer::Assign(const uint8_t* data, size_t size, int64_t bitLength)
{
    constexpr int64_t kMaxBits = int64_t(INT32_MAX) - 7; // keeps (bits + 7) / 8 in range
    bitLength = std::clamp<int64_t>(bitLength, 0, std::min<int64_t>(int64_t(size) * 8, kMaxBits));
    mData.assign(data, data + (bitLength + 7) / 8);
    if (bitLength % 8 != 0)
        mData.back() &= uint8_t((1u << (bitLength % 8)) - 1);
    mDataBitSize = int32_t(bitLength);
    mWriteBitPos = mDataBitSize;
    mReadBitPos = 0;
}

void Buffer::WriteNumBits(int32_t value, int count)
{
    count = std::clamp(count, 0, 32);
    for (int i = 0; i < count; ++i) {
        if (mWriteBitPos % 8 == 0)
            mData.push_back(0);
        if ((uint32_t(value) >> i) & 1)
            mData[mWriteBitPos / 8] |= uint8_t(1 << (mWriteBitPos % 8));
        ++mWriteBitPos;
    }
    mDataBitSize = std::max(mDataBitSize, mWriteBitPos);
}

void Buffer::WriteByte(uint8_t value)
{
    int shift = mWriteBitPos % 8;
    if (shift == 0) {
        mData.push_back(value);
    } else {
        mData[mWriteBitPos / 8] |= uint8_t(value << shift);
        mData.push_back(uint8_t(value >> (8 - shift)));
    }
    mWriteBitPos += 8;
    mDataBitSize = std::max(mDataBitSize, mWriteBitPos);
}

void Buffer::WriteBytes(const uint8_t* data, int length)
{
    for (int i = 0; i < length; ++i)
        WriteByte(data[i]);
}

void Buffer::WriteShort(int16_t value)
{
    WriteByte(uint8_t(value));
    WriteByte(uint8_t(uint16_t(value) >> 8));
}

void Buffer::WriteLong(int32_t value)
{
    for (int i = 0; i < 4; ++i)
        WriteByte(uint8_t(uint32_t(value) >> (8 * i)));
}

void Buffer::WriteString(const std::string& text)
{
    // The length field has 16 bits: a longer string is cut so the stream stays readable.
    uint16_t length = uint16_t(std::min<size_t>(text.size(), 0xFFFF));
    WriteShort(int16_t(length));
    WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), length);
}

void Buffer::WriteBoolean(bool value) { WriteByte(value ? 1 : 0); }

int32_t Buffer::ReadNumBits(int count, bool signExtend)
{
    count = std::clamp(count, 0, 32);
    uint32_t result = 0;
    bool lastBit = false;
    for (int i = 0; i < count; ++i) {
        if (size_t(mReadBitPos / 8) >= mData.size())
            break;
        lastBit = (mData[mReadBitPos / 8] >> (mReadBitPos % 8)) & 1;
        if (lastBit)
            result |= 1u << i;
        ++mReadBitPos;
    }
    if (signExtend && lastBit && count < 32)
        result |= ~0u << count;
    return int32_t(result);
}

uint8_t Buffer::ReadByte()
{
    // An unaligned byte needs the following data byte too.
    if (size_t((mReadBitPos + 7) / 8) >= mData.size())
        return 0;
    int shift = mReadBitPos % 8;
    size_t k = size_t(mReadBitPos / 8);
    uint8_t result = shift == 0 ? mData[k] : uint8_t((mData[k] >> shift) | (mData[k + 1] << (8 - shift)));
    mReadBitPos += 8;
    return result;
}

int16_t Buffer::ReadShort()
{
    uint16_t low = ReadByte();
    uint16_t high = ReadByte();
    return int16_t(low | high << 8);
}

int32_t Buffer::ReadLong()
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= uint32_t(ReadByte()) << (8 * i);
    return int32_t(value);
}

void Buffer::ReadBytes(uint8_t* data, int length)
{
    for (int i = 0; i < length; ++i)
        data[i] = ReadByte();
}

std::string Buffer::ReadString()
{
    // The length is unsigned, as written.
    uint16_t length = uint16_t(ReadShort());
    std::string text(length, '\0');
    ReadBytes(reinterpret_cast<uint8_t*>(text.data()), length);
    return text;
}

bool Buffer::ReadBoolean() { return ReadByte() != 0; }

} // namespace Quib
