#include "framework/app/ResourceManager.h"

#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PerfScope.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"
#include "framework/files/XMLParser.h"
#include "framework/graphics/BMFont.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/SysFont.h"
#include "framework/sound/SoundManager.h"
#include "platform/SystemVersion.h"
#include "platform/TextCodecs.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace Quib {

namespace {

std::string Narrow(std::u16string_view text)
{
    return Utf16ToWindows1252(text);
}

const std::u16string* FindAttribute(const XMLElement& element, const char16_t* name)
{
    const auto it = element.mAttributes.find(name);
    return it == element.mAttributes.end() ? nullptr : &it->second;
}

bool HasAttribute(const XMLElement& element, const char16_t* name)
{
    return FindAttribute(element, name) != nullptr;
}

std::string AttributeText(const XMLElement& element, const char16_t* name)
{
    const std::u16string* value = FindAttribute(element, name);
    return value ? Narrow(*value) : std::string();
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The leading decimal integer of the text, as atoi reads it; 0 without one,
// held to the int range.
int32_t LeadingInt(std::string_view text, bool* found = nullptr)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        digits = true;
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(INT32_MAX) + 1);
    }
    if (found)
        *found = digits;
    if (negative)
        value = -value;
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// "%x": the leading hexadecimal number (an optional 0x before it), its low
// 32 bits; false without one.
bool LeadingHex(std::string_view text, uint32_t& out)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        IsHexDigit(static_cast<unsigned char>(text[i + 2])))
        i += 2;
    uint32_t value = 0;
    bool digits = false;
    for (; i < text.size() && IsHexDigit(static_cast<unsigned char>(text[i])); ++i) {
        digits = true;
        value = value * 16 + HexDigitValue(static_cast<unsigned char>(text[i]));
    }
    if (!digits)
        return false;
    out = negative ? 0u - value : value;
    return true;
}

// A comma list: the leading integer of the text and of the text after
// every comma ("" gives one 0, "4,,7" gives 4, 0, 7).
void ReadCommaList(std::string_view text, std::vector<int32_t>& out)
{
    out.clear();
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        out.push_back(LeadingInt(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
}

// Default path or id prefix: the value without one trailing '\' or '/'.
std::string WithoutTrailingSlash(std::string text)
{
    if (!text.empty() && (text.back() == '\\' || text.back() == '/'))
        text.pop_back();
    return text;
}

// The file name of a path without its folder and extension.
std::string BaseNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    const size_t begin = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const size_t end = dot == std::string::npos || dot < begin ? path.size() : dot;
    return path.substr(begin, end - begin);
}

bool EqualsNoCaseAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x + ('a' - 'A'));
        if (y >= 'A' && y <= 'Z')
            y = char(y + ('a' - 'A'));
        if (x != y)
            return false;
    }
    return true;
}

// Fills in an animation: cel count, frame map, per-frame delays and the
// total time.
void CompleteAnimation(ImageAnimation& anim, int32_t celCount, int32_t beginDelay, int32_t endDelay)
{
    anim.frameCount = celCount > 0 ? celCount : 1;
    if (anim.frameDelay <= 0)
        anim.frameDelay = 1;
    if (anim.type == ImageAnimation::TYPE_PINGPONG && anim.frameCount > 1) {
        const int32_t n = anim.frameCount;
        anim.frameMap.clear();
        for (int32_t i = 0; i < n; ++i)
            anim.frameMap.push_back(i);
        for (int32_t i = n - 2; i >= 1; --i)
            anim.frameMap.push_back(i);
    }
    if (!anim.frameMap.empty())
        anim.frameCount = int32_t(std::min<size_t>(anim.frameMap.size(), INT32_MAX));
    if (beginDelay > 0)
        SetAtGrow(anim.perFrameDelays, 0, beginDelay);
    if (endDelay > 0)
        SetAtGrow(anim.perFrameDelays, anim.frameCount - 1, endDelay);

    int64_t total = 0;
    if (anim.perFrameDelays.empty()) {
        total = int64_t(anim.frameCount) * anim.frameDelay;
    } else {
        anim.perFrameDelays.resize(size_t(anim.frameCount), 0);
        for (int32_t& delay : anim.perFrameDelays) {
            if (delay < 1)
                delay = anim.frameDelay;
            total += delay;
        }
    }
    anim.totalTime = int32_t(std::min<int64_t>(total, INT32_MAX));
}

} // namespace

