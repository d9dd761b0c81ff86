#pragma once
#include "src/game/quest/Layer/QstLayerData.h"

namespace Quib {

class Image;

// An image cut from the scene's layered picture (elements Image and
// SeaBack): directory + name is the picture file.
class QstImageLayerData : public QstLayerData {
public:
    explicit QstImageLayerData(int32_t z);
    ~QstImageLayerData() override;

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask,
                       TPoint<float>& position, QstFieldLayer* fieldLayer) override;
    void DoAddProperties(QstPropertyPage* page, std::string& title) override;
    void DoLoad() override;
    void DoUnload() override;
    bool DoIsInVisibleGroup(const std::string& groupName, const std::string& mask) override;
    std::string GetResName() const override;
    std::string ExportPoolImage(int& width, int& height) override;

    // Image steps shared with the text kind: folder, common attributes, the
    // required "image" picture layer, z against its users, position.
    bool ReadImageAttributes(QstXmlElement& element, SLoadLayerDataCont& context, TPoint<float>& position,
                             QstFieldLayer* fieldLayer);

    Image* image = nullptr; // owned; null until loaded or when missing
};

} // namespace Quib
