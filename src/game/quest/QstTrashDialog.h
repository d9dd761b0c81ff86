#pragma once
#include "framework/core/Rect.h"
#include "framework/files/Delegate.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <memory>
#include <string>

namespace Quib {

class DarkBack;
class PsdPicture;
class QstPoolItemFly;
class ScaleButton;

// The popup that shows an item picked up in a hidden-object level before it
// flies into the inventory, laid out from data/gui/closeup_trash/.
class QstTrashDialog : public Widget, public ButtonListener {
public:
    static constexpr uint32_t kTextColor = 0xfffff398;
    static constexpr float kFlyStep = 0.005f;

    // itemReference: scene name, ":" and item name. layoutPicture null: a
    // new layout of data/gui/closeup_trash/ (owned either way).
    QstTrashDialog(DarkBack* backdrop, const std::string& itemReference, Delegate onDone,
                   PsdPicture* layoutPicture = nullptr);
    ~QstTrashDialog() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void ButtonDepress(int id) override;
    void Close();

    std::unique_ptr<PsdPicture> layout;
    std::string itemReference;
    float progress = 0.0f;
    float target = 1.0f;
    ScaleButton* closeButton = nullptr; // child
    Rect textRect;
    std::u16string text;
    std::unique_ptr<QstPoolItemFly> fly; // null when the item cannot be shown
    bool flyStarted = false;
    bool itemArrived = false;
    DarkBack* backdrop = nullptr; // not owned
    Delegate doneDelegate;
    bool finished = false;
};

// A new layout of data/gui/closeup_trash/ with its images; the caller owns it.
PsdPicture* LoadTrashLayout();

} // namespace Quib
