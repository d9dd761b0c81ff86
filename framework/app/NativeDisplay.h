#pragma once

namespace Quib {

// The base of the display implementation.
class NativeDisplay {
public:
    NativeDisplay() = default;
    NativeDisplay(const NativeDisplay&) = delete;
    NativeDisplay& operator=(const NativeDisplay&) = delete;
    virtual ~NativeDisplay() = default;
};

} // namespace Quib
