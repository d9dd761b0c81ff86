#include "framework/files/Buffer.h"

#include <gtest/gtest.h>

#include <random>

namespace Quib {
namespace {

std::vector<uint8_t> Bytes(const Buffer& b)
{
    const uint8_t* p = b.GetDataPtr();
    return p ? std::vector<uint8_t>(p, p + b.GetByteSize()) : std::vector<uint8_t>();
}

TEST(Buffer, BitsThenUnalignedByte)
{
    Buffer b;
    b.WriteNumBits(5, 3);
    b.WriteByte(255);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0xFD, 0x07}));
    EXPECT_EQ(b.GetByteSize(), 2);
    EXPECT_EQ(b.ReadNumBits(3, false), 5);
    EXPECT_FALSE(b.AtEnd());
    EXPECT_EQ(b.ReadByte(), 255);
    EXPECT_TRUE(b.AtEnd());
}

TEST(Buffer, SignExtendedField)
{
    Buffer b;
    b.WriteNumBits(0b101, 3);
    EXPECT_EQ(b.ReadNumBits(3, true), -3);
    Buffer full;
    full.WriteNumBits(-2, 32);
    EXPECT_EQ(full.ReadNumBits(32, true), -2);
    Buffer positive;
    positive.WriteNumBits(0b011, 3);
    EXPECT_EQ(positive.ReadNumBits(3, true), 3);
}

TEST(Buffer, MultiByteValuesAreLittleEndian)
{
    Buffer b;
    b.WriteShort(0x1234);
    b.WriteLong(0x0A0B0C0D);
    b.WriteBoolean(true);
    b.WriteBoolean(false);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0x34, 0x12, 0x0D, 0x0C, 0x0B, 0x0A, 1, 0}));
    EXPECT_EQ(b.ReadShort(), 0x1234);
    EXPECT_EQ(b.ReadLong(), 0x0A0B0C0D);
    EXPECT_TRUE(b.ReadBoolean());
    EXPECT_FALSE(b.ReadBoolean());
}

TEST(Buffer, ReadsAtTheEndOfTheData)
{
    Buffer b;
    b.WriteNumBits(0xA, 4); // one data byte
    EXPECT_EQ(b.ReadByte(), 0x0A); // the 4 bits and the zero bits above them
    EXPECT_EQ(b.ReadByte(), 0);    // nothing left: no move

    Buffer c;
    c.WriteNumBits(0xA, 4);
    EXPECT_EQ(c.ReadNumBits(4, false), 0xA);
    EXPECT_EQ(c.ReadByte(), 0); // an unaligned read needs a second data byte
    EXPECT_EQ(c.ReadNumBits(8, false), 0); // stops at the end of the data, after 4 bits
    EXPECT_TRUE(c.AtEnd());
    EXPECT_EQ(c.ReadNumBits(8, false), 0);
    EXPECT_EQ(c.ReadLong(), 0);
}

TEST(Buffer, Strings)
{
    Buffer b;
    b.WriteString("");
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(b.ReadString(), "");

    // 32768 bytes and more keep their length (it is unsigned) and what follows.
    for (size_t size : {size_t(5), size_t(32767), size_t(32768), size_t(65535)}) {
        Buffer s;
        std::string text(size, 'q');
        text[0] = 'a';
        s.WriteNumBits(1, 1); // unaligned
        s.WriteString(text);
        s.WriteLong(77);
        EXPECT_EQ(s.ReadNumBits(1, false), 1);
        EXPECT_EQ(s.ReadString(), text) << size;
        EXPECT_EQ(s.ReadLong(), 77) << size;
    }
    // Longer strings keep their first 65535 bytes and the stream stays whole.
    Buffer cut;
    cut.WriteString(std::string(70000, 'x'));
    cut.WriteByte(9);
    EXPECT_EQ(cut.ReadString(), std::string(65535, 'x'));
    EXPECT_EQ(cut.ReadByte(), 9);

    // A length promising more than there is gives zero bytes, not a crash.
    Buffer hostile;
    hostile.WriteShort(-1);
    hostile.WriteByte('z');
    std::string got = hostile.ReadString();
    EXPECT_EQ(got.size(), 65535u);
    EXPECT_EQ(got[0], 'z');
    EXPECT_EQ(got[1], '\0');
}

