#pragma once
#include <cstdint>
#include <string>

namespace Quib {

class DeveloperHost;
class QuibAppBase;

// Decimal with a ',' before every group of three digits.
std::string CommaSeparate64(uint64_t value);

// The video statistics (3-D mode, images, sounds, video and texture
// memory), lines ending in CR LF.
std::string VideoStatsText(QuibAppBase& app, DeveloperHost& host);
// Shows them in a box captioned "Video Stats".
void BuildVideoStatsText(QuibAppBase& app, DeveloperHost& host);

// Product, version, running time, screen mode and main thread, for the
// error boxes.
std::string BuildSystemReport(DeveloperHost& host);

// Writes every image of the application into the folder "_dump" of the
// data folder (emptied first): imagelist.html, a table of the images
// largest first with what each of their forms takes, each image as
// img%04d.png and a 64 x 64 copy as thumb%04d.jpg. An image of no pixels
// gets its row with a note and no files. False when the folder cannot be
// made (reported in a box) or the page cannot be written.
bool DumpLoadedImages(QuibAppBase& app, DeveloperHost& host);

} // namespace Quib
