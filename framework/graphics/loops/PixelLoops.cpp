#include "framework/graphics/loops/PixelLoops.h"

#include "framework/core/CpuFeatures.h"

namespace Quib {

const PixelLoopTable& ActiveLoops()
{
    static const PixelLoopTable table = [] {
        PixelLoopTable t;
        const PixelLoops family = ActivePixelLoops();
        FillPortableLoops(t);
        if (family == PixelLoops::Sse2 || family == PixelLoops::Avx2)
            FillSse2Loops(t);
        if (family == PixelLoops::Avx2)
            FillAvx2Loops(t);
        return t;
    }();
    return table;
}

} // namespace Quib