TEST(Buffer, ClearEmptiesEverything)
{
    Buffer b;
    EXPECT_EQ(b.GetDataPtr(), nullptr);
    b.WriteLong(1);
    b.ReadByte();
    b.Clear();
    EXPECT_EQ(b.GetDataPtr(), nullptr);
    EXPECT_EQ(b.GetByteSize(), 0);
    EXPECT_TRUE(b.AtEnd());
    b.WriteByte(3);
    EXPECT_EQ(Bytes(b), std::vector<uint8_t>{3});
    EXPECT_EQ(b.ReadByte(), 3);
}

// Fields of random widths come back in order, and the bytes hold the bits
// least significant first.
TEST(Buffer, RandomFieldsRoundTrip)
{
    std::mt19937 rng(7);
    Buffer b;
    std::vector<std::pair<int, uint32_t>> fields;
    std::vector<bool> bits;
    for (int i = 0; i < 2000; ++i) {
        int count = int(rng() % 32) + 1;
        uint32_t value = rng() & (count == 32 ? ~0u : (1u << count) - 1);
        if (rng() % 4 == 0) {
            count = 8;
            value &= 0xFF;
            b.WriteByte(uint8_t(value));
        } else {
            b.WriteNumBits(int32_t(value), count);
        }
        fields.emplace_back(count, value);
        for (int k = 0; k < count; ++k)
            bits.push_back((value >> k) & 1);
    }
    ASSERT_EQ(size_t(b.GetByteSize()), (bits.size() + 7) / 8);
    for (size_t n = 0; n < bits.size(); ++n)
        ASSERT_EQ(bool((b.GetDataPtr()[n / 8] >> (n % 8)) & 1), bits[n]) << n;
    for (auto [count, value] : fields)
        ASSERT_EQ(uint32_t(b.ReadNumBits(count, false)), value);
    EXPECT_TRUE(b.AtEnd());
}

TEST(Buffer, AssignTakesAnExactBitLength)
{
    const uint8_t bytes[] = {0xFF, 0xFF, 0xAB};
    Buffer b;
    b.Assign(bytes, 3, 13);
    EXPECT_EQ(b.GetBitLength(), 13);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0xFF, 0x1F})); // the bits above the length are cleared
    EXPECT_EQ(b.ReadNumBits(13, false), 0x1FFF);
    EXPECT_TRUE(b.AtEnd());
    b.WriteNumBits(1, 3); // writing goes on at the end
    EXPECT_EQ(b.GetBitLength(), 16);
    EXPECT_EQ(Bytes(b), (std::vector<uint8_t>{0xFF, 0x3F}));

    b.Assign(bytes, 3, 1000); // no more bits than the bytes hold
    EXPECT_EQ(b.GetBitLength(), 24);
    b.Assign(nullptr, 0, 8);
    EXPECT_EQ(b.GetBitLength(), 0);
    EXPECT_EQ(b.GetDataPtr(), nullptr);
}

TEST(Buffer, ReadPositionMovesWithinTheStream)
{
    Buffer b;
    b.WriteNumBits(0b1011, 4);
    b.SetReadPosition(2);
    EXPECT_EQ(b.GetReadPosition(), 2);
    EXPECT_EQ(b.ReadNumBits(2, false), 0b10);
    b.SetReadPosition(99);
    EXPECT_EQ(b.GetReadPosition(), 4);
    EXPECT_TRUE(b.AtEnd());
    b.SetReadPosition(-3);
    EXPECT_EQ(b.GetReadPosition(), 0);
}

} // namespace
} // namespace Quib
