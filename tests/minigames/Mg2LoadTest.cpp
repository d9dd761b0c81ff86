// Field data the second half's kinds refuse, with the message they report.
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/UserFolders.h"
#include "src/game/minigames/ChainLayer.h"
#include "src/game/minigames/QstChainLayerData.h"
#include "src/game/minigames/QstFieldChain.h"
#include "src/game/minigames/QstFieldMummy.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/minigames/QstFieldSpyGlass.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "tests/support/AppTestSupport.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quib::Mg2Test {
namespace {

class KindLoading : public ::testing::Test {
protected:
    KindLoading() : cwd(env.temp.Path())
    {
        app.appWidth = 1024;
        app.appHeight = 768;
        app.Initialize();
        SetUserDataFolder(Utf8ToUtf16(env.temp / "user"));
        env.temp.WriteFile("res/game.ini", "[Game]\r\nMinigameSkipTime=30\r\n");
        ClearDirectoryCache();
        LoadGameSettings();
    }
    ~KindLoading() override { SetUserDataFolder(u"."); }

    // Reads the element into a new field of the kind; the reports collected.
    bool Read(QstFieldMinigame* field, const std::string& xml)
    {
        owned.reset(field);
        errors.clear();
        document = std::make_unique<TiXmlDocument>();
        document->Parse(xml.c_str());
        QstXmlErrorHandler handler{this, [](void* self, const std::string& error, TiXmlElement*) {
                                       static_cast<KindLoading*>(self)->errors.push_back(error);
                                       return false;
                                   }};
        QstXmlElement element(document->RootElement(), handler);
        return field->DoInitFromXML(element, context);
    }
    bool Reported(const std::string& text) const
    {
        for (const std::string& e : errors)
            if (e.find(text) != std::string::npos)
                return true;
        return false;
    }

    Testing::HeadlessAppEnvironment env;
    Testing::ScopedWorkingDirectory cwd;
    Testing::TestApp app;
    SLoadLayerDataCont context;
    std::unique_ptr<TiXmlDocument> document;
    std::unique_ptr<QstFieldMinigame> owned;
    std::vector<std::string> errors;
};

TEST_F(KindLoading, MissingOrBadAttributesAreReportedAndRefused)
{
    const std::string win = "<OnWin/>";
    struct Case {
        const char* what;
        std::function<QstFieldMinigame*()> make;
        std::string xml;
        const char* message; // null: loads
    };
    const Case cases[] = {
        {"puzzle without range", [] { return new QstFieldPuzzle(nullptr, nullptr, "puzzle"); },
         "<Field name=\"p\" mask=\"p/\">" + win + "</Field>", "Attribute \"range\" not found"},
        {"puzzle with a negative range", [] { return new QstFieldPuzzle(nullptr, nullptr, "puzzle"); },
         "<Field name=\"p\" mask=\"p/\" range=\"-4\">" + win + "</Field>", "range"},
        {"puzzle", [] { return new QstFieldPuzzle(nullptr, nullptr, "puzzle"); },
         "<Field name=\"p\" mask=\"p/\" range=\"30\">" + win + "</Field>", nullptr},
        {"spy glass without time", [] { return new QstFieldSpyGlass(nullptr, nullptr, "spy_glass"); },
         "<Field name=\"s\" mask=\"s/\">" + win + "</Field>", "Attribute \"time_out\" not found"},
        {"spy glass", [] { return new QstFieldSpyGlass(nullptr, nullptr, "spy_glass"); },
         "<Field name=\"s\" mask=\"s/\" time_out=\"3\">" + win + "</Field>", nullptr},
        {"chain without its item", [] { return new QstFieldChain(nullptr, nullptr, "chain"); },
         "<Field name=\"c\" mask=\"c/\" chain_item_state=\"x\" target_item1=\"t\" chain_pos1=\"1,2\">" + win + "</Field>",
         "Attribute \"chain_item_name\" not found"},
        {"chain without targets", [] { return new QstFieldChain(nullptr, nullptr, "chain"); },
         "<Field name=\"c\" mask=\"c/\" chain_item_name=\"h\" chain_item_state=\"x\">" + win + "</Field>",
         "No one target item declared"},
        {"chain with an empty anchor", [] { return new QstFieldChain(nullptr, nullptr, "chain"); },
         "<Field name=\"c\" mask=\"c/\" chain_item_name=\"h\" chain_item_state=\"x\" target_item1=\"t\" chain_pos1=\"\">" + win +
             "</Field>",
         "Attribute \"chain_pos\" can't be empty"},
        {"chain after a layer the scene lacks", [] { return new QstFieldChain(nullptr, nullptr, "chain"); },
         "<Field name=\"c\" mask=\"c/\" chain_item_name=\"h\" chain_item_state=\"x\" insert_chain_after=\"nope\" "
         "target_item1=\"t\" chain_pos1=\"1,2\">" +
             win + "</Field>",
         "Layer \"nope\" not found (attribute \"insert_chain_after\""},
        {"mummy without hit count", [] { return new QstFieldMummy(nullptr, nullptr, "mummy"); },
         "<Field name=\"m\" mask=\"m/\" pool_item_name=\"a:b\" mummy_item_name=\"m\" mummy_item_state=\"s\" "
         "mummy_item_new_state=\"n\" mummy_item2_name=\"b\">" +
             win + "</Field>",
         "Attribute \"hit_count\" not found"},
    };
    for (const Case& c : cases) {
        const bool loaded = Read(c.make(), c.xml);
        if (c.message) {
            EXPECT_FALSE(loaded) << c.what;
            EXPECT_TRUE(Reported(c.message)) << c.what << ": " << (errors.empty() ? "" : errors.back());
        } else {
            EXPECT_TRUE(loaded) << c.what << ": " << (errors.empty() ? "" : errors.back());
        }
    }
}

TEST_F(KindLoading, ChainAnchorsKeepTheirDefaultsForMissingNumbers)
{
    auto* chain = new QstFieldChain(nullptr, nullptr, "chain");
    ASSERT_TRUE(Read(chain, "<Field name=\"c\" mask=\"c/\" chain_item_name=\"h\" chain_item_state=\"x\" target_item1=\"t\" "
                            "chain_pos1=\"12\" target_item2=\"u\" chain_pos2=\",7\"><OnWin/></Field>"));
    ASSERT_EQ(chain->targets.size(), 2u);
    EXPECT_EQ(chain->targets[0].layer->chainData->anchorX, 12.0f);
    EXPECT_EQ(chain->targets[0].layer->chainData->anchorY, 300.0f);
    EXPECT_EQ(chain->targets[1].layer->chainData->anchorX, 500.0f);
    EXPECT_EQ(chain->targets[1].layer->chainData->anchorY, 7.0f);
    EXPECT_FALSE(chain->targets[0].layer->IsTargetVisible()) << "hidden until the chain is out";
}

} // namespace
} // namespace Quib::Mg2Test
