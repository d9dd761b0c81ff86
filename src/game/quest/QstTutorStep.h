#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace Quib {

class Image;

enum class QstTutorStepKind : int32_t {
    Click = 0,
    Use = 1,
    GetDrag = 2,
    CloseClick = 3,
    WinMinigame = 4,
    BookClick = 5,
};

// One step of a tutorial. The arrow image is shared with the boxes that
// show it; one taken from a layout is not owned (its deleter does nothing).
struct QstTutorStep {
    QstTutorStepKind kind = QstTutorStepKind::Click;
    std::string itemName; // full name
    std::string itemState; // empty: any
    std::string dragName; // Use: the inventory item's full name
    std::string dragState; // empty: any
    std::string textKey;   // [Tutorial] key
    std::shared_ptr<Image> arrow;
    int32_t arrowX = 0;
    int32_t arrowY = 0;
    int32_t centerX = 0; // where the box is centred
    int32_t centerY = 0;
    float timeOut = 0.0f; // 0: never
    bool hideByClick = false;
    bool nextOnWinHog = false;
    bool closeFieldDisabled = false;
    bool prevTutorialOnReset = false;
    bool noBox = false;
};

// The kind of an element name; false for other names.
bool QstTutorStepKindFromName(const std::string& name, QstTutorStepKind& kind);

} // namespace Quib
