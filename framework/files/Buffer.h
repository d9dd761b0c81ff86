#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Quib {

// A growable byte vector read and written as a stream of bits, least
// significant bit first; multi-byte values are little-endian.
class Buffer {
public:
    Buffer() = default;
    virtual ~Buffer() = default;

    void Clear();
    const uint8_t* GetDataPtr() const { return mData.empty() ? nullptr : mData.data(); }
    int32_t GetByteSize() const { return (mDataBitSize + 7) / 8; }
    bool AtEnd() const { return mReadBitPos >= mDataBitSize; }
    // Bits written: the stream's length.
    int32_t GetBitLength() const { return mDataBitSize; }
    // The next bit to read; moved back or on within 0 .. bit length.
    int32_t GetReadPosition() const { return mReadBitPos; }
    void SetReadPosition(int32_t bit);
    // The stream becomes the first bitLength bits of the bytes (at most all
    // of them; the bits above are cleared); reading starts at 0, writing
    // goes on at the end. Longer data than the bit positions can address
    // is cut.
    void Assign(const uint8_t* data, size_t size, int64_t bitLength);

    // Appends the low count bits (1..32) of value, bit 0 first.
    void WriteNumBits(int32_t value, int count);
    void WriteByte(uint8_t value);
    void WriteBytes(const uint8_t* data, int length);
    void WriteShort(int16_t value);
    void WriteLong(int32_t value);
    // A 16-bit length, then the bytes; longer strings keep their first 65535.
    void WriteString(const std::string& text);
    void WriteBoolean(bool value);

    // Bits missing at the end of the data read as 0; with signExtend the
    // field is a two's-complement number.
    int32_t ReadNumBits(int count, bool signExtend);
    // 0, without moving, when the byte is not all there.
    uint8_t ReadByte();
    int16_t ReadShort();
    int32_t ReadLong();
    void ReadBytes(uint8_t* data, int length);
    std::string ReadString();
    bool ReadBoolean();

private:
    std::vector<uint8_t> mData;
    int32_t mDataBitSize = 0;
    int32_t mReadBitPos = 0;
    int32_t mWriteBitPos = 0;
};

} // namespace Quib
