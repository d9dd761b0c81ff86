#pragma once
#include "framework/widgets/Widget.h"

#include <memory>
#include <vector>

namespace Quib {

class QstPoolData;
class QstPoolItemExtBase;

// The full-screen layer on which flying and dragged inventory items live:
// updated and drawn in creation order, deleted when done.
class QstPoolExtBoard : public Widget {
public:
    // Above the board's other widgets.
    static constexpr int kZOrder = 500;

    explicit QstPoolExtBoard(QstPoolData* owner);
    ~QstPoolExtBoard() override;

    void Add(QstPoolItemExtBase* extension);
    void UpdateItems(float seconds);
    void Draw(Graphics& g) override;

    QstPoolData* pool = nullptr; // not owned
    std::vector<std::unique_ptr<QstPoolItemExtBase>> items;
};

} // namespace Quib
