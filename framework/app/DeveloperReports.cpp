#include "framework/app/DeveloperReports.h"

#include "framework/app/DDInterface.h"
#include "framework/app/DeveloperHost.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PathUtils.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "platform/FileNames.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

namespace Quib {

std::string CommaSeparate64(uint64_t value)
{
    std::string reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0)
            reversed += ',';
        reversed += char('0' + value % 10);
        value /= 10;
        ++digits;
    } while (value != 0);
    return std::string(reversed.rbegin(), reversed.rend());
}

namespace {

const char* TextureFormatName(uint32_t format)
{
    switch (format) {
    case TEXTURE_A8R8G8B8: return "A8R8G8B8";
    case TEXTURE_A4R4G4B4: return "A4R4G4B4";
    case TEXTURE_R5G6B5: return "R5G6B5";
    case TEXTURE_PALETTE8: return "Palette8";
    default: return "";
    }
}

// The bytes each form of an image takes.
struct ImageSizes {
    MemoryImage* image = nullptr;
    uint64_t bits = 0;
    uint64_t palette = 0;
    uint64_t surface = 0;
    uint64_t texture = 0;
    uint32_t textureFormat = 0;
    uint64_t native = 0;
    uint64_t rlAlpha = 0;
    uint64_t rlAdditive = 0;
    uint64_t total = 0;
};

ImageSizes SizesOf(MemoryImage* image, DeveloperHost& host)
{
    ImageSizes s;
    s.image = image;
    const uint64_t pixels = uint64_t(std::max(image->width, 0)) * uint64_t(std::max(image->height, 0));
    if (image->bits)
        s.bits = pixels * 4;
    if (auto* dd = dynamic_cast<DDImage*>(image); dd && dd->surface)
        s.surface = pixels * 4;
    if (image->IsPaletteForm())
        s.palette = pixels + 1024;
    if (image->nativeAlpha)
        s.native = image->IsPaletteForm() ? 1024 : pixels * 4;
    if (image->rlAlpha)
        s.rlAlpha = pixels;
    if (image->rlAdditive)
        s.rlAdditive = pixels;
    const TextureUsage usage = host.GetTextureUsage(*image);
    s.texture = usage.bytes;
    s.textureFormat = usage.format;
    s.total = s.bits + s.surface + s.palette + s.native + s.rlAlpha + s.rlAdditive + s.texture;
    return s;
}

std::string EscapeHtml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A cell holding a label and a size, or "&nbsp;" when the size is 0.
std::string SizeCell(const char* label, uint64_t bytes, const char* extra = "")
{
    if (bytes == 0)
        return "<TD>&nbsp;</TD>";
    std::string cell = std::string("<TD>") + label + "<BR>" + CommaSeparate64(bytes);
    if (*extra)
        cell += std::string("<BR>") + extra;
    return cell + "</TD>";
}

std::string FlagCell(const char* label, bool set)
{
    return set ? std::string("<TD>") + label + "</TD>" : std::string("<TD>&nbsp;</TD>");
}

// The picture as a decoded image; null when it cannot be read.
std::unique_ptr<ImageLib::Image> PictureOf(const MemoryImage& image)
{
    auto picture = std::make_unique<ImageLib::Image>();
    const size_t count = size_t(image.width) * size_t(image.height);
    picture->pixels = new (std::nothrow) uint32_t[count];
    if (!picture->pixels || !image.ReadPictureInto(picture->pixels))
        return nullptr;
    picture->width = image.width;
    picture->height = image.height;
    return picture;
}

// A side x side copy taking the nearest pixel.
std::unique_ptr<ImageLib::Image> Thumbnail(const ImageLib::Image& picture, int side)
{
    auto thumb = std::make_unique<ImageLib::Image>();
    thumb->pixels = new uint32_t[size_t(side) * size_t(side)];
    thumb->width = side;
    thumb->height = side;
    for (int y = 0; y < side; ++y) {
        const int64_t sy = int64_t(y) * picture.height / side;
        for (int x = 0; x < side; ++x) {
            const int64_t sx = int64_t(x) * picture.width / side;
            thumb->pixels[y * side + x] = picture.pixels[sy * picture.width + sx];
        }
    }
    return thumb;
}

std::string JoinFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/')
        return folder + name;
    return folder + "\\" + name;
}

} // namespace