// ---- Records

void ResourceManager::ImageRes::Unload()
{
    image.Release();
}

void ResourceManager::SoundRes::Unload()
{
    if (soundId >= 0 && manager)
        if (SoundManager* sounds = manager->Sounds())
            sounds->ReleaseSound(unsigned(soundId));
    soundId = -1;
}

void ResourceManager::FontRes::Unload()
{
    font.reset();
}

// ---- The manager

ResourceManager::ResourceManager(QuibAppBase* application) : app(application) {}

SoundManager* ResourceManager::Sounds() const
{
    if (soundManager)
        return soundManager;
    return app ? app->soundManager.get() : nullptr;
}

ResourceManager::~ResourceManager()
{
    for (ResMap* map : {&imageMap, &soundMap, &fontMap}) {
        for (auto& [id, res] : *map)
            res->Unload();
        map->clear();
    }
    groups.clear();
    currentList = nullptr;
    delete parser;
    parser = nullptr;
}

bool ResourceManager::RecordError(const std::string& text)
{
    if (hasFailed)
        return false;
    hasFailed = true;
    errorText = text;
    if (parser) {
        if (parser->mLineNum > 0)
            errorText += StrFormat(" on Line %d", parser->mLineNum);
        if (!parser->GetFileName().empty())
            errorText += " in File '" + parser->GetFileName() + "'";
    }
    return false;
}

bool ResourceManager::RecordLoadError(const BaseRes& res, const std::string& text)
{
    std::string message = text;
    if (res.manifestLine > 0)
        message += StrFormat(" on Line %d", res.manifestLine);
    if (!res.manifestFile.empty())
        message += " in File '" + res.manifestFile + "'";
    QUIB_LOG_ERROR("%s (resource %s of group %s)", message, res.id, res.group);
    return RecordError(message);
}

// ---- Reading the manifest

bool ResourceManager::ParseManifest(const std::string& fileName)
{
    delete parser;
    parser = new XMLParser();
    // Comments are handed out, so that one inside a resource element is
    // found like any other stray element.
    parser->mAllowComments = true;
    if (!parser->OpenFile(fileName)) {
        delete parser;
        parser = nullptr;
        return RecordError("Resource file not found: " + fileName);
    }

    XMLElement element;
    for (;;) {
        if (!parser->NextElement(&element)) {
            // An empty document, or one that breaks before its root.
            if (parser->mHasFailed)
                RecordError(Narrow(parser->GetErrorText()));
            RecordError("Expecting ResourceManifest tag");
            break;
        }
        if (element.mType == XMLElement::TYPE_START) {
            if (element.mValue != u"ResourceManifest")
                RecordError("Expecting ResourceManifest tag");
            break;
        }
    }

    if (!hasFailed)
        ParseResourcesGroup();
    if (parser->mHasFailed)
        RecordError(Narrow(parser->GetErrorText()));
    delete parser;
    parser = nullptr;
    return !hasFailed;
}

bool ResourceManager::ParseResourcesGroup()
{
    XMLElement element;
    while (parser && !parser->mHasFailed && parser->NextElement(&element)) {
        if (element.mType == XMLElement::TYPE_START) {
            if (element.mValue != u"Resources") {
                RecordError("Invalid Section '" + Narrow(element.mValue) + "'");
                break;
            }
            currentGroup = AttributeText(element, u"id");
            currentList = &groups[currentGroup];
            if (currentGroup.empty()) {
                RecordError("No id specified.");
                break;
            }
            if (!ParseResources())
                break;
        } else if (element.mType == XMLElement::TYPE_TEXT) {
            RecordError("Element Not Expected '" + Narrow(element.mValue) + "'");
            break;
        }
    }
    return !hasFailed;
}

