#pragma once
// The wide span kernels of the textured triangle fillers: spans into 32-bit
// pixels, several pixels per step. A kernel draws the
// leading pixels of a span (all of them, or none when it declines the
// span) and returns how many it drew; the filler's own loop draws the rest.
// Every kernel gives the pixels of that loop exactly.

#include "framework/raster/TriangleFiller.h"

#include <cstdint>

namespace Quib {

// A texture as the kernels read it: width x height words, at most 2^31 - 1
// of them, so that a word's index fits a signed 32-bit lane.
struct SpanTexels {
    const uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// One span: count pixels from p, the texel coordinates (u, v) in 16.16
// stepping (du, dv) per pixel, wrapping as 32-bit sums. A nearest
// coordinate past an edge takes the edge texel.
struct NearestSpan {
    uint8_t* p = nullptr;
    int32_t count = 0;
    int32_t u = 0;
    int32_t v = 0;
    int32_t du = 0;
    int32_t dv = 0;
};

using NearestSpanKernel = int32_t (*)(const NearestSpan& span, const SpanTexels& texels, const FillerColor& colour);

// The spans of one triangle (distinct rows, the same du and dv) in one
// call, each drawn whole as its kernel draws it; false, drawing nothing,
// when the kernel declines them all (the texture or colour it cannot take).
using NearestSpansKernel = bool (*)(const NearestSpan* spans, int32_t count, const SpanTexels& texels,
                                    const FillerColor& colour);

// The kernels of the fillers that have them, by the filler's options.
struct FillerSpanKernels {
    // Opaque texels into either 32-bit layout: the texel with alpha 0xFF.
    NearestSpanKernel opaque = nullptr;
    // Into PIXEL_FORMAT_888: blended by texel alpha, modulated by the
    // drawing colour, or both.
    NearestSpanKernel blended888 = nullptr;
    NearestSpanKernel modulated888 = nullptr;
    NearestSpanKernel blendedModulated888 = nullptr;
    // Into PIXEL_FORMAT_888, bilinear (the span's coordinates as the filler
    // has them, before the half-texel move), blended by the filter's alpha.
    NearestSpanKernel bilinearBlended888 = nullptr;
    // The same, modulated by the drawing colour.
    NearestSpanKernel bilinearBlendedModulated888 = nullptr;
    // The same nearest kernels, a triangle's spans at a time.
    NearestSpansKernel opaqueSpans = nullptr;
    NearestSpansKernel blended888Spans = nullptr;
    NearestSpansKernel modulated888Spans = nullptr;
    NearestSpansKernel blendedModulated888Spans = nullptr;
};

// Fills the kernels with the AVX2 ones; leaves them as they are where the
// build has none. Call only when the processor has AVX2.
void FillAvx2FillerSpans(FillerSpanKernels& kernels);

} // namespace Quib
