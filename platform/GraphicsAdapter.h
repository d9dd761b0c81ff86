#pragma once
// The graphics hardware a 3-D device runs on: who it is, how much memory it
// has, and the devices it makes. The 3-D capability test asks it; the
// display makes its device through it.

#include "platform/Device3D.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Quib {

struct AdapterIdentity {
    // Stays the same for the same adapter and driver, differs for others.
    std::array<uint8_t, 16> guid{};
    // The driver's file: a path, or a bare name looked for in the system's
    // library folder; empty when unknown.
    std::string driver;
    // What the adapter calls itself (renderer, vendor, chip).
    std::string description;
};

class GraphicsAdapter {
public:
    GraphicsAdapter() = default;
    GraphicsAdapter(const GraphicsAdapter&) = delete;
    GraphicsAdapter& operator=(const GraphicsAdapter&) = delete;
    virtual ~GraphicsAdapter() = default;

    virtual HRESULT Identify(AdapterIdentity* out) = 0;
    // Bytes of video memory in all and free; DDERR_UNSUPPORTED when the
    // adapter cannot tell.
    virtual HRESULT GetAvailableVideoMemory(uint64_t* total, uint64_t* free) = 0;
    // A new device for render targets of up to width x height pixels. On
    // failure *out is empty.
    virtual HRESULT CreateDevice(uint32_t width, uint32_t height, std::unique_ptr<Device3D>* out) = 0;
};

// Sixteen bytes that stand for a text: two 64-bit FNV-1a hashes of it with
// different starting values, low byte first.
std::array<uint8_t, 16> IdentityGuid(std::string_view text);

} // namespace Quib