bool ResourceManager::ParseResources()
{
    XMLElement element;
    for (;;) {
        if (!parser->NextElement(&element)) {
            // A document that ends inside a group is cut short.
            if (!parser->mHasFailed)
                RecordError("Unexpected End of File");
            return false;
        }
        if (element.mType == XMLElement::TYPE_START) {
            bool ok;
            if (element.mValue == u"Image")
                ok = ParseImageResource(element);
            else if (element.mValue == u"Sound")
                ok = ParseSoundResource(element);
            else if (element.mValue == u"Font")
                ok = ParseFontResource(element);
            else if (element.mValue == u"SetDefaults")
                ok = ParseSetDefaults(element);
            else
                return RecordError("Invalid Section '" + Narrow(element.mValue) + "'");
            if (!ok)
                return false;
            if (!parser->NextElement(&element)) {
                if (!parser->mHasFailed)
                    RecordError("Unexpected End of File");
                return false;
            }
            if (element.mType != XMLElement::TYPE_END)
                return RecordError("Unexpected element found.");
        } else if (element.mType == XMLElement::TYPE_TEXT) {
            return RecordError("Element Not Expected '" + Narrow(element.mValue) + "'");
        } else if (element.mType == XMLElement::TYPE_END) {
            return true;
        }
    }
}

bool ResourceManager::ParseCommonResource(const XMLElement& element, BaseRes* res, ResMap& map)
{
    const std::string path = AttributeText(element, u"path");
    if (path.empty())
        return RecordError("No path specified.");
    res->attributes = element.mAttributes;
    if (path[0] == '!') {
        res->path = path;
        res->program = path == "!program";
    } else {
        res->path = defaultPath + path;
    }
    if (const std::u16string* id = FindAttribute(element, u"id"))
        res->id = defaultIdPrefix + Narrow(*id);
    else
        res->id = defaultIdPrefix + BaseNameOf(res->path);
    res->group = currentGroup;
    if (parser) {
        res->manifestLine = parser->mLineNum;
        res->manifestFile = parser->GetFileName();
    }
    if (map.count(res->id))
        return RecordError("Resource already defined.");
    map[res->id].reset(res);
    if (currentList)
        currentList->push_back(res);
    return true;
}

void ResourceManager::Undefine(ResMap& map, BaseRes* res)
{
    for (auto& [name, list] : groups)
        list.remove(res);
    map.erase(res->id);
}

bool ResourceManager::ParseSoundResource(const XMLElement& element)
{
    auto res = std::make_unique<SoundRes>();
    res->type = ResType_Sound;
    res->manager = this;
    SoundRes* sound = res.get();
    if (!ParseCommonResource(element, sound, soundMap))
        return false;
    res.release(); // the map holds it now

    if (const std::u16string* volume = FindAttribute(element, u"volume")) {
        size_t used = 0;
        const double value = ParseDoubleC(Narrow(*volume), &used);
        if (used > 0)
            sound->volume = value;
    }
    if (const std::u16string* pan = FindAttribute(element, u"pan")) {
        bool found = false;
        const int32_t value = LeadingInt(Narrow(*pan), &found);
        if (found)
            sound->pan = value;
    }
    return true;
}

