#pragma once
#include "src/game/quest/Layer/QstLayerData.h"

#include <cstdint>
#include <string>

namespace Quib {

struct MinigamePicture;

// The data of a chain layer: the link picture (the field's) and the point
// the chain hangs from, in scene coordinates. Loads nothing itself.
class QstChainLayerData : public QstLayerData {
public:
    explicit QstChainLayerData(int32_t z);
    ~QstChainLayerData() override;

    void DoAddProperties(QstPropertyPage* page, std::string& title) override;
    void DoLoad() override;
    void DoUnload() override;
    bool DoIsInVisibleGroup(const std::string& groupName, const std::string& mask) override;
    std::string GetResName() const override;
    std::string ExportPoolImage(int& width, int& height) override;

    MinigamePicture* linkPicture = nullptr; // not owned
    float anchorX = 0.0f;
    float anchorY = 0.0f;
};

} // namespace Quib
