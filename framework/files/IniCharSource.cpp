#include "framework/files/IniCharSource.h"

namespace Quib {

void IniCharSource::Start(bool wide)
{
    mWide = wide;
    mHeld = false;
    if (!wide)
        return;
    uint16_t first;
    if (Next(first) && first != 0xFEFF) {
        mHeld = true;
        mHeldChar = first;
    }
}

bool IniCharSource::NextByte(uint8_t& b)
{
    if (mPos == mLen) {
        if (mEnded)
            return false;
        mPos = 0;
        mLen = ReadBytes(mBuffer, sizeof mBuffer);
        if (mLen == 0) {
            mEnded = true;
            return false;
        }
    }
    b = mBuffer[mPos++];
    return true;
}

bool IniCharSource::Next(uint16_t& c)
{
    if (mHeld) {
        mHeld = false;
        c = mHeldChar;
        return true;
    }
    uint8_t lo;
    if (!NextByte(lo))
        return false;
    if (!mWide) {
        c = lo;
        return true;
    }
    uint8_t hi;
    if (!NextByte(hi))
        return false;
    c = uint16_t(lo | (hi << 8));
    return true;
}

} // namespace Quib