bool ResourceManager::ParseImageResource(const XMLElement& element)
{
    auto res = std::make_unique<ImageRes>();
    res->type = ResType_Image;
    ImageRes* image = res.get();
    if (!ParseCommonResource(element, image, imageMap))
        return false;
    res.release(); // the map holds it now

    const bool display3D = app && app->display && app->display->is3D;
    image->palletize = !HasAttribute(element, u"nopal");
    image->a4r4g4b4 = HasAttribute(element, u"a4r4g4b4");
    image->a8r8g8b8 = HasAttribute(element, u"a8r8g8b8");
    image->minSubdivide = HasAttribute(element, u"minsubdivide");
    image->ddsurface = HasAttribute(element, u"ddsurface");
    image->purgeBits = HasAttribute(element, u"nobits") || (HasAttribute(element, u"nobits3d") && display3D) ||
                       (HasAttribute(element, u"nobits2d") && !display3D);
    if (const std::u16string* alpha = FindAttribute(element, u"alphaimage"))
        image->alphaImage = defaultPath + Narrow(*alpha);
    if (const std::u16string* color = FindAttribute(element, u"alphacolor")) {
        uint32_t value = 0;
        if (LeadingHex(Narrow(*color), value))
            image->alphaColor = value & 0xFFFFFF; // a colour; the alpha comes from the picture
    }
    if (const std::u16string* variant = FindAttribute(element, u"variant"))
        image->variant = Narrow(*variant);
    if (const std::u16string* grid = FindAttribute(element, u"alphagrid"))
        image->alphaGrid = defaultPath + Narrow(*grid);
    if (const std::u16string* rows = FindAttribute(element, u"rows"))
        image->rows = LeadingInt(Narrow(*rows));
    if (const std::u16string* cols = FindAttribute(element, u"cols"))
        image->cols = LeadingInt(Narrow(*cols));
    if (image->rows < 1 || image->cols < 1 || image->rows > kMaxCelGrid || image->cols > kMaxCelGrid) {
        // Cels are cut by dividing by the grid: a grid of no cels (or of
        // more cels than any picture has pixels) is refused.
        const std::string text = StrFormat("Invalid cel grid: rows %d and cols %d must be from 1 to %d.",
                                           image->rows, image->cols, kMaxCelGrid);
        Undefine(imageMap, image);
        return RecordError(text);
    }

    ImageAnimation& anim = image->animation;
    if (const std::u16string* type = FindAttribute(element, u"anim")) {
        const std::string name = Narrow(*type);
        if (EqualsNoCaseAscii(name, "none"))
            anim.type = ImageAnimation::TYPE_NONE;
        else if (EqualsNoCaseAscii(name, "once"))
            anim.type = ImageAnimation::TYPE_ONCE;
        else if (EqualsNoCaseAscii(name, "loop"))
            anim.type = ImageAnimation::TYPE_LOOP;
        else if (EqualsNoCaseAscii(name, "pingpong"))
            anim.type = ImageAnimation::TYPE_PINGPONG;
        else
            return RecordError("Invalid animation type.");
    }
    if (anim.type != ImageAnimation::TYPE_NONE) {
        int32_t beginDelay = 0;
        int32_t endDelay = 0;
        if (const std::u16string* delay = FindAttribute(element, u"framedelay"))
            anim.frameDelay = LeadingInt(Narrow(*delay));
        if (const std::u16string* delay = FindAttribute(element, u"begindelay"))
            beginDelay = LeadingInt(Narrow(*delay));
        if (const std::u16string* delay = FindAttribute(element, u"enddelay"))
            endDelay = LeadingInt(Narrow(*delay));
        if (const std::u16string* delays = FindAttribute(element, u"perframedelay"))
            ReadCommaList(Narrow(*delays), anim.perFrameDelays);
        if (const std::u16string* map = FindAttribute(element, u"framemap"))
            ReadCommaList(Narrow(*map), anim.frameMap);
        CompleteAnimation(anim, std::max(image->rows, image->cols), beginDelay, endDelay);
    }
    return true;
}

bool ResourceManager::ParseFontResource(const XMLElement& element)
{
    auto res = std::make_unique<FontRes>();
    res->type = ResType_Font;
    FontRes* font = res.get();
    if (!ParseCommonResource(element, font, fontMap))
        return false;
    res.release(); // the map holds it now

    font->imagePath = AttributeText(element, u"image");
    font->tags = AttributeText(element, u"tags");
    if (font->path.compare(0, 5, "!sys:") == 0) {
        font->sysFont = true;
        font->path = font->path.substr(5);
        font->pointSize = HasAttribute(element, u"size") ? LeadingInt(AttributeText(element, u"size")) : 0;
        if (font->pointSize <= 0)
            return RecordError("SysFont needs point size");
        font->bold = HasAttribute(element, u"bold");
        font->italic = HasAttribute(element, u"italic");
        font->underline = HasAttribute(element, u"underline");
    }
    return true;
}

