#include "src/screens/Avatar.h"

#include "framework/core/Color.h"
#include "framework/files/FloatTransformer.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/quest/PsdPicture.h"

namespace Quib {

namespace {

constexpr const char* kMoodNames[Avatar::MOOD_COUNT] = {"neutral", "happy", "mad", "surprise"};

// The layer's image and position; the bounds grow by its rectangle.
bool TakeLayer(PsdPicture& layout, const std::string& layerName, Image*& image, Point& position, Rect& bounds,
               bool& haveBounds)
{
    PsdPictureLayer* layer = layout.FindLayer(layerName);
    if (!layer) {
        QUIB_LOG_ERROR("Avatar: no layer \"%s\" in \"%s\"", layerName.c_str(), layout.directory.c_str());
        return false;
    }
    image = layer->image;
    position = Point(layer->x, layer->y);
    Rect rect;
    layout.GetLayerRect(rect, layerName, false);
    bounds = haveBounds ? bounds.Union(rect) : rect;
    haveBounds = true;
    return true;
}

bool IsMood(int mood)
{
    return mood >= 0 && mood < Avatar::MOOD_COUNT;
}

} // namespace

Avatar::Avatar() = default;

void Avatar::LoadFace(PsdPicture& layout, const std::string& layerName, int mood, Rect& bounds, bool& haveBounds)
{
    if (!IsMood(mood))
        return;
    TakeLayer(layout, layerName, faces[mood], facePositions[mood], bounds, haveBounds);
}

void Avatar::LoadFaces(PsdPicture& layout, const std::string& name)
{
    const std::string character = name == "movie" ? std::string("boat") : name;
    const std::string prefix = "animated_faces/" + character + "/";
    Rect bounds;
    bool haveBounds = false;
    for (int mood = 0; mood < MOOD_COUNT; ++mood)
        LoadFace(layout, prefix + "face_" + kMoodNames[mood], mood, bounds, haveBounds);
    TakeLayer(layout, prefix + "_back_01", back, backPosition, bounds, haveBounds);
    TakeLayer(layout, prefix + "ab", secondBack, secondBackPosition, bounds, haveBounds);
    TakeLayer(layout, "animated_faces/_glass_02", glass, glassPosition, bounds, haveBounds);
    SetBoundsRect(bounds);
    auto relative = [&bounds](Point& p) {
        p.x -= bounds.x;
        p.y -= bounds.y;
    };
    for (Point& p : facePositions)
        relative(p);
    relative(backPosition);
    relative(secondBackPosition);
    relative(glassPosition);
}

void Avatar::Update(float dt)
{
    if (!IsMood(requestedMood)) {
        QUIB_LOG_ERROR("Avatar: mood %d ignored", requestedMood);
        requestedMood = targetMood;
    }
    if (requestedMood != targetMood) {
        hold = 0.0f;
        if (crossFade == 0.0f) {
            targetMood = requestedMood;
            hold = kHoldSeconds;
        }
    }
    if (targetMood != shownMood) {
        if (ApproachFloat(crossFade, kFadeRate * dt, 1.0f)) {
            shownMood = targetMood;
            crossFade = 0.0f;
        }
    } else if (shownMood != MOOD_NEUTRAL) {
        if (ApproachFloat(hold, dt, 0.0f))
            requestedMood = MOOD_NEUTRAL;
    }
}

void Avatar::Draw(Graphics& g)
{
    auto drawAt = [&g](Image* image, const Point& p) {
        if (image)
            g.DrawImageAt(image, p.x, p.y);
    };
    drawAt(back, backPosition);
    drawAt(secondBack, secondBackPosition);
    if (IsMood(shownMood))
        drawAt(faces[shownMood], facePositions[shownMood]);
    if (targetMood != shownMood && IsMood(targetMood) && faces[targetMood]) {
        g.SaveState();
        g.colorizeImages = true;
        g.color = ColorWithAlpha(crossFade, Color::White);
        drawAt(faces[targetMood], facePositions[targetMood]);
        g.RestoreState();
    }
    drawAt(glass, glassPosition);
}

} // namespace Quib
