#include "src/game/quest/QstXmlElement.h"

#include <tinyxml.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace Quib {

QstXmlElement::QstXmlElement(TiXmlElement* elementIn, QstXmlErrorHandler handlerIn)
    : element(elementIn), handler(handlerIn)
{
}

QstXmlElement::QstXmlElement(TiXmlElement* elementIn, const QstXmlElement& handlerOf)
    : element(elementIn), handler(handlerOf.handler)
{
}

QstXmlElement::QstXmlElement(QstXmlErrorHandler handlerIn, QstXmlElement* parentIn, std::string nameIn)
    : handler(handlerIn), parent(parentIn), name(std::move(nameIn))
{
}

QstXmlElement::~QstXmlElement() = default;

const char* QstXmlElement::GetAttrText(const char* attrName, bool report) const
{
    const char* text = element ? element->Attribute(attrName) : nullptr;
    if (!text && report)
        ReportError(std::string("Attribute \"") + attrName + "\" not found");
    return text;
}

bool QstXmlElement::GetAttr(const char* attrName, std::string& out) const
{
    const char* text = GetAttrText(attrName, true);
    if (!text)
        return false;
    out = text;
    return true;
}

std::string QstXmlElement::GetAttrDefault(const char* attrName, const char* defaultValue) const
{
    const char* text = GetAttrText(attrName, false);
    if (text)
        return text;
    return defaultValue ? std::string(defaultValue) : std::string();
}

std::string QstXmlElement::GetAttrDefault(const char* attrName, const std::string& defaultValue) const
{
    const char* text = GetAttrText(attrName, false);
    return text ? std::string(text) : defaultValue;
}

bool QstXmlElement::HasAttr(const char* attrName) const
{
    return GetAttrText(attrName, false) != nullptr;
}

bool QstXmlElement::GetAttrBool(const char* attrName, bool defaultValue) const
{
    const char* text = GetAttrText(attrName, false);
    if (!text)
        return defaultValue;
    return std::string_view(text) == "1";
}

bool QstXmlElement::GetAttrBoolOpt(const char* attrName, bool& out) const
{
    const char* text = GetAttrText(attrName, true);
    if (!text)
        return false;
    out = std::string_view(text) == "1";
    return true;
}

float QstXmlElement::GetAttrFloat(const char* attrName, float defaultValue) const
{
    const char* text = GetAttrText(attrName, false);
    if (!text)
        return defaultValue;
    return static_cast<float>(std::strtod(text, nullptr));
}

bool QstXmlElement::GetAttrFloatOpt(const char* attrName, float& out) const
{
    const char* text = GetAttrText(attrName, true);
    if (!text)
        return false;
    out = static_cast<float>(std::strtod(text, nullptr));
    return true;
}

namespace {

// atoi without its undefined behaviour on overflow: the value saturates.
int ParseXmlInteger(const char* text)
{
    long long value = std::strtoll(text, nullptr, 10);
    if (value > 2147483647LL)
        return 2147483647;
    if (value < -2147483647LL - 1)
        return -2147483647 - 1;
    return static_cast<int>(value);
}

} // namespace

int QstXmlElement::GetAttrInt(const char* attrName, int defaultValue) const
{
    const char* text = GetAttrText(attrName, false);
    if (!text)
        return defaultValue;
    return ParseXmlInteger(text);
}

bool QstXmlElement::GetAttrUInt(const char* attrName, unsigned& out) const
{
    const char* text = GetAttrText(attrName, true);
    if (!text)
        return false;
    out = static_cast<unsigned>(ParseXmlInteger(text));
    return true;
}

void QstXmlElement::EnsureExists()
{
    if (element)
        return;
    element = new TiXmlElement(name.c_str());
    if (parent) {
        parent->EnsureExists();
        // LinkEndChild takes ownership of the new element.
        parent->element->LinkEndChild(element);
    }
}

void QstXmlElement::SetAttr(const std::string& value, const char* attrName)
{
    EnsureExists();
    element->SetAttribute(attrName, value.c_str());
}

void QstXmlElement::SetAttrInt(const char* attrName, int value)
{
    EnsureExists();
    element->SetAttribute(attrName, value);
}

void QstXmlElement::SetAttrBool(const char* attrName, bool value)
{
    EnsureExists();
    element->SetAttribute(attrName, value ? "1" : "0");
}

void QstXmlElement::SetAttrTrue(const char* attrName)
{
    SetAttrBool(attrName, true);
}

bool QstXmlElement::ReportError(const std::string& error) const
{
    return handler(error, element);
}

std::string QstXmlElement::Describe(const TiXmlElement* start, const char* keyAttr)
{
    std::vector<std::string> parts;
    for (const TiXmlNode* node = start; node && node->ToElement(); node = node->Parent()) {
        const TiXmlElement* e = node->ToElement();
        std::string part = e->Value() ? e->Value() : "";
        if (const char* n = e->Attribute("name"))
            part += std::string("(\"") + n + "\")";
        else if (const char* id = e->Attribute("id"))
            part += std::string("(id=\"") + id + "\")";
        else if (keyAttr && *keyAttr) {
            if (const char* key = e->Attribute(keyAttr))
                part += std::string("(") + keyAttr + "=\"" + key + "\")";
        }
        parts.push_back(std::move(part));
    }
    std::string out;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        if (!out.empty())
            out += "/";
        out += *it;
    }
    return out;
}

} // namespace Quib