bool ResourceManager::ParseSetDefaults(const XMLElement& element)
{
    if (const std::u16string* path = FindAttribute(element, u"path"))
        defaultPath = WithoutTrailingSlash(Narrow(*path)) + "/";
    if (const std::u16string* prefix = FindAttribute(element, u"idprefix"))
        defaultIdPrefix = WithoutTrailingSlash(Narrow(*prefix));
    return true;
}

// ---- Loading

void ResourceManager::StartLoadResources(const std::string& group)
{
    errorText.clear();
    hasFailed = false;
    currentGroup = group;
    currentList = &groups[group];
    loadCursor = currentList->begin();
}

bool ResourceManager::LoadNextResource()
{
    if (hasFailed || !currentList)
        return false;
    while (loadCursor != currentList->end()) {
        BaseRes* res = *loadCursor++;
        if (res->program)
            continue;
        switch (res->type) {
        case ResType_Image: {
            auto* image = static_cast<ImageRes*>(res);
            if (!image->image.GetRecordImage())
                return DoLoadImage(image);
            break;
        }
        case ResType_Sound: {
            auto* sound = static_cast<SoundRes*>(res);
            if (sound->soundId == -1)
                return DoLoadSound(sound);
            break;
        }
        case ResType_Font: {
            auto* font = static_cast<FontRes*>(res);
            if (!font->font)
                return DoLoadFont(font);
            break;
        }
        default: break;
        }
    }
    return false;
}

bool ResourceManager::LoadResources(const std::string& group)
{
    errorText.clear();
    hasFailed = false;
    StartLoadResources(group);
    // A failure is kept and the rest of the group still loads, so that every
    // missing resource is reported at once.
    std::string firstError;
    bool failed = false;
    for (;;) {
        const bool loaded = LoadNextResource();
        if (hasFailed) {
            if (!failed)
                firstError = errorText;
            failed = true;
            errorText.clear();
            hasFailed = false;
        } else if (!loaded && (!currentList || loadCursor == currentList->end())) {
            break; // the end of the group
        }
    }
    if (failed) {
        errorText = firstError;
        hasFailed = true;
        return false;
    }
    loadedGroups.insert(group);
    return true;
}

std::string ResourceManager::SharedImageVariant(const ImageRes& res)
{
    const ImageAnimation& anim = res.animation;
    if (res.alphaImage.empty() && res.alphaGrid.empty() && res.alphaColor == 0xFFFFFF && res.rows == 1 &&
        res.cols == 1 && anim.type == ImageAnimation::TYPE_NONE)
        return res.variant;
    // Characters no file name or variant of the manifest holds keep the
    // description apart from any plain variant.
    std::string key = res.variant;
    key += '\x01';
    key += res.alphaImage;
    key += '\x01';
    key += res.alphaGrid;
    key += StrFormat("\x01%d\x01%d\x01%06X", res.rows, res.cols, res.alphaColor);
    if (anim.type != ImageAnimation::TYPE_NONE) {
        key += StrFormat("\x01%d\x01%d\x01%d\x01", anim.type, anim.frameDelay, anim.frameCount);
        for (int32_t delay : anim.perFrameDelays)
            key += StrFormat("%d,", delay);
        key += '\x01';
        for (int32_t cel : anim.frameMap)
            key += StrFormat("%d,", cel);
    }
    return key;
}

