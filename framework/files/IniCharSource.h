#pragma once
#include <cstddef>
#include <cstdint>

namespace Quib {

// Characters of an ini file: bytes, or 16-bit little-endian units. Concrete
// sources only supply raw bytes.
class IniCharSource {
public:
    virtual ~IniCharSource() = default;

    // Called once before reading. For 16-bit text a leading byte-order mark
    // (FF FE) is dropped; any other first two bytes are the first character.
    void Start(bool wide);
    // The next character; false at the end (a lone last byte of 16-bit text
    // is no character).
    bool Next(uint16_t& c);

protected:
    // Reads up to size bytes; 0 at the end or on an error.
    virtual size_t ReadBytes(void* buffer, size_t size) = 0;

private:
    bool NextByte(uint8_t& b);

    bool mWide = false;
    bool mHeld = false;  // a first character read while looking for the mark
    uint16_t mHeldChar = 0;
    uint8_t mBuffer[4096];
    size_t mPos = 0;
    size_t mLen = 0;
    bool mEnded = false;
};

} // namespace Quib
