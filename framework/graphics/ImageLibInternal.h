#pragma once
// Shared by the picture readers and writers; not part of the interface.
#include "framework/files/PakInterface.h"
#include "framework/graphics/ImageLib.h"
#include "platform/FileNames.h"
#include <bit>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

static_assert(std::endian::native == std::endian::little,
              "pixel words are read and written as their bytes B, G, R, A");

namespace Quib::ImageLib::Detail {

struct PakCloser {
    void operator()(PakFile* file) const { PakFClose(file); }
};
using PakHandle = std::unique_ptr<PakFile, PakCloser>;

inline PakHandle OpenForReading(const std::string& path) { return PakHandle(PakFOpen(path)); }

// Bytes from the current position to the end; the position is kept.
int64_t BytesLeft(PakFile* file);

bool IsSaneSize(int64_t width, int64_t height);

// A picture of the given size with uninitialised pixels; null when the
// size is not sane or the memory cannot be had.
std::unique_ptr<Image> NewImage(int64_t width, int64_t height);

// Closes a file that was written; false when any write or the close failed.
bool CloseWrittenFile(FILE* file);

} // namespace Quib::ImageLib::Detail
