#include "src/game/quest/Layer/QstTextLayerData.h"

#include "framework/app/QuibAppBase.h"
#include "framework/app/ResourceManager.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstTextLayerData::QstTextLayerData(int32_t zOrder) : QstImageLayerData(zOrder) {}

bool QstTextLayerData::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask,
                                     TPoint<float>& position, QstFieldLayer* fieldLayer)
{
    const char* imageName = element.GetAttrText("image", false);
    PsdLayerInfo* info = imageName ? context.Find(imageName) : nullptr;
    const bool wasUsed = info && info->used;
    if (ReadText(element, context, mask, position, fieldLayer))
        return true;
    // The caller deletes this layer: the picture layer must not keep it.
    if (info && !info->users.empty() && info->users.back() == fieldLayer) {
        info->users.pop_back();
        info->used = wasUsed;
    }
    return false;
}

bool QstTextLayerData::ReadText(QstXmlElement& element, SLoadLayerDataCont& context, const std::string&,
                                TPoint<float>& position, QstFieldLayer* fieldLayer)
{
    if (!ReadImageAttributes(element, context, position, fieldLayer))
        return false;
    std::string tag;
    if (!element.GetAttr("text_tag", tag))
        return false;
    text = Lang::Instance()("TextLayers", tag);

    const std::string fontName = element.GetAttrDefault("font", "");
    if (fontName.empty()) {
        font = FONT_TEXT;
    } else {
        font = gQuibAppBase && gQuibAppBase->resourceManager
                   ? gQuibAppBase->resourceManager->FindLoadedFont(fontName)
                   : nullptr;
        if (!font)
            return element.ReportError("Font \"" + fontName + "\" not found");
    }

    color = Color(43, 14, 0, 255);
    const char* colorText = element.GetAttrText("color", false);
    if (colorText && !ParseColor(colorText, color))
        color = Color(43, 14, 0, 255);

    const std::string align = element.GetAttrDefault("align", "-1");
    if (align == "-1" || align == "left" || align.empty())
        alignment = -1;
    else if (align == "0" || align == "center")
        alignment = 0;
    else if (align == "1" || align == "right")
        alignment = 1;
    else
        return element.ReportError("Attribute \"align\" have wrong value");
    return true;
}

void QstTextLayerData::DoAddProperties(QstPropertyPage*, std::string&)
{
    // The text kind lists no data properties.
}

std::string QstTextLayerData::ExportPoolImage(int&, int&)
{
    return std::string();
}

} // namespace Quib
