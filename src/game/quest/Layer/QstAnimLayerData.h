#pragma once
#include "src/game/quest/Layer/QstLayerData.h"

#include <string>
#include <vector>

namespace Quib {

class Image;

// One frame of an animation: a picture layer and its offset from the
// animation's top-left corner.
struct QstAnimFrame {
    std::string name;
    Image* image = nullptr; // owned, null until loaded
    float x = 0.0f;
    float y = 0.0f;
};

// The frames of an animation: the picture layers whose names begin with a
// mask (element Anim).
class QstAnimLayerData : public QstLayerData {
public:
    explicit QstAnimLayerData(int32_t z);
    ~QstAnimLayerData() override;

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask,
                       TPoint<float>& position, QstFieldLayer* fieldLayer) override;
    void DoLoad() override;
    void DoUnload() override;
    bool DoIsInVisibleGroup(const std::string& groupName, const std::string& mask) override;
    std::string GetResName() const override;
    std::string ExportPoolImage(int& width, int& height) override;

    std::string animMask;
    std::vector<QstAnimFrame> frames;
    float frameTime = 0.05f; // seconds per frame; 0 or less shows the first frame
    bool loop = false;
    bool pingPong = false; // read, playback always runs forward
};

} // namespace Quib
