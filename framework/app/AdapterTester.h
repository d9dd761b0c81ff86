#pragma once
#include "framework/app/D3DTester.h"
#include "framework/app/DisplayTester.h"

namespace Quib {

// The display's capability test: D3DTester on the presenter's graphics
// adapter (the software adapter where the presenter has none), with a test
// surface in the screen's pixel format.
class AdapterTester : public DisplayTester {
public:
    void RunWithCache(DDInterface& display, Window* window) override;

    // Its settings (the cache) and demo hooks are the application's to
    // give; without settings nothing is cached.
    D3DTester test;
};

} // namespace Quib