std::string VideoStatsText(QuibAppBase& app, DeveloperHost& host)
{
    const VideoMemory video = host.GetVideoMemory();
    uint64_t textureTotal = 0;
    int formatCount[4] = {};
    uint64_t formatBytes[4] = {};
    size_t imageCount = 0;
    {
        std::lock_guard lock(app.ImageSetLock());
        imageCount = app.imageSet.size();
        for (MemoryImage* image : app.imageSet) {
            const TextureUsage usage = host.GetTextureUsage(*image);
            if (usage.bytes == 0)
                continue;
            textureTotal += usage.bytes;
            for (int i = 0; i < 4; ++i)
                if (usage.format == (1u << i)) {
                    ++formatCount[i];
                    formatBytes[i] += usage.bytes;
                }
        }
    }

    const char* rating = "Unsupported";
    switch (host.Get3DRating()) {
    case Test3DRating::Recommended: rating = "Recommended"; break;
    case Test3DRating::Supported: rating = "Supported"; break;
    case Test3DRating::Unsupported: break;
    }
    const bool is3D = app.display && app.display->is3D;
    const uint64_t used = video.total > video.free ? video.total - video.free : 0;

    std::string text = StrFormat("3D-Mode is %s (3D is %s on this system)\r\n\r\n", is3D ? "ON" : "OFF", rating);
    text += StrFormat("Num Images: %d\r\n", int(imageCount));
    text += StrFormat("Num Sounds: %d\r\n", host.GetNumSounds());
    text += StrFormat("Video Memory: %s/%s KB\r\n", CommaSeparate64(used / 1024),
                      CommaSeparate64(video.total / 1024));
    text += StrFormat("Texture Memory: %s KB\r\n", CommaSeparate64(textureTotal / 1024));
    const char* names[4] = {"A8R8G8B8", "A4R4G4B4", "R5G6B5", "Palette8"};
    for (int i = 0; i < 4; ++i)
        text += StrFormat("%s: %d - %s KB\r\n", names[i], formatCount[i], CommaSeparate64(formatBytes[i] / 1024));
    return text;
}

void BuildVideoStatsText(QuibAppBase& app, DeveloperHost& host)
{
    host.ShowMessageBoxA(VideoStatsText(app, host), "Video Stats");
}

