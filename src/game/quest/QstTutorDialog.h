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
class QstField;
class ScaleButton;

// The help dialog a mini-game close-up shows when it opens.
class QstTutorDialog : public Widget, public ButtonListener {
public:
    static constexpr float kAppearStep = 0.03f;

    // Text: [Interface] <key> with interfaceText, else [Tutor] <key>.
    // layoutPicture null: a new layout of data/gui/closeup_trash/ (owned
    // either way).
    QstTutorDialog(DarkBack* backdrop, const std::string& key, bool interfaceText = false,
                   PsdPicture* layoutPicture = nullptr);
    ~QstTutorDialog() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void ButtonDepress(int id) override;
    void Close();

    std::unique_ptr<PsdPicture> layout;
    std::string textKey;
    float alpha = 0.0f;
    float targetAlpha = 1.0f;
    ScaleButton* closeButton = nullptr; // child
    Rect textRect;
    std::u16string text;
    DarkBack* backdrop = nullptr; // not owned
    Delegate closeDelegate;

private:
    bool mRemoved = false;
};

// Shows the mini-game help of the field (its type name as the text key)
// over a new backdrop, both added to the field's scene.
void ShowMinigameTutorDialog(QstField* field, const std::string& typeName);

} // namespace Quib
