#pragma once
// Small stand-ins for the close-up field tests: a layer data of a given
// size and resource name, a rectangular layer that records how it is drawn,
// and the shared frame layout built from solid pictures.

#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"

#include <memory>
#include <string>
#include <vector>

namespace Quib::QfieldsTest {

class TestLayerData : public QstLayerData {
public:
    TestLayerData(int32_t depth, float w, float h, std::string resource) : QstLayerData(depth), res(std::move(resource))
    {
        width = w;
        height = h;
    }
    void DoLoad() override { ++loads; }
    void DoUnload() override { ++unloads; }
    bool DoIsInVisibleGroup(const std::string& groupName, const std::string& groupMask) override
    {
        return !groupName.empty() && res.compare(0, groupMask.size(), groupMask) == 0;
    }
    std::string GetResName() const override { return res; }

    std::string res;
    int loads = 0;
    int unloads = 0;
};

// Hits inside its rectangle; draws by recording the colour and origin.
class TestLayer : public QstLayer {
public:
    TestLayer(TestLayerData* d, float px, float py) : QstLayer(d)
    {
        x = px;
        y = py;
        alpha = 1.0f;
    }
    bool HitTest(int px, int py) const override
    {
        return px >= 0 && py >= 0 && px < int(data->width) && py < int(data->height);
    }
    void Draw(Graphics& g, DrawTransform& transform, QstSceneDistortion*) override
    {
        ++draws;
        drawnColor = g.color;
        originX = transform.preX + transform.postX;
        originY = transform.preY + transform.postY;
        drawnScale = transform.scaleX;
    }

    int draws = 0;
    Color drawnColor;
    float originX = 0.0f;
    float originY = 0.0f;
    float drawnScale = 1.0f;
};

inline TestLayer* MakeLayer(int32_t depth, float px, float py, float w, float h, const std::string& res = "layer")
{
    return new TestLayer(new TestLayerData(depth, w, h, res), px, py);
}

inline TestLayerData* DataOf(QstFieldLayer* layer) { return static_cast<TestLayerData*>(layer->GetLayer()->data); }

inline MemoryImage* SolidPicture(int w, int h, uint32_t word)
{
    std::vector<uint32_t> words(size_t(w) * size_t(h), word);
    auto* image = new MemoryImage(nullptr);
    image->AssignPixels(words.data(), w, h, true);
    return image;
}

// The frame layout: "frame" at (100, 30) 96 x 96, the plates "up" at
// (80, 0) and "bottom" at (80, 110), 60 x 40 each, and the control pictures
// 40 x 30 placed 10, 5 into their plates. Frame top 30, frame bottom 24.
class FrameLayoutScope {
public:
    FrameLayoutScope()
    {
        auto picture = std::make_unique<PsdPicture>();
        Add(*picture, "frame", 100, 30, SolidPicture(96, 96, 0xFF806040u));
        Add(*picture, "up", 80, 0, SolidPicture(60, 40, 0xFF404040u));
        Add(*picture, "bottom", 80, 110, SolidPicture(60, 40, 0xFF404040u));
        for (const char* name : {"skip/skip_in", "skip/skip_ac", "skip/skip_dn"})
            Add(*picture, name, 90, 5, SolidPicture(40, 30, 0xFFFFFFFFu));
        for (const char* name : {"close/close_in", "close/close_ac", "close/close_dn"})
            Add(*picture, name, 90, 115, SolidPicture(40, 30, 0xFFFFFFFFu));
        GameControllerCommon::Instance().SetSharedPicture(GameControllerCommon::PICTURE_RAMKA, std::move(picture));
    }
    ~FrameLayoutScope()
    {
        GameControllerCommon::Instance().SetSharedPicture(GameControllerCommon::PICTURE_RAMKA, nullptr);
    }
    FrameLayoutScope(const FrameLayoutScope&) = delete;
    FrameLayoutScope& operator=(const FrameLayoutScope&) = delete;

private:
    static void Add(PsdPicture& picture, const char* name, int px, int py, Image* image)
    {
        auto* layer = new PsdPictureLayer();
        layer->name = name;
        layer->x = layer->homeX = px;
        layer->y = layer->homeY = py;
        layer->image = image;
        picture.layers.push_back(layer);
    }
};

// Collects the texts reported through an XML error handler.
struct ErrorLog {
    std::vector<std::string> messages;

    QstXmlErrorHandler Handler()
    {
        return {this, [](void* self, const std::string& error, TiXmlElement*) {
                    static_cast<ErrorLog*>(self)->messages.push_back(error);
                    return false;
                }};
    }
};

} // namespace Quib::QfieldsTest