bool ResourceManager::DoLoadImage(ImageRes* res)
{
    PerfScope perf("ResourceManager:GetImage");
    SharedImageRef ref;
    bool created = false;
    if (app) {
        ImageLib::AlphaOnlyColor = res->alphaColor;
        ref = app->GetSharedImage(res->path, SharedImageVariant(*res), &created);
        ImageLib::AlphaOnlyColor = 0xFFFFFF;
    }
    DDImage* image = ref.GetRecordImage();
    if (!image)
        return RecordLoadError(*res, StrFormat("Failed to load image: %s", res->path));

    if (created) {
        if (!res->alphaImage.empty() && !LoadAlphaImage(res, image))
            return false;
        if (!res->alphaGrid.empty() && !LoadAlphaGridImage(res, image))
            return false;
    }

    image->ApplyBitsChange();
    res->image = ref;
    image->purgeBits = res->purgeBits;

    if (res->ddsurface) {
        PerfScope surfacePerf("ResourceManager:DDSurface");
        image->ApplyBitsChange();
        if (!image->hasAlpha) {
            image->keepOnSurface = true;
            image->purgeBits = true;
        }
    }
    if (res->palletize) {
        PerfScope palettePerf("ResourceManager:Palletize");
        if (image->surface)
            image->wantPalette = true;
        else
            image->TryPalettize();
    }
    if (res->a4r4g4b4)
        image->textureFlags |= 0x4;
    if (res->a8r8g8b8)
        image->textureFlags |= 0x8;
    if (res->minSubdivide)
        image->textureFlags |= 0x1;
    if (res->animation.type != ImageAnimation::TYPE_NONE)
        image->animation = std::make_unique<ImageAnimation>(res->animation);
    image->rows = res->rows;
    image->cols = res->cols;
    if (image->purgeBits)
        image->ReleaseBits();

    ResourceLoadedHook(res);
    return true;
}

bool ResourceManager::LoadAlphaImage(ImageRes* res, DDImage* image)
{
    std::unique_ptr<ImageLib::Image> alpha;
    {
        PerfScope perf("ResourceManager::GetImage");
        alpha = ImageLib::LoadImageFile(res->alphaImage, false);
    }
    if (!alpha)
        return RecordLoadError(*res, StrFormat("Failed to load image: %s", res->alphaImage));
    if (alpha->width != image->width || alpha->height != image->height)
        return RecordLoadError(*res,
                               StrFormat("AlphaImage size mismatch between %s and %s", res->path, res->alphaImage));
    uint32_t* pixels = image->Pixels();
    if (!pixels)
        return RecordLoadError(*res, StrFormat("Failed to load image: %s", res->path));
    const size_t count = size_t(image->width) * size_t(image->height);
    for (size_t i = 0; i < count; ++i)
        pixels[i] = (pixels[i] & 0x00FFFFFF) | ((alpha->pixels[i] & 0xFF) << 24);
    image->NotePixelsEdited();
    return true;
}

bool ResourceManager::LoadAlphaGridImage(ImageRes* res, DDImage* image)
{
    std::unique_ptr<ImageLib::Image> grid = ImageLib::LoadImageFile(res->alphaGrid, false);
    if (!grid)
        return RecordLoadError(*res, StrFormat("Failed to load image: %s", res->alphaGrid));
    if (res->rows < 1 || res->cols < 1 || grid->width != image->width / res->cols ||
        grid->height != image->height / res->rows)
        return RecordLoadError(*res, StrFormat("GridAlphaImage size mismatch between %s and %s", res->path,
                                               res->alphaGrid));
    uint32_t* pixels = image->Pixels();
    if (!pixels)
        return RecordLoadError(*res, StrFormat("Failed to load image: %s", res->path));
    const int32_t w = grid->width;
    const int32_t h = grid->height;
    for (int32_t row = 0; row < res->rows; ++row)
        for (int32_t col = 0; col < res->cols; ++col)
            for (int32_t y = 0; y < h; ++y) {
                uint32_t* line = pixels + size_t(row * h + y) * size_t(image->width) + size_t(col * w);
                const uint32_t* source = grid->pixels + size_t(y) * size_t(w);
                for (int32_t x = 0; x < w; ++x)
                    line[x] = (line[x] & 0x00FFFFFF) | ((source[x] & 0xFF) << 24);
            }
    image->NotePixelsEdited();
    return true;
}

