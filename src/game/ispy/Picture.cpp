// The picture side of a hidden-object level: the frame pictures still to
// load, the elements, the level picture and the choice of each search.
#include "framework/files/IniData.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageDisplay.h"
#include "platform/TextCodecs.h"
#include "src/GameResources.h"
#include "src/GameSettings.h"
#include "src/Lang.h"
#include "src/game/ispy/ElementImageQueue.h"
#include "src/game/ispy/ElementSprite.h"
#include "src/game/ispy/HexKey.h"
#include "src/game/ispy/HogProfile.h"
#include "src/game/ispy/TLevel.h"
#include "src/game/ispy/TPaintElement.h"
#include "src/game/ispy/TPicture.h"
#include "src/particles/ParticlesCommon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <utility>

namespace Quib {

// ---- ElementImageQueue -------------------------------------------------------

namespace {

// Never destroyed: elements that live in other statics leave it at exit.
std::deque<std::pair<std::string, ElementSprite*>>& PendingImages()
{
    static auto* pending = new std::deque<std::pair<std::string, ElementSprite*>>();
    return *pending;
}

DDImage* CreateElementImage(const std::string& path)
{
    ImageRegistry* registry = DefaultImageRegistry();
    return registry ? registry->CreateImage(path, true) : nullptr;
}

void GiveImage(ElementSprite* sprite, DDImage* image)
{
    sprite->SetImage(image);
    // The element's frames own their pictures.
    sprite->ownsImage = image != nullptr;
}

} // namespace

void ElementImageQueue::Add(const std::string& path, ElementSprite* sprite)
{
    if (sprite)
        PendingImages().emplace_back(path, sprite);
}

size_t ElementImageQueue::Count() { return PendingImages().size(); }

void ElementImageQueue::LoadFirst()
{
    auto& pending = PendingImages();
    if (pending.empty())
        return;
    auto [path, sprite] = pending.front();
    pending.pop_front();
    DDImage* image = CreateElementImage(path);
    if (!image)
        QUIB_LOG_ERROR("Hidden-object picture: no image \"%s\"", path.c_str());
    GiveImage(sprite, image);
}

void ElementImageQueue::Forget(const ElementSprite* sprite)
{
    auto& pending = PendingImages();
    std::erase_if(pending, [sprite](const auto& pair) { return pair.second == sprite; });
}

void ElementImageQueue::Clear() { PendingImages().clear(); }

// ---- TPaintElement ------------------------------------------------------------

namespace {

constexpr float kPiF = 3.14159265f;

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The key belongs to the element: equal to its name, or the name and '/'.
bool KeyOfElement(const std::string& key, const std::string& elementName)
{
    if (key == elementName)
        return true;
    return key.size() > elementName.size() && key.compare(0, elementName.size(), elementName) == 0 &&
           key[elementName.size()] == '/';
}

} // namespace

TPaintElement::TPaintElement() = default;

TPaintElement::TPaintElement(const std::string& elementName, const std::string& folder, IniData& layers,
                             IniData& picIni, bool loadImagesNow)
    : name(elementName)
{
    if (name.size() > 3 && EndsWith(name, "_fx"))
        isEffect = true;
    if (IniDataSection* section = layers.GetCurrentSection()) {
        for (IniDataKey& key : section->mKeys) {
            if (!KeyOfElement(key.mName, name))
                continue;
            const std::string value = key.mValues.empty() ? std::string() : key.mValues.front();
            // A short line: what is missing is 0, the opacity full and z
            // that of the frame before.
            int v[7] = {0, 0, 0, 0, 0, 255, z};
            std::sscanf(value.c_str(), "%d%d%d%d%d%d%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]);
            const uint32_t opacity = uint32_t(std::clamp(v[5], 0, 255));
            colour = (opacity << 24) | 0xFFFFFFu;
            z = v[6];
            auto* sprite = new ElementSprite();
            sprite->x = float(v[0]) + 0.5f;
            sprite->y = float(v[1]) + 0.5f;
            const std::string path = folder + key.mName;
            if (loadImagesNow) {
                DDImage* image = CreateElementImage(path);
                if (!image)
                    QUIB_LOG_ERROR("Hidden-object picture: no image \"%s\"", path.c_str());
                GiveImage(sprite, image);
            } else {
                ElementImageQueue::Add(path, sprite);
            }
            frames.push_back({path, sprite});
            if (!particles && EndsWith(key.mName, "_effect") && key.mName.size() >= 8) {
                std::string effect = key.mName.substr(0, key.mName.size() - 8);
                const size_t slash = effect.rfind('/');
                if (slash != std::string::npos)
                    effect = effect.substr(slash + 1);
                particles = CreateParticlesByName(effect);
                if (particles) {
                    particles->StartAt(TPoint<float>(float(v[0]) + 0.5f, float(v[1]) + 0.5f));
                    particles->SetLooping(true);
                }
                isEffect = true;
            }
        }
    }
    if (IniDataSection* section = picIni.GetCurrentSection()) {
        IniData::SelectKey(section, name);
        if (section->mCurrentKey && section->mCurrentKey->mName == name) {
            IniDataKey* key = section->mCurrentKey;
            const std::string list = key->mValues.empty() ? std::string() : key->mValues.front();
            size_t start = 0;
            while (start <= list.size()) {
                size_t slash = list.find('/', start);
                if (slash == std::string::npos)
                    slash = list.size();
                if (slash > start)
                    names.push_back(list.substr(start, slash - start));
                start = slash + 1;
            }
            key->mCursor = 1;
            period = IniData::NextFloat(section, std::string(), period);
            mode = IniData::NextInt(section, std::string(), mode);
            // Written as "%.2f": read back as a number with its fraction.
            pause = IniData::NextFloat(section, std::string(), pause);
        }
    }
    if (!(period > 0.0f) || !std::isfinite(period)) {
        QUIB_LOG_ERROR("Hidden-object element \"%s\": period %g refused, 1.0 used", name.c_str(), double(period));
        period = 1.0f;
    }
    if (!std::isfinite(pause))
        pause = 1.0f;
    if (particles && period - 1.0f > 0.0f)
        particles->Rewind(period - 1.0f);
    phase = mode == 2 ? 2 : 0;
    Subscribe(this, MSG_FRAME_TICK);
}

TPaintElement::~TPaintElement()
{
    for (Frame& frame : frames) {
        ElementImageQueue::Forget(frame.sprite);
        delete frame.sprite;
    }
}

void TPaintElement::OnMessage(int32_t id, TMessenger*, TMessageData* data)
{
    if (id == MSG_FRAME_TICK && data)
        Update(data->floatValue);
}

void TPaintElement::OnValue(FloatTransformer*, float value, int id)
{
    tweenValues[id] = value;
    tweenFinished[id] = false;
}

void TPaintElement::OnFinished(FloatTransformer*, int id) { tweenFinished[id] = true; }

float TPaintElement::TweenValue(int id) const
{
    auto it = tweenValues.find(id);
    return it == tweenValues.end() ? 0.0f : it->second;
}

bool TPaintElement::TweenFinished(int id) const
{
    auto it = tweenFinished.find(id);
    return it != tweenFinished.end() && it->second;
}

int TPaintElement::CurrentFrameIndex() const
{
    for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i].sprite == currentFrame)
            return int(i);
    return -1;
}

