#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

#include <functional>
#include <memory>
#include <string>

namespace Quib {

class Image;
class PsdPicture;
class ScaleButton;
struct QstTutorStep;

// The framed box of a tutorial step: a text and an arrow pointing at the
// place concerned.
class QstTutorialBox : public Widget, public ButtonListener {
public:
    using CloseDelegate = std::function<void(QstTutorialBox* box)>;
    static constexpr float kFadeStep = 0.02f;
    static constexpr float kTimeStep = 0.01f;
    static constexpr int kZOrder = 100;
    static constexpr int kScreenMargin = 4;

    QstTutorialBox(CloseDelegate onClose, PsdPicture* layout, const QstTutorStep& step);
    ~QstTutorialBox() override;

    void Update() override;
    void Draw(Graphics& g) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    bool AcceptsPoint(int px, int py) override;
    void ButtonDepress(int id) override;
    void StartClosing();

    Image* background = nullptr; // the layout's
    int32_t backgroundX = 0;
    int32_t backgroundY = 0;
    std::shared_ptr<Image> arrow; // shared with the step
    int32_t arrowX = 0;
    int32_t arrowY = 0;
    Rect textRect;
    ScaleButton* closeButton = nullptr; // child
    std::u16string text;
    float alpha = 0.0f;
    bool closing = false;
    bool hasTimeOut = false;
    float timeOut = 0.0f;
    bool hideByClick = false;
    CloseDelegate closeDelegate;

private:
    bool mRemoved = false;
};

} // namespace Quib
