#pragma once
#include "platform/GraphicsAdapter.h"

namespace Quib {

// The adapter of the software 3-D device: the program itself draws, in the
// machine's memory. Its driver file is the running program.
class SoftwareGraphicsAdapter : public GraphicsAdapter {
public:
    // The description it gives.
    static constexpr const char* kDescription = "Software 3-D device";

    HRESULT Identify(AdapterIdentity* out) override;
    // The machine's memory.
    HRESULT GetAvailableVideoMemory(uint64_t* total, uint64_t* free) override;
    // A SoftwareDevice3D with its default capabilities.
    HRESULT CreateDevice(uint32_t width, uint32_t height, std::unique_ptr<Device3D>* out) override;
};

} // namespace Quib
