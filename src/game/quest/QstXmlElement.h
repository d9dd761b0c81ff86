#pragma once
#include <string>

class TiXmlElement;

namespace Quib {

// Where a reader's error texts go, with the element at fault (may be null).
// Every handler of the engine answers false, so that a reader can fail by
// returning the handler's answer.
struct QstXmlErrorHandler {
    void* object = nullptr;
    bool (*function)(void* object, const std::string& error, TiXmlElement* element) = nullptr;

    bool operator()(const std::string& error, TiXmlElement* element) const
    {
        return function ? function(object, error, element) : false;
    }
};

// A cursor over one element of a scene document: reading conventions of the
// scene format (required and defaulted attributes, "1" as true, C runtime
// number conversion) and the error handler chosen by whoever started reading.
// A writing cursor creates its element (and its parents') only when the
// first attribute is written under it.
class QstXmlElement {
public:
    // A root cursor over an element, with an explicit handler.
    QstXmlElement(TiXmlElement* element, QstXmlErrorHandler handler);
    // A cursor over a child element, with the handler of another cursor.
    QstXmlElement(TiXmlElement* element, const QstXmlElement& handlerOf);
    // A writing cursor: no element yet; created (and linked as the parent's
    // last child when there is a parent) on the first write.
    QstXmlElement(QstXmlErrorHandler handler, QstXmlElement* parent, std::string name);
    QstXmlElement(const QstXmlElement&) = default;
    QstXmlElement& operator=(const QstXmlElement&) = default;
    // Never deletes the element: the document owns it.
    ~QstXmlElement();

    // Reading. "Present" means TinyXML has a value for it, even empty.
    const char* GetAttrText(const char* name, bool report) const;
    bool GetAttr(const char* name, std::string& out) const;
    std::string GetAttrDefault(const char* name, const char* defaultValue) const;
    std::string GetAttrDefault(const char* name, const std::string& defaultValue) const;
    bool HasAttr(const char* name) const;
    bool GetAttrBool(const char* name, bool defaultValue) const;
    bool GetAttrBoolOpt(const char* name, bool& out) const;
    float GetAttrFloat(const char* name, float defaultValue) const;
    bool GetAttrFloatOpt(const char* name, float& out) const;
    int GetAttrInt(const char* name, int defaultValue) const;
    bool GetAttrUInt(const char* name, unsigned& out) const;

    // Writing; each first makes sure the element exists.
    void EnsureExists();
    void SetAttr(const std::string& value, const char* name);
    void SetAttrInt(const char* name, int value);
    void SetAttrBool(const char* name, bool value);
    void SetAttrTrue(const char* name);

    // Calls the handler with the text and this cursor's element.
    bool ReportError(const std::string& error) const;
    // The element's path for messages: tag("name"), tag(id="id") or
    // tag(key="value") parts joined with "/" from the outermost element.
    static std::string Describe(const TiXmlElement* element, const char* keyAttr);

    TiXmlElement* GetElement() const { return element; }
    const QstXmlErrorHandler& GetHandler() const { return handler; }

    TiXmlElement* element = nullptr;
    QstXmlErrorHandler handler;
    QstXmlElement* parent = nullptr;
    std::string name;
};

} // namespace Quib