void TPaintElement::Update(float seconds)
{
    clock += seconds;
    if (particles)
        particles->Update(seconds);
    const int n = int(frames.size());
    if (n == 0)
        return;
    const float p = period;
    float& t = clock;
    int index = CurrentFrameIndex();
    bool changeFrame = false;
    switch (mode) {
    case 0:
        if (p <= t)
            t = std::fmod(t, p);
        index = int(t * float(n) / p);
        changeFrame = true;
        break;
    case 1:
        if (t >= 2.0f * p)
            t -= 2.0f * p;
        if (t >= 2.0f * p)
            t = std::fmod(t, 2.0f * p);
        index = t < p ? int(t * float(n) / p) : int(float(n) * (1.0f - (t - p) / p));
        changeFrame = true;
        break;
    case 2:
        if (phase == 2) {
            if (t >= pause) {
                phase = 1;
                t = 0.0f;
            }
        } else if (t >= p) {
            phase = 2;
            t = (float(Quib::rand() % 100) * 0.5f / 100.0f - 0.25f) * pause;
            index = 0;
            changeFrame = true;
        } else {
            index = int(t * float(n) / p);
            changeFrame = true;
        }
        break;
    case 4:
        if (p <= t)
            t = std::fmod(t, p);
        break;
    default:
        break;
    }
    if (changeFrame)
        currentFrame = frames[size_t(std::clamp(index, 0, n - 1))].sprite;
}

