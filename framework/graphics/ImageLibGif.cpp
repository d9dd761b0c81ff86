#include "framework/graphics/ImageLibInternal.h"
#include <cstring>

namespace Quib::ImageLib {

using namespace Detail;

namespace {

// Buffered byte reading over a pak file.
class ByteReader {
public:
    explicit ByteReader(PakFile* file) : mFile(file) {}

    // Next byte, or -1 at the end of the file.
    int Byte()
    {
        if (mPos == mEnd && !Refill())
            return -1;
        return mBuffer[mPos++];
    }

    bool Read(uint8_t* out, size_t count)
    {
        while (count > 0) {
            if (mPos == mEnd && !Refill())
                return false;
            size_t n = std::min(count, mEnd - mPos);
            std::memcpy(out, mBuffer + mPos, n);
            mPos += n;
            out += n;
            count -= n;
        }
        return true;
    }

    // Skips a list of sub-blocks up to its terminator.
    bool SkipSubBlocks()
    {
        uint8_t block[255];
        for (;;) {
            int n = Byte();
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            if (!Read(block, size_t(n)))
                return false;
        }
    }

private:
    bool Refill()
    {
        mPos = 0;
        mEnd = PakFRead(mBuffer, 1, sizeof mBuffer, mFile);
        return mEnd > 0;
    }

    PakFile* mFile;
    uint8_t mBuffer[4096];
    size_t mPos = 0;
    size_t mEnd = 0;
};

int Word(const uint8_t* p) { return p[0] | p[1] << 8; }

// Colour table of 2^(bits + 1) entries, each opaque 0xFFRRGGBB.
bool ReadColorTable(ByteReader& in, int flags, uint32_t* table, int& count)
{
    count = 2 << (flags & 7);
    uint8_t rgb[256 * 3];
    if (!in.Read(rgb, size_t(count) * 3))
        return false;
    for (int i = 0; i < count; ++i)
        table[i] = 0xFF000000u | uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return true;
}

// Least-significant-bit-first codes from the image's data sub-blocks.
class CodeReader {
public:
    explicit CodeReader(ByteReader& in) : mIn(in) {}

    bool Next(int size, int& code)
    {
        while (mBits < size) {
            if (mLeft == 0) {
                int n = mEnded ? -1 : mIn.Byte();
                if (n <= 0) {
                    mEnded = true;
                    return false;
                }
                mLeft = n;
            }
            int b = mIn.Byte();
            if (b < 0) {
                mEnded = true;
                return false;
            }
            --mLeft;
            mAcc |= uint32_t(b) << mBits;
            mBits += 8;
        }
        code = int(mAcc & ((1u << size) - 1));
        mAcc >>= size;
        mBits -= size;
        return true;
    }

private:
    ByteReader& mIn;
    uint32_t mAcc = 0;
    int mBits = 0;
    int mLeft = 0;
    bool mEnded = false;
};

// Places decoded indices row by row, in the four passes when interlaced.
class PixelPlacer {
public:
    PixelPlacer(Image& image, const uint32_t* colors, bool interlaced)
        : mImage(image), mColors(colors), mInterlaced(interlaced), mRow(image.pixels)
    {
    }

    bool Done() const { return mDone; }

    void Put(int index)
    {
        mRow[mX] = mColors[index];
        if (++mX == mImage.width)
            NextRow();
    }

private:
    void NextRow()
    {
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        mX = 0;
        if (!mInterlaced) {
            mY += 1;
        } else {
            mY += kStep[mPass];
            while (mY >= mImage.height && ++mPass < 4)
                mY = kStart[mPass];
        }
        if (mY >= mImage.height)
            mDone = true;
        else
            mRow = mImage.pixels + size_t(mY) * size_t(mImage.width);
    }

