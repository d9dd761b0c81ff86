#include "tests/quest/LayerTestSupport.h"

#include "framework/files/ProcessLog.h"
#include "tests/support/TempDir.h"

namespace Quib::Testing {

MemoryImage* NewLayerPicture(int width, int height, const std::function<uint32_t(int, int)>& pixelAt)
{
    std::vector<uint32_t> px(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            px[size_t(y) * size_t(width) + size_t(x)] = pixelAt(x, y);
    auto* image = new MemoryImage(nullptr);
    image->AssignPixels(px.data(), width, height, true);
    return image;
}

MemoryImage* NewSolidPicture(int width, int height, uint32_t argb)
{
    return NewLayerPicture(width, height, [argb](int, int) { return argb; });
}

PsdLayerInfo LayerInfo(const std::string& name, int32_t baseZ, float x, float y)
{
    PsdLayerInfo info;
    info.name = name;
    info.baseZ = baseZ;
    info.x = x;
    info.y = y;
    return info;
}

LayerXml::LayerXml(const std::string& text)
{
    document.Parse(text.c_str());
    QstXmlErrorHandler handler;
    handler.object = this;
    handler.function = &LayerXml::OnError;
    cursor = std::make_unique<QstXmlElement>(document.RootElement(), handler);
}

bool LayerXml::OnError(void* self, const std::string& error, TiXmlElement*)
{
    static_cast<LayerXml*>(self)->errors.push_back(error);
    return false;
}

LayerLog::LayerLog()
{
    static TempDir* dir = new TempDir;
    ProcessLog::GetInstance()->Open(*dir / "log.html");
}

int LayerLog::Count(std::string_view text) const
{
    int n = 0;
    for (const std::string& line : sink.debugLines)
        n += line.find(text) != std::string::npos;
    return n;
}

} // namespace Quib::Testing
