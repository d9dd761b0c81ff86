#pragma once
// What the quest layer tests share: pictures made in memory, a layer data
// context from a list of picture layers, XML elements read with an error
// handler that records its texts, and the process log caught.
#include "framework/graphics/MemoryImage.h"
#include "platform/headless/CapturingSink.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/QstXmlElement.h"

#include <tinyxml.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Quib::Testing {

// A new picture (no registry) with the pixel words given per (x, y).
MemoryImage* NewLayerPicture(int width, int height, const std::function<uint32_t(int, int)>& pixelAt);
// A one-colour picture.
MemoryImage* NewSolidPicture(int width, int height, uint32_t argb);

// A picture layer record: name, base z, x, y.
PsdLayerInfo LayerInfo(const std::string& name, int32_t baseZ, float x, float y);

// One element parsed from a text, with a cursor whose handler keeps the
// error texts (and answers false).
class LayerXml {
public:
    explicit LayerXml(const std::string& text);
    QstXmlElement& Cursor() { return *cursor; }
    std::vector<std::string> errors;

private:
    static bool OnError(void* self, const std::string& error, TiXmlElement* element);
    TiXmlDocument document;
    std::unique_ptr<QstXmlElement> cursor;
};

// The process log, open, with its entries caught for one test.
class LayerLog {
public:
    LayerLog();
    int Count(std::string_view text) const;

private:
    CapturingSink sink;
};

} // namespace Quib::Testing
