#pragma once
#include "framework/core/Point.h"
#include "framework/core/Rect.h"
#include "framework/widgets/Widget.h"

#include <functional>
#include <memory>
#include <string>

namespace Quib {

class HintTimer;
class Image;
class ParticlesCommon;
class PsdPicture;
struct TriangleVertex;

// The hint compass: draws the HintTimer (the clock wipe over the face, the
// swinging rings and arrow, the ready pulse) and asks its owner for a hint
// when clicked while charged. Pictures come from the "compass/" layers of
// the owner's layout; a missing one is not drawn.
class HintWidget : public Widget {
public:
    using UseDelegate = std::function<bool()>;
    using ToolTipDelegate = std::function<void(const std::u16string& text, float seconds)>;

    static constexpr int kHitAlpha = 10;

    HintWidget(HintTimer* hintTimer, UseDelegate use, ToolTipDelegate toolTip, PsdPicture& layout,
               const std::string& effectName);
    ~HintWidget() override;

    using Widget::Update;
    void Update(float dt);

    void Draw(Graphics& g) override;
    void DrawOverChildren(Graphics& g) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    bool AcceptsPoint(int px, int py) override;

    // The timer's ready call: starts the effect unless one runs.
    void OnHintReady();
    void DrawCompass(Graphics& g);

    HintTimer* timer = nullptr; // not owned
    UseDelegate useDelegate;
    ToolTipDelegate toolTipDelegate;
    float hoverGlow = 0.0f;
    Image* back = nullptr; // the layout's pictures
    Image* back2 = nullptr;
    Image* innerCircle = nullptr;
    Image* outerCircle = nullptr;
    Image* arrow = nullptr;
    Image* dot = nullptr;
    Image* glass = nullptr;
    Point dotOffset;
    Point glassOffset;
    std::string effectName;
    std::unique_ptr<ParticlesCommon> effect;
};

// The sector of the image between two angles (radians from 12 o'clock,
// counter-clockwise on screen) into the destination rectangle, turned by
// rotation; drawn in up to eight textured triangles.
void DrawImagePie(Graphics& g, Image* image, const Rect& source, const Rect& dest, double start, double end,
                  double rotation);
// The boundary point of the unit square at offset a (0..pi/4) in octant k.
void PieOctantPoint(int octant, double a, double& px, double& py);

} // namespace Quib
