#include "src/game/quest/Layer/QstImageLayerData.h"

#include "framework/graphics/Image.h"
#include "src/game/editor/LayerListProp.h"
#include "src/game/editor/QstGameControllerSceneEditor.h"
#include "src/game/editor/QstPropertyPage.h"
#include "src/game/editor/TextProp.h"
#include "src/game/quest/Layer/QstLayerImages.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/QstXmlElement.h"

namespace Quib {

QstImageLayerData::QstImageLayerData(int32_t zOrder) : QstLayerData(zOrder) {}

QstImageLayerData::~QstImageLayerData()
{
    Release();
    delete image; // an image set by hand without Load
}

bool QstImageLayerData::ReadImageAttributes(QstXmlElement& element, SLoadLayerDataCont& context,
                                            TPoint<float>& position, QstFieldLayer* fieldLayer)
{
    directory = context.directory;
    ReadCommonAttributes(element);
    if (!element.GetAttr("image", name))
        return false;
    PsdLayerInfo* info = context.Find(name);
    if (!info)
        return element.ReportError("Image \"" + name + "\"not found in psd");
    z = info->baseZ + int32_t(info->users.size());
    position = TPoint<float>(info->x, info->y);
    info->used = true;
    info->users.push_back(fieldLayer);
    return true;
}

bool QstImageLayerData::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context, const std::string&,
                                      TPoint<float>& position, QstFieldLayer* fieldLayer)
{
    return ReadImageAttributes(element, context, position, fieldLayer);
}

void QstImageLayerData::DoAddProperties(QstPropertyPage* page, std::string& title)
{
    if (!page)
        return;
    page->AddProperty(new TextProp(std::u16string(name.begin(), name.end())));
    QstLayerData::DoAddProperties(page, title);
    auto* list = new LayerListProp([](int) {}, [](int) {}, nullptr);
    list->FillFromScene(QstGameControllerSceneEditor::Instance().GetCurrentEditor());
    page->AddProperty(list);
}

void QstImageLayerData::DoLoad()
{
    // A reload never keeps the earlier picture alive.
    delete image;
    image = LoadQstLayerImage(directory + name);
    if (image) {
        width = float(image->width);
        height = float(image->height);
    }
}

void QstImageLayerData::DoUnload()
{
    delete image;
    image = nullptr;
}

bool QstImageLayerData::DoIsInVisibleGroup(const std::string&, const std::string& mask)
{
    return name.compare(0, mask.size(), mask) == 0;
}

std::string QstImageLayerData::GetResName() const
{
    return name;
}

std::string QstImageLayerData::ExportPoolImage(int& outWidth, int& outHeight)
{
    Load();
    if (!image)
        return std::string();
    const std::string path = ExportQstPoolImage(image, directory + name);
    if (!path.empty()) {
        outWidth = image->width;
        outHeight = image->height;
    }
    return path;
}

} // namespace Quib
