#include "src/game/quest/Layer/QstParticlesLayerData.h"

#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstParticlesLayerData::QstParticlesLayerData(int32_t zOrder) : QstLayerData(zOrder) {}

bool QstParticlesLayerData::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context,
                                          const std::string&, TPoint<float>& position, QstFieldLayer* fieldLayer)
{
    ReadCommonAttributes(element);
    if (!element.GetAttr("particles_name", effectName))
        return false;
    if (!element.GetAttrFloatOpt("x", x) || !element.GetAttrFloatOpt("y", y))
        return false;
    const std::string after = element.GetAttrDefault("insert_after", "");
    const std::string before = element.GetAttrDefault("insert_before", "");
    startTime = element.GetAttrFloat("start_time", 0.0f);
    if (after.empty() && before.empty())
        return element.ReportError("\"insert_after\" and \"insert_before\" attributes not found");
    if (!after.empty() && !before.empty())
        return element.ReportError("Use only one of \"insert_after\" and \"insert_before\" attributes");

    const std::string alignLayer = element.GetAttrDefault("align_layer", "");
    if (!alignLayer.empty()) {
        const PsdLayerInfo* align = context.Find(alignLayer);
        if (!align)
            return element.ReportError("Psd layer \"" + alignLayer + "\" for particles pos not found");
        x += align->x;
        y += align->y;
    }
    const std::string& anchorName = after.empty() ? before : after;
    PsdLayerInfo* anchor = context.Find(anchorName);
    if (!anchor)
        return element.ReportError("Psd layer \"" + anchorName + "\"not found");
    const int32_t users = int32_t(anchor->users.size());
    z = after.empty() ? anchor->baseZ - users : anchor->baseZ + users;
    position = TPoint<float>(x, y);
    anchor->users.push_back(fieldLayer);
    mouseVisible = false;
    disabled = true;
    return true;
}

void QstParticlesLayerData::DoAddProperties(QstPropertyPage*, std::string&)
{
    // The particles kind lists no data properties.
}

bool QstParticlesLayerData::DoIsInVisibleGroup(const std::string& group, const std::string&)
{
    return group == groupName;
}

std::string QstParticlesLayerData::GetResName() const
{
    return effectName;
}

} // namespace Quib
