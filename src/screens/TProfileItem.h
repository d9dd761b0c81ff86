#pragma once
#include "framework/core/Color.h"
#include "framework/core/Rect.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/EditListener.h"
#include "framework/widgets/Widget.h"

#include <string>

namespace Quib {

class Image;
class ProfileScreen;
class PsdPicture;

// One of the five name slots of the profile screen, laid out from the
// layers "profiles/profile<n>/profile_in" and "_ac" of its layout.
class TProfileItem : public Widget, public EditListener, public ButtonListener {
public:
    static constexpr uint32_t kNameColor = 0xfffff398;
    static constexpr uint32_t kUnselectedShade = 0xffcccccc;

    TProfileItem(ProfileScreen* owner, PsdPicture& layout, int slot);

    void Draw(Graphics& g) override;
    void SetBoundsRect(const Rect& r) override;
    void OnMouseEnter() override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    bool AcceptsPoint(int px, int py) override;

    // Scales about the home centre for the popup's appear animation.
    void Animate(const Widget& popup, float p);

    PsdPicture* layout = nullptr; // the screen's
    std::string prefix;
    Image* normalImage = nullptr; // the layout's
    int32_t normalX = 0;
    int32_t normalY = 0;
    Image* selectedImage = nullptr;
    int32_t selectedX = 0;
    int32_t selectedY = 0;
    std::u16string name;
    std::u16string emptyText; // what an empty slot shows
    Rect textRect;
    ProfileScreen* screen = nullptr;
    bool selected = false;
    float scale = 1.0f;
    Color color = Color::White;
    int32_t homeX = 0;
    int32_t homeY = 0;
    float remainderX = 0.0f;
    float remainderY = 0.0f;
};

} // namespace Quib
