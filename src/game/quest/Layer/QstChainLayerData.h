#pragma once
#include "src/game/quest/Layer/QstLayerData.h"

namespace Quib {

// The layer data of the chain mini-game's links; it reads nothing and
// belongs to no visible group.
class QstChainLayerData : public QstLayerData {
public:
    explicit QstChainLayerData(int32_t z) : QstLayerData(z) {}

    void DoAddProperties(QstPropertyPage*, std::string&) override {}
    bool DoIsInVisibleGroup(const std::string&, const std::string&) override { return false; }
    std::string GetResName() const override { return std::string(); }

    int32_t link = 0;
    float valueA = 0.0f;
    float valueB = 0.0f;
};

} // namespace Quib
