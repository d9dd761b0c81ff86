#pragma once
#include "src/game/quest/Layer/QstLayerData.h"

#include <string>

namespace Quib {

// A particle effect stacked against a picture layer (element Particles).
class QstParticlesLayerData : public QstLayerData {
public:
    explicit QstParticlesLayerData(int32_t z);

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask,
                       TPoint<float>& position, QstFieldLayer* fieldLayer) override;
    void DoAddProperties(QstPropertyPage* page, std::string& title) override;
    bool DoIsInVisibleGroup(const std::string& groupName, const std::string& mask) override;
    std::string GetResName() const override;

    std::string effectName;
    float x = 0.0f;
    float y = 0.0f;
    std::string groupName; // always empty
    float startTime = 0.0f; // seconds the effect runs ahead before it shows
};

} // namespace Quib