    Image& mImage;
    const uint32_t* mColors;
    bool mInterlaced;
    uint32_t* mRow;
    int mX = 0;
    int mY = 0;
    int mPass = 0;
    bool mDone = false;
};

constexpr int kTableSize = 4096;
constexpr int kMaxMinimumCodeSize = 11;

// Standard GIF LZW; stops quietly at the end code, at a bad code or when
// the data runs out, leaving the pixels not reached as they are.
void DecodeLzw(ByteReader& in, int minimumCodeSize, PixelPlacer& out)
{
    uint16_t prefix[kTableSize];
    uint16_t suffix[kTableSize];
    uint16_t stack[kTableSize + 1];
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    for (int i = 0; i < clear; ++i)
        suffix[i] = uint16_t(i);

    CodeReader codes(in);
    int size = minimumCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    int previousFirst = 0;
    int code;
    while (!out.Done() && codes.Next(size, code)) {
        if (code == clear) {
            size = minimumCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            return;
        if (previous < 0) {
            if (code > clear)
                return;
            out.Put(code);
            previous = previousFirst = code;
            continue;
        }
        if (code > next)
            return;
        int sp = 0;
        int current = code;
        if (code == next) {
            if (next >= kTableSize)
                return;
            stack[sp++] = uint16_t(previousFirst);
            current = previous;
        }
        while (current >= clear) {
            stack[sp++] = suffix[current];
            current = prefix[current];
        }
        stack[sp++] = uint16_t(current);
        int first = current;
        while (sp > 0 && !out.Done())
            out.Put(stack[--sp]);
        // A full table takes no more entries until the next clear code.
        if (next < kTableSize) {
            prefix[next] = uint16_t(previous);
            suffix[next] = uint16_t(first);
            ++next;
            if (next >= (1 << size) && size < 12)
                ++size;
        }
        previous = code;
        previousFirst = first;
    }
}

} // namespace

// The first image of a GIF87a or GIF89a file, at the image's own size.
std::unique_ptr<Image> ReadGif(const std::string& path)
{
    PakHandle file = OpenForReading(path);
    if (!file)
        return nullptr;
    ByteReader in(file.get());

    uint8_t header[13];
    if (!in.Read(header, sizeof header) ||
        (std::memcmp(header, "GIF87", 5) != 0 && std::memcmp(header, "GIF89", 5) != 0))
        return nullptr;
    uint32_t globalTable[256];
    int globalCount = 0;
    if ((header[10] & 0x80) && !ReadColorTable(in, header[10], globalTable, globalCount))
        return nullptr;

    int transparent = -1;
    for (;;) {
        int b = in.Byte();
        if (b < 0 || b == 0x3B)
            return nullptr;
        if (b == 0x2C)
            break;
        if (b != 0x21)
            continue;
        int label = in.Byte();
        if (label < 0)
            return nullptr;
        if (label != 0xF9) {
            if (!in.SkipSubBlocks())
                return nullptr;
            continue;
        }
        // Graphic control: the last sub-block holds the packed field and,
        // in its fourth byte, the transparent index.
        uint8_t block[255];
        int last = 0;
        for (;;) {
            int n = in.Byte();
            if (n < 0 || !in.Read(block, size_t(n)))
                return nullptr;
            if (n == 0)
                break;
            last = n;
        }
        if (last >= 4 && (block[0] & 1))
            transparent = block[3];
    }

    uint8_t descriptor[9];
    if (!in.Read(descriptor, sizeof descriptor))
        return nullptr;
    int width = Word(descriptor + 4);
    int height = Word(descriptor + 6);
    int flags = descriptor[8];
    if (width == 0 || height == 0)
        return nullptr;

    // Every possible code maps to a colour: entries past the table are
    // opaque black, the transparent index is transparent black.
    uint32_t colors[kTableSize];
    uint32_t localTable[256];
    const uint32_t* table = globalTable;
    int count = globalCount;
    if ((flags & 0x80)) {
        if (!ReadColorTable(in, flags, localTable, count))
            return nullptr;
        table = localTable;
    }
    for (int i = 0; i < kTableSize; ++i)
        colors[i] = i < count ? table[i] : 0xFF000000u;
    if (transparent >= 0)
        colors[transparent] = 0;

    int minimumCodeSize = in.Byte();
    if (minimumCodeSize > kMaxMinimumCodeSize)
        return nullptr;
    std::unique_ptr<Image> image = NewImage(width, height);
    if (!image)
        return nullptr;
    std::memset(image->pixels, 0, size_t(width) * size_t(height) * 4);
    if (minimumCodeSize >= 0) {
        PixelPlacer placer(*image, colors, (flags & 0x40) != 0);
        DecodeLzw(in, minimumCodeSize, placer);
    }
    return image;
}

} // namespace Quib::ImageLib
