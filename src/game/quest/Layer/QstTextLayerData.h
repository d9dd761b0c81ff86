#pragma once
#include "src/game/quest/Layer/QstImageLayerData.h"

#include <string>

namespace Quib {

class Font;

// A localised text laid over a picture layer (element Text); the picture
// gives the text's box and its hit area and is not drawn.
class QstTextLayerData : public QstImageLayerData {
public:
    explicit QstTextLayerData(int32_t z);

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask,
                       TPoint<float>& position, QstFieldLayer* fieldLayer) override;
    void DoAddProperties(QstPropertyPage* page, std::string& title) override;
    std::string ExportPoolImage(int& width, int& height) override;

private:
    bool ReadText(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask,
                  TPoint<float>& position, QstFieldLayer* fieldLayer);

public:
    std::u16string text;
    Font* font = nullptr; // not owned
    int alignment = -1;   // -1 left, 0 centre, 1 right
};

} // namespace Quib
