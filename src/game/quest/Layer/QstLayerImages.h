#pragma once
#include <string>

namespace Quib {

class Image;

// The application's picture loader for layer content: directory + name,
// null (with the log line "Image not found") when it cannot be read.
Image* LoadQstLayerImage(const std::string& path);

// Writes the picture as "data\PoolItems\" + sourcePath + ".png" (folders
// made as needed); the written path, or "" when nothing was written.
std::string ExportQstPoolImage(Image* image, const std::string& sourcePath);

} // namespace Quib