void TPaintElement::ResetAnimation()
{
    if (frames.empty())
        return;
    currentFrame = frames.front().sprite;
    scale = 1.0f;
    glowColour = 0;
}

void TPaintElement::ApplyScale(ElementSprite& sprite) const
{
    sprite.scaleX = baseScale * scale;
    sprite.scaleY = baseScale * scale;
    sprite.angle = float(rotation) * kPiF / 180.0f;
}

void TPaintElement::Draw(Graphics& g, const Point& offset, uint32_t drawColour)
{
    if (hidden || !currentFrame)
        return;
    const float oldX = float(int(g.transX));
    const float oldY = float(int(g.transY));
    if (mode == 4) {
        const float q = clock / period;
        const Point size = GetFrameSize();
        g.transX = oldX + float(offset.x + int(q * float(size.x) * pause));
        g.transY = oldY + float(offset.y + int(q * float(size.y) * pause));
    } else {
        g.transX = oldX + float(offset.x);
        g.transY = oldY + float(offset.y);
    }
    ApplyScale(*currentFrame);
    const bool oldColorize = g.colorizeImages;
    const Color oldColor = g.color;
    g.colorizeImages = true;
    g.color = Color(drawColour == 0xFFFFFFFFu ? colour : drawColour);
    if (particles) {
        particles->Draw(&g);
    } else {
        currentFrame->Draw(g);
        if (glowColour != 0) {
            const DrawMode oldMode = g.drawMode;
            g.drawMode = DRAWMODE_ADDITIVE;
            g.color = Color(glowColour);
            currentFrame->Draw(g);
            g.drawMode = oldMode;
        }
    }
    g.colorizeImages = oldColorize;
    g.color = oldColor;
    g.transX = oldX;
    g.transY = oldY;
}

bool TPaintElement::CanBeHitAt(int x, int y) const
{
    if (z == 0 || hidden || isEffect || !currentFrame)
        return false;
    return PixelHitTest(*currentFrame, x, y);
}

Point TPaintElement::GetFramePosition() const
{
    if (!currentFrame)
        return Point(0, 0);
    return Point(int32_t(currentFrame->x - 0.5f), int32_t(currentFrame->y - 0.5f));
}

Point TPaintElement::GetFrameSize() const
{
    if (!currentFrame || !currentFrame->image)
        return Point(0, 0);
    return Point(currentFrame->image->width, currentFrame->image->height);
}

TPoint<float> TPaintElement::GetFrameCentre(const Point& offset) const
{
    if (!currentFrame)
        return TPoint<float>(0.0f, 0.0f);
    return TPoint<float>(currentFrame->x + float(offset.x) + float(currentFrame->bounds.width / 2),
                  currentFrame->y + float(offset.y) + float(currentFrame->bounds.height / 2));
}

void TPaintElement::WritePicEntry(IniData& picIni) const
{
    IniDataSection* section = picIni.GetCurrentSection();
    if (!section)
        return;
    std::string joined;
    for (size_t i = 0; i < names.size(); ++i)
        joined += (i ? "/" : "") + names[i];
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, ",%.2f,%d,%.2f", double(period), mode, double(pause));
    std::string lowerName = name;
    std::transform(lowerName.begin(), lowerName.end(), lowerName.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    picIni.Parse("[" + section->mName + "]\n" + lowerName + " = " + joined + numbers + "\n");
}

// ---- TPicture -------------------------------------------------------------------

