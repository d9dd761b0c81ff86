#pragma once
#include "framework/graphics/ImageLib.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Quib {

// An image file of the duplicate search.
struct ImageFileEntry {
    std::unique_ptr<ImageLib::Image> image; // none until needed
    uint32_t size = 0;                      // bytes
    std::string path;                       // "data\" + the relative path
};

// Records the deleted name as an alias of the kept one in the archive
// layer (both normalised), unless the kept name is itself an alias or a
// name cannot be written to data/common.ini ("[", "]", "," or "=" in it,
// or too long). True when the alias is held.
bool AddPathAlias(const std::string& kept, const std::string& deleted);

// The "-split" pass: every .png, .jpg or .gif under "data" whose pixels
// equal those of an earlier image of the same size is deleted and becomes
// an alias of it; a file is deleted only once its alias is held. Then
// data/common.ini is written, a box tells the bytes saved and the files
// deleted, and the application is set to exit.
void FindDuplicateImages();

} // namespace Quib