std::string BuildSystemReport(DeveloperHost& host)
{
    const uint32_t seconds = host.GetRunningTimeMs() / 1000;
    std::string report = "Product: " + host.GetProductName() + "\r\n";
    report += "Version: " + host.GetProductVersion() + "\r\n";
    report += "Time Loaded: " + StrFormat("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    report += std::string("\r\nFullscreen: ") + (host.IsWindowed() ? "No" : "Yes");
    report += "\r\nPrimary ThreadId: " + StrFormat("%X", host.GetMainThreadId()) + "\r\n";
    return report;
}

bool DumpLoadedImages(QuibAppBase& app, DeveloperHost& host)
{
    const std::string folder = JoinFolder(host.GetDataFolder(), "_dump");
    DeleteDirectoryTree(folder);
    if (!MakeDirectory(folder)) {
        // Tried once: a folder that cannot be made now will not be made by
        // waiting.
        QUIB_LOG_ERROR("Image dump: the folder %s cannot be created", folder);
        host.ShowMessageBoxA("Cannot create the folder " + folder, "Image Dump");
        return false;
    }
    const std::string pagePath = folder + "\\imagelist.html";
    FILE* page = OpenFile(pagePath, "wb");
    if (!page) {
        QUIB_LOG_ERROR("Image dump: %s cannot be written", pagePath);
        return false;
    }

    std::lock_guard lock(app.ImageSetLock());
    std::vector<ImageSizes> sizes;
    uint64_t sum = 0;
    for (MemoryImage* image : app.imageSet) {
        sizes.push_back(SizesOf(image, host));
        sum += sizes.back().total;
    }
    std::stable_sort(sizes.begin(), sizes.end(),
                     [](const ImageSizes& a, const ImageSizes& b) { return a.total > b.total; });

    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    std::string html = "<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>";
    html += local ? std::asctime(local) : "";
    html += "</B></FONT><BR>";
    html += "Total Image Allocation: " + CommaSeparate64(sum) + " bytes<BR>";
    html += "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>";

    ImageSizes totals;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const ImageSizes& s = sizes[i];
        MemoryImage* image = s.image;
        const std::string imgName = StrFormat("img%04d.png", int(i));
        const std::string thumbName = StrFormat("thumb%04d.jpg", int(i));
        html += "<TR>";
        if (image->width > 0 && image->height > 0) {
            html += "<TD><A HREF=" + imgName + "><IMG SRC=" + thumbName + " WIDTH=64 HEIGHT=64></A></TD>";
        } else {
            // Nothing to write or to scale down.
            html += "<TD>(no pixels)</TD>";
        }
        html += StrFormat("<TD ALIGN=RIGHT>%d x %d<BR>%s bytes</TD>", image->width, image->height,
                          CommaSeparate64(s.total));
        html += SizeCell("mBits", s.bits);
        html += SizeCell("Palletized", s.palette);
        html += SizeCell("DDSurface", s.surface);
        html += SizeCell("Texture", s.texture, TextureFormatName(s.textureFormat));
        html += FlagCell("Volatile", image->isVolatile);
        html += FlagCell("Forced", image->forced);
        html += FlagCell("HasAlpha", image->hasAlpha);
        html += FlagCell("HasTrans", image->hasTrans);
        html += SizeCell("NativeAlpha", s.native);
        html += SizeCell("RLAlpha", s.rlAlpha);
        html += SizeCell("RLAdditive", s.rlAdditive);
        html += image->name.empty() ? "<TD>&nbsp;</TD>" : "<TD>" + EscapeHtml(image->name) + "</TD>";
        html += "</TR>";

        totals.total += s.total;
        totals.bits += s.bits;
        totals.palette += s.palette;
        totals.surface += s.surface;
        totals.texture += s.texture;
        totals.native += s.native;
        totals.rlAlpha += s.rlAlpha;
        totals.rlAdditive += s.rlAdditive;

        if (image->width <= 0 || image->height <= 0)
            continue;
        // A picture that cannot be written keeps its row.
        if (std::unique_ptr<ImageLib::Image> picture = PictureOf(*image)) {
            if (!ImageLib::WritePng(folder + "\\" + imgName, picture.get()))
                QUIB_LOG_ERROR("Image dump: %s not written", imgName);
            const std::unique_ptr<ImageLib::Image> thumb = Thumbnail(*picture, 64);
            if (!ImageLib::WriteJpeg(folder + "\\" + thumbName, thumb.get()))
                QUIB_LOG_ERROR("Image dump: %s not written", thumbName);
        }
    }

    auto totalCell = [](uint64_t bytes) { return "<TD>" + CommaSeparate64(bytes) + "</TD>"; };
    html += "<TR><TD>Totals</TD>";
    html += totalCell(totals.total) + totalCell(totals.bits) + totalCell(totals.palette) +
            totalCell(totals.surface) + totalCell(totals.texture);
    html += "<TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD><TD>&nbsp;</TD>";
    html += totalCell(totals.native) + totalCell(totals.rlAlpha) + totalCell(totals.rlAdditive);
    html += "<TD>&nbsp;</TD></TR>";
    html += "</TABLE></CENTER></BODY></HTML>";

    const bool written = std::fwrite(html.data(), 1, html.size(), page) == html.size();
    const bool closed = std::fclose(page) == 0;
    if (!written || !closed) {
        QUIB_LOG_ERROR("Image dump: %s cannot be written", pagePath);
        return false;
    }
    return true;
}

} // namespace Quib