namespace {

enum class ElementKind { Scenery, Item, Sphere };

// The element a layer key belongs to: "trash/<name>" objects to find,
// "spheres/<name>" spheres, anything else scenery named by its first part.
std::string ElementNameOf(const std::string& key, ElementKind& kind)
{
    for (auto [prefix, k] : {std::pair<std::string, ElementKind>{"trash/", ElementKind::Item},
                             std::pair<std::string, ElementKind>{"spheres/", ElementKind::Sphere}}) {
        if (key.compare(0, prefix.size(), prefix) == 0) {
            kind = k;
            const size_t slash = key.find('/', prefix.size());
            return slash == std::string::npos ? key : key.substr(0, slash);
        }
    }
    kind = ElementKind::Scenery;
    const size_t slash = key.find('/');
    return slash == std::string::npos ? key : key.substr(0, slash);
}

TPaintElement* FindByName(const std::vector<TPaintElement*>& list, const std::string& elementName)
{
    for (TPaintElement* e : list)
        if (e->name == elementName)
            return e;
    return nullptr;
}

std::string LowerAsciiCopy(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

} // namespace

void SortByZ(std::vector<TPaintElement*>& list)
{
    std::stable_sort(list.begin(), list.end(), [](const TPaintElement* a, const TPaintElement* b) { return a->z < b->z; });
}

std::u16string LookupKeyText(const std::string& section, const std::string& key)
{
    return Lang::Instance()(section, key);
}

TPicture::TPicture(const std::string& pictureName, TLevel* owner, bool loadImagesNow)
    : level(owner), name(pictureName)
{
    LoadLayers(loadImagesNow);
    const Rect corners = GetGameIniRect("Picture", "Game", Rect(0, 0, 0, 0));
    pictureRect = Rect(std::min(corners.x, corners.width), std::min(corners.y, corners.height),
                       std::abs(corners.x - corners.width), std::abs(corners.y - corners.height));
    mPlaceholder = std::make_unique<TPaintElement>();
    mPlaceholder->hidden = true;
    mPlaceholder->z = 0;
    Subscribe(static_cast<TMessenger*>(this), MSG_HINT_REQUESTED);
}

TPicture::~TPicture()
{
    if (notepad.parent)
        notepad.parent->DetachChild(&notepad);
    drawList.clear();
    flying.clear();
    for (auto* list : {&scenery, &items, &spheres}) {
        for (TPaintElement* e : *list)
            delete e;
        list->clear();
    }
}

void TPicture::OnAttachedToManager(WidgetManager* widgetManager)
{
    Widget::OnAttachedToManager(widgetManager);
    if (parent && notepad.parent != parent)
        parent->AttachChild(&notepad);
}

void TPicture::OnMessage(int32_t id, TMessenger*, TMessageData*)
{
    if (id == MSG_HINT_REQUESTED && hintsEnabled)
        ShowHint();
}

void TPicture::OnValue(FloatTransformer*, float, int) {}
void TPicture::OnFinished(FloatTransformer*, int) {}

void TPicture::LoadLayers(bool loadImagesNow)
{
    scenery.clear();
    items.clear();
    spheres.clear();
    const std::string folder = Folder();
    const std::string section = LowerAsciiCopy(name);
    IniData layersIni;
    layersIni.LoadFile(folder + "layers.ini");
    std::vector<std::string> layerKeys;
    layersIni.GetKeyNames(section, layerKeys);
    const std::string picPath = folder + "pic.ini";
    IniData picIni;
    picIni.LoadFile(picPath);
    std::vector<std::string> objectKeys;
    picIni.GetKeyNames(section, objectKeys);
    // What does not match is told by the file's name: entries without
    // layers, objects without entries, entries short of their four values
    // (a file cut short shows as all three).
    std::vector<std::string> dropped, added, incomplete;
    bool rewrite = false;
    std::erase_if(objectKeys, [&](const std::string& objectKey) {
        for (const std::string& layerKey : layerKeys) {
            const size_t n = std::min(objectKey.size(), layerKey.size());
            if (objectKey.compare(0, n, layerKey, 0, n) == 0)
                return false;
        }
        rewrite = true;
        dropped.push_back(objectKey);
        return true;
    });
    picIni.SelectSection(section);
    if (IniDataSection* picSection = picIni.GetCurrentSection()) {
        for (const IniDataKey& key : picSection->mKeys)
            if (key.mValues.size() < 4)
                incomplete.push_back(key.mName);
    }
    layersIni.SelectSection(section);
    for (const std::string& key : layerKeys) {
        ElementKind kind;
        const std::string elementName = ElementNameOf(key, kind);
        std::vector<TPaintElement*>& list =
            kind == ElementKind::Item ? items : kind == ElementKind::Sphere ? spheres : scenery;
        TPaintElement* element = FindByName(list, elementName);
        if (!element) {
            element = new TPaintElement(elementName, folder, layersIni, picIni, loadImagesNow);
            element->sphere = kind == ElementKind::Sphere;
            list.push_back(element);
        }
        if (kind == ElementKind::Item &&
            std::find(objectKeys.begin(), objectKeys.end(), elementName) == objectKeys.end()) {
            rewrite = true;
            if (std::find(added.begin(), added.end(), elementName) == added.end())
                added.push_back(elementName);
        }
    }
    auto some = [](const std::vector<std::string>& names) {
        std::string out;
        for (size_t i = 0; i < names.size() && i < 5; ++i)
            out += (i ? ", " : "") + names[i];
        return names.size() > 5 ? out + ", ..." : out;
    };
    if (!added.empty())
        QUIB_LOG_ERROR("Hidden-object picture \"%s\": %s has no entry for %d objects (%s); they get default values",
                       name.c_str(), picPath.c_str(), int(added.size()), some(added).c_str());
    if (!dropped.empty())
        QUIB_LOG_ERROR("Hidden-object picture \"%s\": %s has entries for %d objects without layers (%s)", name.c_str(),
                       picPath.c_str(), int(dropped.size()), some(dropped).c_str());
    if (!incomplete.empty())
        QUIB_LOG_ERROR("Hidden-object picture \"%s\": %s has %d entries short of their four values (%s); the file "
                       "may be cut short",
                       name.c_str(), picPath.c_str(), int(incomplete.size()), some(incomplete).c_str());
    if (rewrite) {
        picIni.SelectSection(section);
        WriteItemEntries(picIni);
        if (!picIni.WriteFile(picPath))
            QUIB_LOG_ERROR("Hidden-object picture \"%s\": pic.ini not written", name.c_str());
    }
    SortByZ(scenery);
    SortByZ(items);
    SortByZ(spheres);
    // Spheres are placed and restored by their frame position.
    for (TPaintElement* e : spheres)
        e->ResetAnimation();
}

void TPicture::WriteItemEntries(IniData& picIni) const
{
    picIni.SelectSection(LowerAsciiCopy(name));
    for (TPaintElement* e : items)
        e->WritePicEntry(picIni);
}

TPaintElement* TPicture::FindItem(const std::string& elementName) const { return FindByName(items, elementName); }

TPaintElement* TPicture::FindScenery(const std::string& elementName) const
{
    return FindByName(scenery, elementName);
}

TPaintElement* TPicture::FindElementByText(const std::u16string& itemText) const
{
    for (TPaintElement* e : drawList)
        if (e->text == itemText)
            return e;
    return nullptr;
}

void TPicture::ReleaseElementsOfText(const std::u16string& itemText)
{
    if (itemText.empty())
        return;
    for (TPaintElement* e : drawList)
        if (e->text == itemText)
            e->SetTaken(false);
}

TPaintElement* TPicture::HitTest(int px, int py) const
{
    if (blocked || drawList.empty())
        return nullptr;
    const float fx = float(px - pictureRect.x);
    const float fy = float(py - pictureRect.y);
    const float probes[9][2] = {{0, 0}, {0, -2}, {0, 2}, {-2, 0}, {2, 0}, {-2, -2}, {-2, 2}, {2, -2}, {2, 2}};
    TPaintElement* takenHit = nullptr;
    // Every element is examined, the first too: a search restored from the
    // profile has no placeholder in front, and the placeholder (z 0) is
    // never hit anyway.
    for (size_t i = drawList.size(); i-- > 0;) {
        TPaintElement* e = drawList[i];
        for (const auto& probe : probes) {
            if (e->CanBeHitAt(int(fx + probe[0]), int(fy + probe[1]))) {
                if (!e->taken)
                    return e;
                takenHit = e;
                break;
            }
        }
    }
    return takenHit;
}

void TPicture::TakeElement(TPaintElement* element)
{
    auto it = std::find(drawList.begin(), drawList.end(), element);
    if (it == drawList.end())
        return;
    drawList.erase(it);
    flying.push_back(element);
    element->tweenValues.erase(0);
    element->tweenFinished.erase(0);
    auto* tween = new FloatTrLine(0.0f, 1.0f, 2.0f, 0);
    FloatTransformer::AddListener(tween, element);
    Process::AddToList(tween);
}

void TPicture::DrawPicture(Graphics& g)
{
    const bool oldSmooth = g.smooth;
    const Rect oldClip = g.clipRect;
    g.smooth = false;
    const Point origin(pictureRect.x, pictureRect.y);
    for (TPaintElement* e : drawList)
        e->Draw(g, origin, 0xFFFFFFFFu);
    for (size_t i = 0; i < flying.size();) {
        TPaintElement* e = flying[i];
        if (e->TweenFinished(0)) {
            flying.erase(flying.begin() + std::ptrdiff_t(i));
            continue;
        }
        ++i;
        const float v = e->TweenValue(0);
        const float a = std::min(0.25f, v) * 4.0f;
        const float c = std::max(v - 0.25f, 0.0f) / 0.75f;
        e->scale = std::sin(a * 3.14f) * 0.2f + 1.0f;
        const Point pos = e->GetFramePosition();
        const Point size = e->GetFrameSize();
        const int dx = int(float(512 - pictureRect.x - pos.x) * c);
        const int dy = int(double(float(768 - pos.y - pictureRect.y) * c) - std::sin(double(c) * 3.14) * 100.0);
        const int ox = int((1.0f - e->scale) * float(size.x) * 0.5f);
        const int oy = int((1.0f - e->scale) * float(size.y) * 0.5f);
        const uint32_t alpha = uint32_t(std::clamp(int((1.0f - c) * 255.0f), 0, 255));
        e->Draw(g, Point(pictureRect.x + ox + dx, pictureRect.y + oy + dy), (alpha << 24) | 0xFFFFFFu);
    }
    if (blocked) {
        g.color = Color(0xCF000000u);
        g.FillRectangle(pictureRect);
        const int h = pictureRect.height;
        g.SaveState();
        g.font = FONT_BUTTON;
        g.color = Color(0xFFFFFFFFu);
        g.font = FONT_CORBEL;
        g.DrawWrappedText(Lang::Instance()("Interface", "Pause"),
                          Rect(pictureRect.x, pictureRect.y + h / 2 - h / 8, pictureRect.width, 2 * h / 8), -1, 0,
                          nullptr);
        g.RestoreState();
    }
    g.smooth = oldSmooth;
    g.clipRect = oldClip;
    notepad.Draw(g);
}

void TPicture::ShowHint()
{
    TNotepad::TRecord* record = notepad.PickHintRecord();
    if (!record || blocked)
        return;
    TPaintElement* element = FindElementByText(record->keyText);
    if (!element)
        return;
    SendNoData(static_cast<TMessenger*>(this), MSG_HINT_GIVEN);
    TMessageData data(element);
    Send(static_cast<TMessenger*>(this), MSG_HINT_TARGET, &data);
}

void TPicture::NotifyReady()
{
    hintsEnabled = true;
    TMessageData data(this);
    Send(static_cast<TMessenger*>(this), MSG_PICTURE_READY, &data);
}

bool TPicture::CheckFinished()
{
    // A search with no lines at all (none built yet) is not a win.
    if (!finishedSent && notepad.RecordCount() > 0 && notepad.AllFound()) {
        finishedSent = true;
        TMessageData data(this);
        Send(static_cast<TMessenger*>(this), MSG_PICTURE_COMPLETE, &data);
    }
    return finishedSent;
}

// ---- The search -------------------------------------------------------------------

void TPicture::Reset()
{
    drawList = scenery;
    notepad.Clear(this);
    // Objects left out of this search keep no text of an earlier one.
    for (TPaintElement* e : items)
        e->text.clear();
    int count = itemsInHog;
    const std::string usedSection = "ispy_" + name + "_used";

    std::map<std::u16string, std::vector<TPaintElement*>> groups;
    for (TPaintElement* e : items)
        for (const std::string& n : e->names) {
            if (n.empty())
                continue;
            std::vector<TPaintElement*>& group = groups[LookupKeyText("Keys", n)];
            if (std::find(group.begin(), group.end(), e) == group.end())
                group.push_back(e);
        }
    const std::u16string target = LookupKeyText("Keys", hogItem);

    // Candidates by use count: the texts with a profile key in key order,
    // then the others in text order.
    std::map<int, std::vector<std::u16string>> candidates;
    std::vector<std::u16string> filed;
    std::vector<std::string> keys;
    ListProfileSectionKeys(usedSection, keys);
    for (const std::string& key : keys) {
        const std::u16string t = DecodeHexKey(key);
        if (t == target || !groups.count(t) || std::find(filed.begin(), filed.end(), t) != filed.end())
            continue;
        int uses = 0;
        ProfileGetInt(usedSection, key, uses);
        candidates[uses].push_back(t);
        filed.push_back(t);
    }
    for (const auto& [t, group] : groups)
        if (t != target && std::find(filed.begin(), filed.end(), t) == filed.end())
            candidates[0].push_back(t);

    std::vector<TPaintElement*> rest = items;
    auto removeGroup = [&](const std::u16string& t) {
        groups.erase(t);
        for (auto it = candidates.begin(); it != candidates.end();) {
            std::erase(it->second, t);
            it = it->second.empty() ? candidates.erase(it) : std::next(it);
        }
    };
    auto list = [&](const std::u16string& t, const std::vector<TPaintElement*>& group) {
        notepad.AddRecord(t, int32_t(group.size()));
        for (TPaintElement* e : group) {
            e->text = t;
            drawList.push_back(e);
            auto at = std::find(rest.begin(), rest.end(), e);
            if (at != rest.end())
                rest.erase(at);
            else
                ProcessLog::GetInstance()->LogInfo("%s->%s", e->name, name);
        }
    };
    auto removeGroupsOfNames = [&](const std::vector<TPaintElement*>& group) {
        for (TPaintElement* e : group)
            for (const std::string& n : e->names)
                if (!n.empty())
                    removeGroup(LookupKeyText("Keys", n));
    };

    if (!hogItem.empty()) {
        auto found = groups.find(target);
        if (found != groups.end()) {
            --count;
            const std::vector<TPaintElement*> group = found->second;
            list(target, group);
            removeGroup(target);
            removeGroupsOfNames(group);
        } else {
            QUIB_LOG_ERROR("hog item not found: \"%s\"", Utf16ToUtf8(target));
        }
    }
    while (count != 0) {
        --count;
        if (groups.empty() || candidates.empty())
            break;
        std::vector<std::u16string>& texts = candidates.begin()->second;
        const size_t r = size_t(Quib::rand()) % texts.size();
        const std::u16string t = texts[r];
        const std::vector<TPaintElement*> group = groups[t];
        list(t, group);
        removeGroup(t);
        removeGroupsOfNames(group);
    }
    notepad.Layout();
    for (TPaintElement* e : rest)
        drawList.push_back(e);
    drawList.push_back(mPlaceholder.get());
    for (TPaintElement* e : drawList)
        e->SetTaken(true);
    notepad.ActivateLines();
    for (TPaintElement* e : drawList)
        e->ResetAnimation();
    SortByZ(drawList);
    finishedSent = false;
}

void TPicture::CountItemUse(const std::u16string& itemText)
{
    const std::string section = "ispy_" + name + "_used";
    const std::string key = EncodeHexKey(itemText);
    int uses = 0;
    if (ProfileGetInt(section, key, uses))
        ProfileSet(section, key, std::to_string(uses + 1));
    else
        ProfileSet(section, key, "1");
}

void TPicture::PlaceSphere(TPaintElement* element)
{
    if (!element)
        return;
    drawList.push_back(element);
    SortByZ(drawList);
}

void TPicture::RestoreSphereAt(const Point& point)
{
    for (TPaintElement* e : spheres) {
        if (e->GetFramePosition() == point) {
            if (std::find(drawList.begin(), drawList.end(), e) == drawList.end())
                drawList.push_back(e);
            SortByZ(drawList);
            return;
        }
    }
}

} // namespace Quib
