#include "src/game/quest/QstTutorDialog.h"

#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTrashDialog.h"
#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ScaleButton.h"

#include <cstdint>

namespace Quib {

QstTutorDialog::QstTutorDialog(DarkBack* back, const std::string& key, bool interfaceText, PsdPicture* layoutPicture)
    : layout(layoutPicture ? layoutPicture : LoadTrashLayout()), textKey(key), backdrop(back)
{
    layout->SetLayerDrawFlag("dark", false);
    layout->SetLayerDrawFlag("placeholders/item", false);
    Rect backRect, bottomRect;
    layout->GetLayerRect(backRect, "back", false);
    layout->GetLayerRect(bottomRect, "bottom", false);
    Rect bounds = backRect.Union(bottomRect);
    SetBounds(bounds.x, bounds.y, bounds.width, bounds.height);
    layout->Offset(-bounds.x, -bounds.y);
    layout->GetLayerRect(textRect, "placeholders/text", true);
    text = Lang::Instance()(interfaceText ? "Interface" : "Tutor", textKey);
    closeButton = CreateDialogScaleButton(*layout, this, "close/close_in", "close/close_ac",
                                          Lang::Instance()("Interface", "Close"));
    AttachChild(closeButton);
    AnimatePopupButton(*this, closeButton, alpha);
}

QstTutorDialog::~QstTutorDialog()
{
    DetachAllChildren(true, false);
    closeButton = nullptr;
}

void QstTutorDialog::Update()
{
    Widget::Update();
    if (ApproachFloat(alpha, kAppearStep, targetAlpha) && targetAlpha == 0.0f && !mRemoved) {
        mRemoved = true;
        RemoveAndDeleteWidget(this);
        if (closeDelegate)
            closeDelegate();
        return;
    }
    AnimatePopupButton(*this, closeButton, alpha);
    Invalidate();
}

void QstTutorDialog::Close()
{
    targetAlpha = 0.0f;
    DismissBackdrop(backdrop);
}

void QstTutorDialog::ButtonDepress(int id)
{
    if (id == 0)
        Close();
}

void QstTutorDialog::Draw(Graphics& g)
{
    ApplyPopupTransform(g, alpha, width, height);
    layout->DrawAll(g);
    g.SaveState();
    g.color = MultiplyColors(g.color, Color(255, 243, 152, 255));
    g.font = FONT_TEXT;
    g.DrawWrappedText(text, textRect, -1, 0, nullptr);
    g.RestoreState();
}

void ShowMinigameTutorDialog(QstField* field, const std::string& typeName)
{
    QstScene* scene = field ? field->GetScene() : nullptr;
    if (!scene)
        return;
    auto* back = new DarkBack(Delegate(), scene->backdropParam);
    auto* dialog = new QstTutorDialog(back, typeName);
    back->closeDelegate = Delegate(dialog, &QstTutorDialog::Close);
    scene->AttachChild(back);
    scene->AttachChild(dialog);
}

} // namespace Quib
