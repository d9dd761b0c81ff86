// Any bytes as a scene: the text before a line "====" is the scene document
// data\scenes\fuzz.xml, the text after it the layered picture's layers.ini
// (without such a line, a small picture of fixed layers). The scene goes
// through the real loading path, then its state, its hints, its update and
// the return from a hidden-object level run on whatever was read.
#include "FuzzSupport.h"
#include "platform/FileNames.h"
#include "platform/headless/CapturingSink.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/SBackFromHOGData.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib;
    static CapturingSink* sink = new CapturingSink; // boxes answer at once
    sink->boxes.clear();
    sink->debugLines.clear();

    const std::string bytes(Fuzz::Text(data, size));
    std::string xml = bytes;
    std::string layers = "[layers]\r\nmain/back = 0 0 0 0 0 0 0\r\nmain/box = 10 20 0 0 0 0 5\r\n"
                         "popup/back = 100 100 0 0 0 0 9\r\npopup/key = 120 130 0 0 0 0 10\r\n";
    const size_t split = bytes.find("\n====\n");
    if (split != std::string::npos) {
        xml = bytes.substr(0, split);
        layers = bytes.substr(split + 6);
    }
    {
        Fuzz::FuzzPak pak({{"data\\scenes\\fuzz.xml", xml, {}}, {"data\\scenes\\fuzz\\layers.ini", layers, {}}});
        ClearDirectoryCache();
        QstGameControllerScene& controller = QstGameControllerScene::Instance();
        QstScene* scene = controller.GetOrLoadScene("fuzz");
        if (!scene)
            Fuzz::Fail("no scene object");
        scene->ForEachItemPass1();
        scene->ForEachItemPass2();
        scene->UpdateScene(0.01f);
        scene->ShowHint();
        std::vector<std::string> names;
        scene->GetItemNames(names);
        SBackFromHOGData back;
        back.sceneName = "fuzz";
        back.wonActions = names.empty() ? std::string("none") : names.front();
        back.foundItems = names;
        if (back.Deserialize(back.Serialize()) == false)
            Fuzz::Fail("a return record does not read back");
        scene->BackFromHOG(back, controller.GetPoolData(scene->GetClusterName()));
        for (int i = 0; i < 3; ++i)
            scene->UpdateScene(0.5f);
        scene->CloseAllPopups();
        controller.ClearLevels();
    }
    return 0;
}
