#pragma once
#include "framework/core/Color.h"
#include "framework/core/Point.h"

#include <cstdint>
#include <string>

namespace Quib {

class QstFieldLayer;
class QstPropertyPage;
class QstXmlElement;
struct SLoadLayerDataCont;

// The content of one scene layer: what it shows, its stacking order, tint,
// fade speed and whether it takes the mouse. Several layers may share one.
class QstLayerData {
public:
    explicit QstLayerData(int32_t z);
    QstLayerData(const QstLayerData&) = delete;
    QstLayerData& operator=(const QstLayerData&) = delete;

    // Virtual slots, in this order.
    virtual ~QstLayerData();
    // Reads the element; false after reporting through the element.
    virtual bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask,
                               TPoint<float>& position, QstFieldLayer* fieldLayer);
    // Editor properties (the scene editor fills the page).
    virtual void DoAddProperties(QstPropertyPage* page, std::string& title);
    virtual void DoLoad();
    virtual void DoUnload();
    // Three queries every kind answers with false; nothing relies on them.
    virtual bool ReservedQueryA() const { return false; }
    virtual bool ReservedQueryB() const { return false; }
    virtual bool DoIsInVisibleGroup(const std::string& groupName, const std::string& mask);
    virtual std::string GetResName() const;
    // Writes the picture as an inventory icon; its path, or "" when the kind
    // has no picture.
    virtual std::string ExportPoolImage(int& width, int& height);
    virtual bool ReservedQueryC() const { return false; }

    // Loads once (DoLoad) / releases once (DoUnload).
    void Load();
    void Release();
    // With auto load set, shown and group visible, and wasVisible: Load.
    void LoadOnShow(bool wasVisible);
    // Stores the folder and the name, applies the naming rules to the name;
    // loaded content is reloaded from the new place.
    void SetResource(const std::string& dir, const std::string& resName);
    // "_fx" at the end: not mouse visible; "_" opening the last path part
    // (after a "/" that is not the last character): disabled.
    void ApplyNamingRules(const std::string& resName);
    // The attributes every kind reads first: color, mouse_visible,
    // disabled, fade_time, force_load. Always succeeds.
    bool ReadCommonAttributes(QstXmlElement& element);

    // Reads a hexadecimal AARRGGBB colour; six or fewer digits are opaque.
    // False (colour untouched) when the text is not hexadecimal.
    static bool ParseColor(const std::string& text, Color& out);

    float width = 0.0f;
    float height = 0.0f;
    bool shown = true;
    bool groupVisible = true;
    bool disabled = false; // drawn, but ignores clicks
    bool mouseVisible = true;
    int32_t z = 0;
    Color color{255, 255, 255, 255};
    bool immediate = false; // the immediately argument of the last visibility change
    bool loaded = false;
    bool autoLoad = false;  // set once laid out: a layer that becomes visible loads
    bool forceLoad = false; // load even while hidden
    float fadeSpeed = 2.0f; // alpha per second; 0 fade time: instant
    std::string directory;  // folder of the resource (ends in a separator)
    std::string name;       // resource name below the folder
};

} // namespace Quib
