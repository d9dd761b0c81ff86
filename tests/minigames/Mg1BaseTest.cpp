// The shared operations of the mini-games: angle turns, picture taking,
// the factory's kinds, the base's saved state.
#include "src/game/minigames/QstFieldBuro.h"
#include "src/game/minigames/QstFieldDoorLock.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldMusicBox.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/minigames/QstMinigameMakers.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstMinigameFactory.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>

namespace Quib::Mg1Test {
namespace {

constexpr float kTwoPiF = 6.2831855f;

TEST(MinigameAngles, NormalizeAngleWraps)
{
    const struct {
        float in, out;
    } cases[] = {{-0.5f, kTwoPiF - 0.5f}, {kTwoPiF, 0.0f}, {1.0f, 1.0f}, {3 * kTwoPiF + 0.25f, 0.25f},
                 {-2 * kTwoPiF, 0.0f}};
    for (const auto& c : cases) {
        float a = c.in;
        NormalizeAngle(a);
        EXPECT_NEAR(a, c.out, 1e-4f) << c.in;
        EXPECT_GE(a, 0.0f);
        EXPECT_LT(a, kTwoPiF);
    }
}

TEST(MinigameAngles, RotateTakesTheShortWay)
{
    float a = 3.0f;
    EXPECT_TRUE(RotateAngleTowards(a, 0.1f, 3.0f));
    // From 0.1 toward 6.2: down through 0, wrapping to just below 2 pi.
    a = 0.1f;
    EXPECT_FALSE(RotateAngleTowards(a, 0.15f, 6.2f));
    EXPECT_GT(a, 6.2f);
    int steps = 0;
    while (!RotateAngleTowards(a, 0.15f, 6.2f) && steps < 100)
        ++steps;
    EXPECT_LT(steps, 5);
    EXPECT_NEAR(a, 6.2f, 1e-5f);
    // A target outside [0, 2 pi) is reached as the same direction.
    a = 0.2f;
    for (steps = 0; steps < 100 && !RotateAngleTowards(a, 0.05f, -0.3f); ++steps) {
    }
    EXPECT_LT(steps, 20);
    EXPECT_NEAR(a, kTwoPiF - 0.3f, 1e-4f);
}

TEST(MinigameFactory, BuildsTheKindsByTheirExactType)
{
    RegisterMinigames1Kinds();
    std::vector<std::string> errors;
    QstXmlErrorHandler handler{&errors, [](void* self, const std::string& text, TiXmlElement*) {
                                   static_cast<std::vector<std::string>*>(self)->push_back(text);
                                   return false;
                               }};
    auto make = [&](const char* type) {
        TiXmlDocument doc;
        doc.Parse((std::string("<Field name=\"f\" mask=\"m/\" type=\"") + type + "\"/>").c_str());
        QstXmlElement element(doc.RootElement(), handler);
        return std::unique_ptr<QstField>(CreateMinigameField(nullptr, element));
    };
    EXPECT_NE(dynamic_cast<QstFieldSeif*>(make("safe").get()), nullptr);
    EXPECT_NE(dynamic_cast<QstFieldBuro*>(make("buro").get()), nullptr);
    EXPECT_NE(dynamic_cast<QstFieldDoorLock*>(make("door_lock").get()), nullptr);
    EXPECT_NE(dynamic_cast<QstFieldLock15*>(make("lock15").get()), nullptr);
    auto box = make("musicbox");
    auto* music = dynamic_cast<QstFieldMusicBox*>(box.get());
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->GetTypeName(), "musicbox");
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(make("").get(), nullptr);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(make("Safe").get(), nullptr);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Can't create minigame of type \"Safe\"");
}

class MinigameBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.directory = "data\\scenes\\x\\";
        for (const char* name : {"m/r", "m/00_ac", "r", "m/other"}) {
            PsdLayerInfo info;
            info.name = name;
            info.x = 10.0f;
            info.y = 20.0f;
            info.baseZ = 300;
            context.layers.push_back(info);
        }
    }
    std::unique_ptr<QstFieldBuro> ReadBuro(const std::string& xml)
    {
        doc = std::make_unique<TiXmlDocument>();
        doc->Parse(xml.c_str());
        QstXmlElement element(doc->RootElement(), {&reported, [](void* self, const std::string& text, TiXmlElement*) {
                                                      static_cast<std::vector<std::string>*>(self)->push_back(text);
                                                      return false;
                                                  }});
        auto field = std::make_unique<QstFieldBuro>(nullptr, nullptr, "buro");
        field->DoInitFromXML(element, context);
        return field;
    }

    SLoadLayerDataCont context;
    std::unique_ptr<TiXmlDocument> doc;
    std::vector<std::string> reported;
};

