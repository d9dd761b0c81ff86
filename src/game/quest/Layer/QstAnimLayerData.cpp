#include "src/game/quest/Layer/QstAnimLayerData.h"

#include "framework/files/ProcessLog.h"
#include "framework/graphics/Image.h"
#include "src/game/quest/Layer/QstLayerImages.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/QstXmlElement.h"

#include <algorithm>

namespace Quib {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

QstAnimLayerData::QstAnimLayerData(int32_t zOrder) : QstLayerData(zOrder) {}

QstAnimLayerData::~QstAnimLayerData()
{
    Release();
    for (QstAnimFrame& frame : frames) {
        delete frame.image;
        frame.image = nullptr;
    }
}

bool QstAnimLayerData::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string&,
                                     TPoint<float>& position, QstFieldLayer* fieldLayer)
{
    ReadCommonAttributes(element);
    if (!element.GetAttr("anim_mask", animMask))
        return false;
    if (animMask.empty())
        return element.ReportError("Mask can't by empty");
    std::string ruleName = animMask;
    if (!ruleName.empty() && ruleName.back() == '/')
        ruleName.pop_back();
    ApplyNamingRules(ruleName);
    directory = context.directory;
    name = animMask;

    frames.clear();
    bool first = true;
    for (PsdLayerInfo& info : context.layers) {
        if (!StartsWith(info.name, animMask))
            continue;
        if (first) {
            z = info.baseZ + int32_t(info.users.size());
            info.users.push_back(fieldLayer);
            position = TPoint<float>(info.x, info.y);
            first = false;
        }
        info.used = true;
        QstAnimFrame frame;
        frame.name = info.name;
        frame.x = info.x;
        frame.y = info.y;
        frames.push_back(frame);
        position.x = std::min(position.x, info.x);
        position.y = std::min(position.y, info.y);
    }
    if (frames.empty()) {
        QUIB_LOG_ERROR("No one layer match mask: \"%s\"", animMask.c_str());
        return false;
    }
    for (QstAnimFrame& frame : frames) {
        frame.x -= position.x;
        frame.y -= position.y;
    }
    loop = element.GetAttrBool("loop", false);
    pingPong = element.GetAttrBool("ping_pong", false);
    frameTime = element.GetAttrFloat("anim_frame_time", 0.05f);
    return true;
}

void QstAnimLayerData::DoLoad()
{
    if (frames.empty())
        return;
    float left = 0, top = 0, right = 0, bottom = 0;
    bool firstFrame = true;
    for (QstAnimFrame& frame : frames) {
        delete frame.image;
        frame.image = LoadQstLayerImage(directory + frame.name);
        const float w = frame.image ? float(frame.image->width) : 0.0f;
        const float h = frame.image ? float(frame.image->height) : 0.0f;
        if (firstFrame) {
            left = frame.x;
            top = frame.y;
            right = frame.x + w;
            bottom = frame.y + h;
            firstFrame = false;
        } else {
            left = std::min(left, frame.x);
            top = std::min(top, frame.y);
            right = std::max(right, frame.x + w);
            bottom = std::max(bottom, frame.y + h);
        }
    }
    width = right - left;
    height = bottom - top;
}

void QstAnimLayerData::DoUnload()
{
    for (QstAnimFrame& frame : frames) {
        delete frame.image;
        frame.image = nullptr;
    }
}

bool QstAnimLayerData::DoIsInVisibleGroup(const std::string& groupName, const std::string& mask)
{
    if (frames.empty())
        return false;
    int matching = 0;
    for (const QstAnimFrame& frame : frames) {
        if (StartsWith(frame.name, mask))
            ++matching;
    }
    if (matching == int(frames.size()))
        return true;
    if (matching != 0)
        QUIB_LOG_ERROR("DoIsInVisibleGroup(theGroupName=\"%s\", theMask=\"%s\") match %d/%d layers for Anim layer "
                       "(\"%s\")",
                       groupName.c_str(), mask.c_str(), matching, int(frames.size()), frames.front().name.c_str());
    return false;
}

std::string QstAnimLayerData::GetResName() const
{
    return animMask;
}

std::string QstAnimLayerData::ExportPoolImage(int& outWidth, int& outHeight)
{
    if (frames.empty())
        return std::string();
    Load();
    Image* image = frames.front().image;
    if (!image)
        return std::string();
    const std::string path = ExportQstPoolImage(image, directory + frames.front().name);
    if (!path.empty()) {
        outWidth = image->width;
        outHeight = image->height;
    }
    return path;
}

} // namespace Quib
