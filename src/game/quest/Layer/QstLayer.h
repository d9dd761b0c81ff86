#pragma once
#include <cstdint>
#include <string>

namespace Quib {

class DrawTransform;
class Graphics;
class QstLayerData;
class QstPropertyPage;
class QstSceneDistortion;

// A drawable instance of a layer data inside a close-up field: position,
// an alpha fading toward its target, and its own visible flag.
class QstLayer {
public:
    // Owning layer.
    explicit QstLayer(QstLayerData* data);
    // Shares the other's data without owning it.
    QstLayer(const QstLayer& other);
    QstLayer& operator=(const QstLayer&) = delete;

    // Virtual slots, in this order.
    virtual ~QstLayer();
    // A new layer of the same kind over the same data (not owning), at
    // (0, 0), visible, alpha synced.
    virtual QstLayer* Clone() const;
    virtual void Update(float seconds);
    virtual void DoAddProperties(QstPropertyPage* page, std::string& title);
    // Called once after the layer is placed (the particles kind starts its
    // effect).
    virtual void Start();
    // Draws the content centred on the transform's origin.
    virtual void Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion* distortion);
    virtual void SyncAlpha();
    // In layer coordinates: 0 <= x <= width and 0 <= y <= height.
    virtual bool IsInRect(int x, int y) const;
    virtual bool HitTest(int x, int y) const;

    // Target alpha is 1 when the data is shown and group visible and the
    // layer is visible.
    bool IsTargetVisible() const;
    float TargetAlpha() const { return IsTargetVisible() ? 1.0f : 0.0f; }
    bool IsShowing() const { return alpha != 0.0f; }
    bool IsFading() const { return alpha != TargetAlpha(); }
    // Sets the layer's own visible flag; loads the data when it becomes a
    // target and auto load is set; immediately snaps the alpha.
    void SetVisible(bool value, bool immediately);
    // The base fade toward the target (data fade speed per second).
    void UpdateFade(float seconds);

    QstLayerData* GetData() const { return data; }

    QstLayerData* data = nullptr;
    bool ownsData = true;
    bool immediateSeen = false;
    float x = 0.0f; // top-left corner in field coordinates
    float y = 0.0f;
    float alpha = 0.0f;
    bool visible = true;
};

} // namespace Quib
