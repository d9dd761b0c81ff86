#pragma once
#include "framework/core/Rect.h"
#include "framework/files/FloatTransformer.h"
#include "framework/widgets/Widget.h"
#include "src/game/ispy/TMessenger.h"
#include "src/game/ispy/TNotepad.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class IniData;
class TLevel;
class TPaintElement;

// The playing field of a hidden-object level: the elements read from
// data/hog/<name>/ (layers.ini and pic.ini), the search in progress with its
// notepad, the hit test, the flights of found elements and the hints.
class TPicture : public Widget, public TMessenger, public FloatTransformerListener {
public:
    TPicture(const std::string& pictureName, TLevel* owner, bool loadImagesNow);
    ~TPicture() override;

    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void OnMessage(int32_t id, TMessenger* sender, TMessageData* data) override;
    void OnValue(FloatTransformer* transformer, float value, int id) override;
    void OnFinished(FloatTransformer* transformer, int id) override;

    void LoadLayers(bool loadImagesNow);
    // A new search (the notepad's lines and the findable elements).
    void Reset();
    void CountItemUse(const std::u16string& itemText);
    TPaintElement* HitTest(int px, int py) const;
    void TakeElement(TPaintElement* element);
    void DrawPicture(Graphics& g);
    void ShowHint();
    void NotifyReady();
    bool CheckFinished();

    TPaintElement* FindItem(const std::string& elementName) const;
    TPaintElement* FindScenery(const std::string& elementName) const;
    TPaintElement* FindElementByText(const std::u16string& itemText) const;
    void ReleaseElementsOfText(const std::u16string& itemText);
    void WriteItemEntries(IniData& picIni) const;
    void PlaceSphere(TPaintElement* element);
    void RestoreSphereAt(const Point& point);

    // The folder of the level's files: "data/hog/" + name + "/".
    std::string Folder() const { return "data/hog/" + name + "/"; }

    TLevel* level = nullptr;
    std::string name;
    std::vector<TPaintElement*> scenery;
    std::vector<TPaintElement*> items;
    std::vector<TPaintElement*> spheres;
    int32_t itemsInHog = 100;
    std::string hogItem;
    std::vector<TPaintElement*> drawList;
    std::vector<TPaintElement*> flying;
    bool finishedSent = false;
    bool blocked = false;
    bool hintsEnabled = false;
    Rect pictureRect;
    TNotepad notepad;

private:
    // The hidden placeholder (z 0) every search puts in the draw list; owned.
    std::unique_ptr<TPaintElement> mPlaceholder;
};

// Stable ascending sort by z.
void SortByZ(std::vector<TPaintElement*>& list);
// The lang text of an object name (section "Keys").
std::u16string LookupKeyText(const std::string& section, const std::string& key);

} // namespace Quib
