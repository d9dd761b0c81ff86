#pragma once
// Which family of pixel loops the processor runs: detected once, and capped
// by the environment variable QUIB_PIXEL_LOOPS (portable | sse2 | avx2) so
// that the slower families can be run and compared on a fast machine.

namespace Quib {

enum class PixelLoops { Portable, Sse2, Avx2 };

// The best family the processor has, capped by QUIB_PIXEL_LOOPS; read once.
PixelLoops ActivePixelLoops();

// "portable", "sse2" or "avx2".
const char* PixelLoopsName(PixelLoops loops);

} // namespace Quib
