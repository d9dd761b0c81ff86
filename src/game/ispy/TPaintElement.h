#pragma once
#include "framework/core/Point.h"
#include "framework/files/FloatTransformer.h"
#include "src/game/ispy/TMessenger.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class ElementSprite;
class Graphics;
class IniData;
class ParticlesCommon;

// One visible thing of a hidden-object picture: a group of layers (its
// frames) animated by one of a few modes, maybe a particle effect, drawn
// with a colour and an optional additive glow, hit on its pixels.
class TPaintElement : public TMessenger, public FloatTransformerListener {
public:
    struct Frame {
        std::string path;
        ElementSprite* sprite = nullptr; // owned
    };

    // The placeholder: no frames, not subscribed.
    TPaintElement();
    // From the level's layers.ini and pic.ini documents, their picture
    // sections current; folder "data/hog/<picture>/".
    TPaintElement(const std::string& elementName, const std::string& folder, IniData& layers, IniData& picIni,
                  bool loadImagesNow);
    ~TPaintElement() override;
    TPaintElement(const TPaintElement&) = delete;
    TPaintElement& operator=(const TPaintElement&) = delete;

    void OnMessage(int32_t id, TMessenger* sender, TMessageData* data) override;
    virtual void SetTaken(bool value) { taken = value; }
    // A sphere: an element of a "spheres/" layer group.
    virtual bool IsSphere() const { return sphere; }
    void OnValue(FloatTransformer* transformer, float value, int id) override;
    void OnFinished(FloatTransformer* transformer, int id) override;

    void Update(float seconds);
    void ResetAnimation();
    // colour opaque white: the element's own colour.
    void Draw(Graphics& g, const Point& offset, uint32_t drawColour);
    bool CanBeHitAt(int x, int y) const;
    Point GetFramePosition() const;
    Point GetFrameSize() const;
    TPoint<float> GetFrameCentre(const Point& offset) const;
    void ApplyScale(ElementSprite& sprite) const;
    void WritePicEntry(IniData& picIni) const;

    float TweenValue(int id) const;
    bool TweenFinished(int id) const;
    int CurrentFrameIndex() const;

    std::vector<Frame> frames;
    ElementSprite* currentFrame = nullptr;
    float clock = 0.0f;
    float period = 1.0f;
    float pause = 1.0f;
    int32_t mode = 0;
    int32_t phase = 0;
    bool taken = false;
    std::vector<std::string> names;
    int32_t z = 0;
    float scale = 1.0f;
    float baseScale = 1.0f;
    int32_t rotation = 0;
    uint32_t colour = 0xFFFFFFFF;
    uint32_t glowColour = 0;
    std::string name;
    std::u16string text;
    bool hidden = false;
    bool isEffect = false;
    bool sphere = false;
    std::map<int, float> tweenValues;
    std::map<int, bool> tweenFinished;
    std::unique_ptr<ParticlesCommon> particles;
};

} // namespace Quib
