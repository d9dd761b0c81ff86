// Any bytes as an inventory pool's text in the profile: read into a pool
// over a small scene whose items it may name, then laid out, updated,
// saved and read again. The pool never lists an item twice nor keeps an
// entry without an item, and what it saves reads back to the same text.
#include "FuzzSupport.h"
#include "platform/FileNames.h"
#include "platform/headless/CapturingSink.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolPlace.h"

#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Quib;
    static CapturingSink* sink = new CapturingSink; // boxes answer at once
    sink->boxes.clear();
    sink->debugLines.clear();

    const std::string dock = R"(<Scene ambient_sounds="harbour">)"
                             R"(<Item name="key"><State name="normal"/><State name="pool"/></Item>)"
                             R"(<Item name="coin"><State name="normal"/><State name="pool"/></Item>)"
                             R"(<Field name="main" mask="main/"/></Scene>)";
    {
        Fuzz::FuzzPak pak({{"data\\scenes\\Dock.xml", dock, {}},
                           {"data\\scenes\\Dock\\layers.ini", "[layers]\r\nmain/back = 0 0 0 0 0 0 0\r\n", {}}});
        ClearDirectoryCache();
        QstGameControllerScene& controller = QstGameControllerScene::Instance();
        std::string saved;
        {
            QstPoolData pool;
            pool.Load(std::string(Fuzz::Text(data, size)));
            std::set<QstItem*> seen;
            for (const QstPoolPlace& place : pool.places) {
                if (!place.entry)
                    continue;
                if (!place.entry->item)
                    Fuzz::Fail("an entry without an item was kept");
                if (!seen.insert(place.entry->item).second)
                    Fuzz::Fail("an item is listed twice");
            }
            pool.LoadLayout();
            for (int i = 0; i < 5; ++i)
                pool.Update(0.3f);
            pool.MouseDown(40, 40, 0, 1);
            pool.EndDrag(false);
            for (int i = 0; i < 5; ++i)
                pool.Update(0.3f);
            saved = pool.Save();
        }
        QstPoolData again;
        again.Load(saved);
        if (again.Save() != saved)
            Fuzz::Fail("a saved pool does not read back");
        controller.ClearLevels();
    }
    return 0;
}
