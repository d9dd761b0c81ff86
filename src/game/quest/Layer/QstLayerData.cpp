#include "src/game/quest/Layer/QstLayerData.h"

#include "framework/files/PrintfFormat.h"
#include "src/game/editor/ColorProp.h"
#include "src/game/editor/LabeledBoolProp.h"
#include "src/game/editor/LabeledProp.h"
#include "src/game/editor/QstPropertyPage.h"
#include "src/game/editor/TextProp.h"
#include "src/game/quest/QstXmlElement.h"

#include <cstdlib>

namespace Quib {

QstLayerData::QstLayerData(int32_t zOrder) : z(zOrder) {}

QstLayerData::~QstLayerData() = default;

bool QstLayerData::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont&, const std::string&, TPoint<float>&,
                                 QstFieldLayer*)
{
    return ReadCommonAttributes(element);
}

void QstLayerData::DoAddProperties(QstPropertyPage* page, std::string&)
{
    if (!page)
        return;
    auto number = [](float value) {
        const std::string text = StrFormat("%g", double(value));
        return std::u16string(text.begin(), text.end());
    };
    page->AddProperty(new LabeledProp(u"Width", new TextProp(number(width)), true));
    page->AddProperty(new LabeledProp(u"Height", new TextProp(number(height)), true));
    page->AddProperty(new LabeledBoolProp(u"Disabled", &disabled));
    page->AddProperty(new LabeledBoolProp(u"Mouse visible", &mouseVisible));
    page->AddProperty(new ColorProp(u"Color", &color));
}

void QstLayerData::DoLoad() {}

void QstLayerData::DoUnload() {}

bool QstLayerData::DoIsInVisibleGroup(const std::string&, const std::string&)
{
    return false;
}

std::string QstLayerData::GetResName() const
{
    return name;
}

std::string QstLayerData::ExportPoolImage(int&, int&)
{
    return std::string();
}

void QstLayerData::Load()
{
    if (loaded)
        return;
    loaded = true;
    DoLoad();
}

void QstLayerData::Release()
{
    if (!loaded)
        return;
    loaded = false;
    DoUnload();
}

void QstLayerData::LoadOnShow(bool wasVisible)
{
    if (autoLoad && shown && groupVisible && wasVisible)
        Load();
}

void QstLayerData::SetResource(const std::string& dir, const std::string& resName)
{
    const bool reload = loaded && (dir != directory || resName != name);
    if (reload)
        Release();
    directory = dir;
    name = resName;
    ApplyNamingRules(resName);
    if (reload)
        Load();
}

void QstLayerData::ApplyNamingRules(const std::string& resName)
{
    if (resName.size() >= 3 && resName.compare(resName.size() - 3, 3, "_fx") == 0)
        mouseVisible = false;
    const size_t slash = resName.rfind('/');
    if (slash != std::string::npos && slash + 1 < resName.size() && resName[slash + 1] == '_')
        disabled = true;
}

bool QstLayerData::ParseColor(const std::string& text, Color& out)
{
    // Leading blanks and an optional 0x, then up to eight hex digits, as a
    // "%X" scan reads them.
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    uint32_t value = 0;
    int digits = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        if (digits == 8)
            return false; // more than 32 bits
        value = (value << 4) | uint32_t(d);
        ++digits;
    }
    if (digits == 0)
        return false;
    // RRGGBB without an alpha byte means opaque.
    if (digits <= 6)
        value |= 0xFF000000u;
    out = Color(int32_t((value >> 16) & 255), int32_t((value >> 8) & 255), int32_t(value & 255),
                int32_t((value >> 24) & 255));
    return true;
}

bool QstLayerData::ReadCommonAttributes(QstXmlElement& element)
{
    color = Color(255, 255, 255, 255);
    const char* colorText = element.GetAttrText("color", false);
    if (colorText && !ParseColor(colorText, color))
        color = Color(255, 255, 255, 255);
    bool flag = false;
    if (element.HasAttr("mouse_visible") && element.GetAttrBoolOpt("mouse_visible", flag))
        mouseVisible = flag;
    if (element.HasAttr("disabled") && element.GetAttrBoolOpt("disabled", flag))
        disabled = flag;
    if (element.HasAttr("fade_time")) {
        const float fadeTime = element.GetAttrFloat("fade_time", 0.5f);
        // 0 (or less) means the change shows at once.
        fadeSpeed = fadeTime > 0.0f ? 1.0f / fadeTime : 0.0f;
    }
    if (element.HasAttr("force_load"))
        forceLoad = true;
    return true;
}

} // namespace Quib