bool ResourceManager::DoLoadFont(FontRes* res)
{
    PerfScope perf("ResourceManager:DoLoadFont");
    std::unique_ptr<Font> font;
    if (res->sysFont) {
        const bool bold = res->bold && !IsWindows9x();
        font = std::make_unique<SysFont>(res->path, res->pointSize, bold, res->italic, res->underline);
    } else if (res->imagePath.empty()) {
        if (res->path.compare(0, 5, "!ref:") == 0) {
            const std::string refId = res->path.substr(5);
            Font* source = FindLoadedFont(refId);
            if (!source)
                return RecordLoadError(*res, "Ref font not found: " + refId);
            font.reset(source->Clone());
        } else {
            font = std::make_unique<BMFont>(res->path);
        }
    }
    // A font drawn from a picture (image and tags) has no loader here: it
    // fails like a font that does not load.
    if (font && font->IsLoaded()) {
        res->font = std::move(font);
        perf.End();
        ResourceLoadedHook(res);
        return true;
    }
    return RecordLoadError(*res, StrFormat("Failed to load font: %s", res->path));
}

bool ResourceManager::DoLoadSound(SoundRes* res)
{
    PerfScope perf("ResourceManager:LoadSound");
    SoundManager* sounds = Sounds();
    if (!sounds)
        return RecordLoadError(*res, StrFormat("Failed to load sound: %s", res->path));
    const int id = sounds->GetFreeSoundId();
    if (id < 0)
        return RecordLoadError(*res, "Out of free sound ids");
    if (!sounds->LoadSound(unsigned(id), res->path))
        return RecordLoadError(*res, StrFormat("Failed to load sound: %s", res->path));
    if (res->volume >= 0.0)
        sounds->SetBaseVolume(unsigned(id), res->volume);
    if (res->pan != 0)
        sounds->SetBasePan(unsigned(id), res->pan);
    res->soundId = id;
    ResourceLoadedHook(res);
    return true;
}

void ResourceManager::ResourceLoadedHook(BaseRes*) {}

// ---- Unloading

void ResourceManager::DeleteResources(const std::string& group)
{
    DeleteResourceMap(imageMap, group);
    DeleteResourceMap(soundMap, group);
    DeleteResourceMap(fontMap, group);
    if (group.empty())
        loadedGroups.clear();
    else
        loadedGroups.erase(group);
}

void ResourceManager::DeleteResourceMap(ResMap& map, const std::string& group)
{
    for (auto& [id, res] : map)
        if (group.empty() || res->group == group)
            res->Unload();
}

// ---- Getters

SharedImageRef ResourceManager::GetImageThrow(const std::string& id)
{
    const auto it = imageMap.find(id);
    if (it != imageMap.end()) {
        auto* res = static_cast<ImageRes*>(it->second.get());
        if (res->image.GetImage())
            return res->image;
    }
    RecordError(StrFormat("Image resource not found: %s", id));
    throw ResourceManagerException(errorText);
}

int ResourceManager::GetSoundThrow(const std::string& id)
{
    const auto it = soundMap.find(id);
    if (it != soundMap.end()) {
        auto* res = static_cast<SoundRes*>(it->second.get());
        if (res->soundId != -1)
            return res->soundId;
    }
    RecordError(StrFormat("Sound resource not found: %s", id));
    throw ResourceManagerException(errorText);
}

Font* ResourceManager::GetFontThrow(const std::string& id)
{
    const auto it = fontMap.find(id);
    if (it != fontMap.end()) {
        auto* res = static_cast<FontRes*>(it->second.get());
        if (res->font)
            return res->font.get();
    }
    RecordError(StrFormat("Font resource not found: %s", id));
    throw ResourceManagerException(errorText);
}

Font* ResourceManager::FindLoadedFont(const std::string& id)
{
    const auto it = fontMap.find(id);
    if (it == fontMap.end())
        return nullptr;
    return static_cast<FontRes*>(it->second.get())->font.get();
}

} // namespace Quib
