// Reads any bytes as the resource manifest from a pak archive that also
// holds a few small pictures and a font, checks what the manager made of
// it, then loads every group it declared and unloads them again.
#include "FuzzSupport.h"
#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/app/ResourceManager.h"
#include "framework/files/PakArchiveWriter.h"
#include "framework/graphics/DDImage.h"

#include <string>
#include <vector>

using namespace Quib;

namespace {

// A PNG of 4 x 4 grey pixels and one of 2 x 2 (an alpha grid of 2 x 2
// cels), made once.
std::string GreyPng(int side)
{
    // Stored (uncompressed) deflate blocks keep this free of a compressor.
    std::string raw;
    for (int y = 0; y < side; ++y) {
        raw += '\0';
        for (int x = 0; x < side; ++x)
            raw += char(0x40 + 0x10 * (y * side + x));
    }
    auto be32 = [](uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    auto crc = [](const std::string& bytes) {
        uint32_t c = 0xFFFFFFFF;
        for (unsigned char b : bytes) {
            c ^= b;
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
        }
        return ~c;
    };
    auto chunk = [&](const std::string& type, const std::string& data) {
        return be32(uint32_t(data.size())) + type + data + be32(crc(type + data));
    };
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    const uint16_t len = uint16_t(raw.size());
    std::string zlib = std::string("\x78\x01\x01", 3) + char(len & 0xFF) + char(len >> 8) + char(~len & 0xFF) +
                       char((~len >> 8) & 0xFF) + raw + be32((b << 16) | a);
    std::string header = be32(uint32_t(side)) + be32(uint32_t(side)) + std::string("\x08\x00\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", zlib) + chunk("IEND", "");
}

const char kFont[] = "info face=\"F\" size=8\ncommon lineHeight=8 base=7 scaleW=4 scaleH=4 pages=1\n"
                     "page id=0 file=\"pic.png\"\nchars count=1\n"
                     "char id=65 x=0 y=0 width=4 height=4 xoffset=0 yoffset=0 xadvance=5 page=0\n";

// No system fonts here: each would reach the host's font machinery.
class FuzzManager : public ResourceManager {
public:
    using ResourceManager::ResourceManager;
    bool DoLoadFont(FontRes* res) override
    {
        if (res->sysFont)
            return RecordError("system font skipped");
        return ResourceManager::DoLoadFont(res);
    }
};

QuibAppBase& App()
{
    static QuibAppBase* app = [] {
        auto* a = new QuibAppBase();
        a->display = std::make_unique<DDInterface>(a);
        a->display->SetPixelFormat(32, 0xFF0000, 0xFF00, 0xFF);
        return a;
    }();
    return *app;
}

void Check(bool ok, const char* what)
{
    if (!ok)
        Fuzz::Fail(what);
}

void CheckRecords(const ResourceManager& manager)
{
    const ResourceManager::ResMap* maps[] = {&manager.imageMap, &manager.soundMap, &manager.fontMap};
    size_t records = 0;
    for (int kind = 0; kind < 3; ++kind)
        for (const auto& [id, res] : *maps[kind]) {
            ++records;
            Check(res && res->id == id && res->type == kind, "a record under another id or kind");
            Check(!res->path.empty(), "a record without a path");
        }
    size_t listed = 0;
    for (const auto& [group, list] : manager.groups)
        for (const ResourceManager::BaseRes* res : list) {
            ++listed;
            const ResourceManager::ResMap& map = *maps[res->type];
            auto it = map.find(res->id);
            Check(it != map.end() && it->second.get() == res, "a listed record that is not defined");
            Check(res->group == group, "a record listed in another group");
        }
    Check(listed == records, "a defined record in no group");
    for (const auto& [id, res] : manager.imageMap) {
        const auto* image = static_cast<const ResourceManager::ImageRes*>(res.get());
        Check(image->rows >= 1 && image->cols >= 1 && image->rows <= ResourceManager::kMaxCelGrid &&
                  image->cols <= ResourceManager::kMaxCelGrid,
              "a cel grid that cannot be cut");
        const ImageAnimation& anim = image->animation;
        if (anim.type == ImageAnimation::TYPE_NONE)
            continue;
        Check(anim.frameCount >= 1 && anim.frameDelay >= 1 && anim.totalTime >= 0, "an animation out of range");
        Check(anim.frameMap.empty() || anim.frameMap.size() == size_t(anim.frameCount),
              "a frame map of another length");
        Check(anim.perFrameDelays.empty() || anim.perFrameDelays.size() == size_t(anim.frameCount),
              "frame delays of another length");
        for (int32_t delay : anim.perFrameDelays)
            Check(delay >= 1, "a frame delay below 1");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string picture = GreyPng(4);
    static const std::string grid = GreyPng(2);
    Fuzz::FuzzPak pak({{"data\\properties\\resources.xml", std::string(Fuzz::Text(data, size)), {}},
                       {"pic.png", picture, {}},
                       {"grid.png", grid, {}},
                       {"font.fnt", kFont, {}}});
    QuibAppBase& app = App();
    {
        FuzzManager manager(&app);
        const bool parsed = manager.ParseManifest("data\\properties\\resources.xml");
        Check(manager.parser == nullptr, "the parser outlived the reading");
        Check(parsed != manager.HadError(), "the result does not match the error");
        Check(parsed || !manager.GetErrorText().empty(), "a failure without a text");
        CheckRecords(manager);

        std::vector<std::string> names;
        for (const auto& [group, list] : manager.groups)
            names.push_back(group);
        for (const std::string& group : names) {
            const bool loaded = manager.LoadResources(group);
            Check(loaded || !manager.GetErrorText().empty(), "a failed group without a text");
            for (const auto& [id, res] : manager.imageMap) {
                const auto* image = static_cast<const ResourceManager::ImageRes*>(res.get());
                if (DDImage* picture = image->image.GetRecordImage())
                    Check(picture->rows == image->rows && picture->cols == image->cols, "a cel grid not passed on");
            }
        }
        manager.DeleteResources("");
    }
    app.PurgeReleasedSharedImages();
    Check(app.sharedImages.Size() == 0, "a shared picture outlived its users");
    return 0;
}
