#include "src/game/quest/QstTrashDialog.h"

#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/GameApp.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstPoolItemFly.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ScaleButton.h"

#include <algorithm>

namespace Quib {

namespace {

constexpr const char* kPoolState = "pool";

// The format with its first "%s" replaced by the argument and "%%" read as
// "%"; other conversions are left as they are, since the format comes from
// the text table.
std::u16string ApplyTextFormat(const std::u16string& format, const std::u16string& argument)
{
    std::u16string out;
    bool substituted = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            if (format[i + 1] == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (format[i + 1] == u's' && !substituted) {
                out += argument;
                substituted = true;
                ++i;
                continue;
            }
        }
        out += format[i];
    }
    return out;
}

} // namespace

PsdPicture* LoadTrashLayout()
{
    return new PsdPicture("data/gui/closeup_trash/", true);
}

QstTrashDialog::QstTrashDialog(DarkBack* back, const std::string& reference, Delegate onDone,
                               PsdPicture* layoutPicture)
    : layout(layoutPicture ? layoutPicture : LoadTrashLayout()), itemReference(reference), backdrop(back),
      doneDelegate(onDone)
{
    layout->SetLayerDrawFlag("dark", false);
    Rect backRect, bottomRect;
    layout->GetLayerRect(backRect, "back", false);
    layout->GetLayerRect(bottomRect, "bottom", false);
    const Rect bounds = backRect.Union(bottomRect);
    SetBounds(bounds.x, bounds.y, bounds.width, bounds.height);
    layout->Offset(-bounds.x, -bounds.y);
    layout->GetLayerRect(textRect, "placeholders/text", true);

    QstItem* item = QstScene::GetItemByRef(itemReference);
    if (item && !item->GetState(kPoolState)) {
        QUIB_LOG_ERROR("Trash dialog: item \"%s\" has no state \"%s\"", itemReference, kPoolState);
        item = nullptr;
    } else if (!item) {
        QUIB_LOG_ERROR("Trash dialog: item \"%s\" not found", itemReference);
    }
    Lang& lang = Lang::Instance();
    const std::string fullName = item ? item->GetFullName() : itemReference;
    text = ApplyTextFormat(lang("Interface", "TrashDialog"), lang("TrashDialog", fullName + "_" + kPoolState));

    Rect itemRect;
    layout->GetLayerRect(itemRect, "placeholders/item", true);
    if (item) {
        const TPoint<float> from(float(x + itemRect.x) + float(itemRect.width) / 2.0f,
                                 float(y + itemRect.y) + float(itemRect.height) / 2.0f);
        GameApp* app = GetGameApp();
        const TPoint<float> to(app ? float(app->AppWidth()) / 2.0f : 512.0f,
                               app ? float(app->AppHeight()) - 50.0f : 718.0f);
        fly = std::make_unique<QstPoolItemFly>(item, kPoolState, from, to, std::string());
        fly->arrivalCallback = [this]() { itemArrived = true; };
    }

    closeButton = CreateDialogScaleButton(*layout, this, "close/close_in", "close/close_ac", lang("Interface", "Ok"));
    AttachChild(closeButton);
    AnimatePopupButton(*this, closeButton, progress);
}

QstTrashDialog::~QstTrashDialog()
{
    if (fly) {
        fly->arrivalCallback = nullptr;
        fly.reset();
    }
    DetachAllChildren(true, false);
    closeButton = nullptr;
}

void QstTrashDialog::Close()
{
    flyStarted = true;
    // Nothing to carry: the item counts as arrived.
    if (!fly)
        itemArrived = true;
    target = 0.0f;
    DismissBackdrop(backdrop);
}

void QstTrashDialog::ButtonDepress(int id)
{
    if (id == 0)
        Close();
}

void QstTrashDialog::Update()
{
    Widget::Update();
    StepPopupProgress(progress, target);
    if (progress == 0.0f && target == 0.0f && itemArrived && !finished) {
        finished = true;
        if (doneDelegate)
            doneDelegate();
        RemoveAndDeleteWidget(this);
        return;
    }
    AnimatePopupButton(*this, closeButton, progress);
    if (flyStarted && fly)
        fly->Update(kFlyStep);
    Invalidate();
}

void QstTrashDialog::Draw(Graphics& g)
{
    ApplyPopupTransform(g, progress, width, height);
    layout->DrawAll(g);
    g.font = FONT_TEXT_BOLD;
    g.color = Color(kTextColor);
    g.DrawWrappedText(text, textRect, -1, 0, nullptr);

    if (!fly)
        return;
    g.transX = 0.0f;
    g.transY = 0.0f;
    g.scaleX = g.scaleY = 1.0f;
    g.clipRect = Rect(0, 0, g.destImage ? g.destImage->width : 0, g.destImage ? g.destImage->height : 0);
    g.colorizeImages = true;
    g.color = Color::White;
    const float flight = fly->Progress();
    if (flight > 0.7f)
        g.color = ColorWithAlpha(std::clamp(1.0f - (flight - 0.7f) / 0.3f, 0.0f, 1.0f), Color::White);
    fly->Draw(g);
}

} // namespace Quib