TEST_F(MinigameBase, LoadFieldPictureTakesTheExactLayerOnce)
{
    QstFieldSeif field(nullptr, nullptr, "safe");
    field.mask = "m/";
    MinigamePicture* dial = LoadFieldPicture(context, "r", &field, true);
    ASSERT_NE(dial, nullptr);
    EXPECT_EQ(dial->name, "m/r");
    EXPECT_EQ(dial->imagePath, "data\\scenes\\x\\m/r");
    EXPECT_EQ(dial->x, 10.0f);
    EXPECT_EQ(dial->z, 300);
    EXPECT_TRUE(context.layers[0].used);
    EXPECT_FALSE(context.layers[2].used);
    MinigamePicture* plain = LoadFieldPicture(context, "r", &field, false);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->name, "r");
    EXPECT_EQ(LoadFieldPicture(context, "R", &field, true), nullptr) << "names compare exactly";
    EXPECT_EQ(LoadFieldPicture(context, "missing", &field, true), nullptr);
    EXPECT_EQ(field.pictures.size(), 2u);
    EXPECT_EQ(&field.pictures.front(), dial) << "pictures keep their addresses";
}

TEST_F(MinigameBase, OnWinAndSkipTimeComeFromTheElement)
{
    auto buro = ReadBuro("<Field name=\"b\" mask=\"m/\" skip_time=\"0\"><OnWin/></Field>");
    EXPECT_EQ(buro->GetOnWinName(), "b_OnWin");
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(buro->GetSkipControl()->chargeTime, 0.0f);
    EXPECT_EQ(buro->GetSkipControl()->chargeRatio, 0.0f);
    // A skip time of 0 never charges.
    buro->GetSkipControl()->SetVisible(true, true);
    for (int i = 0; i < 50; ++i)
        buro->Update(1.0f);
    EXPECT_EQ(buro->GetSkipControl()->chargeRatio, 0.0f);

    auto plain = ReadBuro("<Field name=\"c\" mask=\"m/\"/>");
    EXPECT_TRUE(plain->GetOnWinName().empty());
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], "Tag \"OnWin\" not found");
}

TEST_F(MinigameBase, PuzzleStateIsSavedOnlyWhileOpened)
{
    auto buro = ReadBuro("<Field name=\"b\" mask=\"m/\" skip_time=\"60\"><OnWin/></Field>");
    auto save = [&](QstFieldMinigame& field) {
        TiXmlElement out("Field");
        QstXmlElement element(&out, QstXmlErrorHandler());
        EXPECT_TRUE(field.SaveState(element));
        return std::string(out.Attribute("skip_time") ? out.Attribute("skip_time") : "-") + "/" +
               (out.Attribute("tutor") ? out.Attribute("tutor") : "-");
    };
    EXPECT_EQ(save(*buro), "-/-");
    buro->Open();
    buro->GetSkipControl()->chargeElapsed = 12.5f;
    EXPECT_EQ(save(*buro), "12.5/1");
    // Loaded into a new field: the time and the opened flag come back.
    auto again = ReadBuro("<Field name=\"b\" mask=\"m/\" skip_time=\"60\"><OnWin/></Field>");
    TiXmlElement in("Field");
    in.SetAttribute("skip_time", "12.5");
    in.SetAttribute("tutor", "1");
    QstXmlElement element(&in, QstXmlErrorHandler());
    EXPECT_TRUE(again->LoadState(element));
    EXPECT_TRUE(again->IsOpened());
    EXPECT_TRUE(again->WasTutorShown());
    EXPECT_FLOAT_EQ(again->GetSkipControl()->chargeRatio, 12.5f / 60.0f);
    EXPECT_EQ(save(*again), "12.5/1");
    again->Win();
    EXPECT_EQ(save(*again), "-/-") << "a won puzzle writes no puzzle state";
}

} // namespace
} // namespace Quib::Mg1Test
