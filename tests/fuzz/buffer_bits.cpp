// The bit stream: any bytes read field by field in an order the input
// chooses (bit fields of every width, bytes, words, strings), then fields
// written by the input read back as written.
#include "framework/files/Buffer.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using Quib::Buffer;

namespace {

// Reads from a buffer holding raw input after a bit offset; nothing may
// read past the data, and a read at the end gives 0.
void ReadRaw(const uint8_t* data, size_t size)
{
    if (size < 2)
        return;
    const uint8_t* program = data;
    const size_t steps = size / 2;
    Buffer buffer;
    buffer.WriteNumBits(0x5A, program[0] % 8);
    buffer.WriteBytes(data + steps, int(size - steps));
    for (size_t i = 1; i < steps; ++i) {
        const uint8_t op = program[i];
        switch (op % 6) {
        case 0: buffer.ReadNumBits(op / 6 % 34, op >= 128); break;
        case 1: buffer.ReadByte(); break;
        case 2: buffer.ReadShort(); break;
        case 3: buffer.ReadLong(); break;
        case 4: buffer.ReadString(); break;
        case 5: {
            uint8_t bytes[64];
            buffer.ReadBytes(bytes, op % 64);
            break;
        }
        }
    }
    while (!buffer.AtEnd())
        buffer.ReadNumBits(7, true);
    if (buffer.ReadByte() != 0 || buffer.ReadNumBits(32, false) != 0)
        std::abort();
}

// Each step writes a field taken from the input; reading the fields in the
// same order gives them back.
void RoundTrip(const uint8_t* data, size_t size)
{
    struct Field {
        int kind;
        int bits;
        uint32_t value;
        std::string text;
    };
    std::vector<Field> fields;
    Buffer buffer;
    for (size_t i = 0; i + 5 <= size && fields.size() < 512; i += 5) {
        Field f{data[i] % 5, 1 + data[i] / 5 % 32, uint32_t(data[i + 1]) | uint32_t(data[i + 2]) << 8 |
                                                        uint32_t(data[i + 3]) << 16 | uint32_t(data[i + 4]) << 24,
                {}};
        switch (f.kind) {
        case 0: buffer.WriteNumBits(int32_t(f.value), f.bits); break;
        case 1: buffer.WriteByte(uint8_t(f.value)); break;
        case 2: buffer.WriteShort(int16_t(f.value)); break;
        case 3: buffer.WriteLong(int32_t(f.value)); break;
        case 4:
            f.text.assign(reinterpret_cast<const char*>(data + i), std::min<size_t>(size - i, f.value % 40));
            buffer.WriteString(f.text);
            break;
        }
        fields.push_back(std::move(f));
    }
    for (const Field& f : fields) {
        const uint32_t mask = f.bits == 32 ? ~0u : (1u << f.bits) - 1;
        bool same = true;
        switch (f.kind) {
        case 0: {
            const uint32_t plain = uint32_t(buffer.ReadNumBits(f.bits, false));
            same = plain == (f.value & mask);
            break;
        }
        case 1: same = buffer.ReadByte() == uint8_t(f.value); break;
        case 2: same = buffer.ReadShort() == int16_t(f.value); break;
        case 3: same = buffer.ReadLong() == int32_t(f.value); break;
        case 4: same = buffer.ReadString() == f.text; break;
        }
        if (!same)
            std::abort();
    }
    if (!buffer.AtEnd())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadRaw(data, size);
    RoundTrip(data, size);
    return 0;
}
