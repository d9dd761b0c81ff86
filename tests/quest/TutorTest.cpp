// The tutorial: steps read from the scene document, the player's position
// in them, the hooks that gate clicks, uses and closings, and its boxes.
#include "framework/graphics/Image.h"
#include "framework/widgets/Widget.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"
#include "src/game/quest/QstTutor.h"
#include "src/game/quest/QstTutorialBox.h"
#include "src/game/quest/QstXmlElement.h"
#include "tests/quest/PoolTestSupport.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace Quib::Testing {
namespace {

class TutorTest : public ::testing::Test {
protected:
    TutorTest()
    {
        Player().showTutorial = true;
        Player().currentTutorialStep = 0;
        frame.layers.push_back(MakeOpaqueLayer("_back", 100, 100, 200, 100));
        frame.layers.push_back(MakeOpaqueLayer("text", 110, 110, 180, 50));
        frame.layers.push_back(MakeOpaqueLayer("close/close_in", 150, 170, 80, 20));
        frame.layers.push_back(MakeOpaqueLayer("close/close_ac", 150, 170, 80, 20));
        tutor.frameLayout = &frame;
    }
    ~TutorTest() override
    {
        owner.DetachAllChildren(true, false);
        Player().showTutorial = true;
        Player().currentTutorialStep = 0;
    }
    static PlayerInfo& Player() { return GameControllerCommon::Instance().Player(); }
    static QstTutorStep Step(QstTutorStepKind kind, const std::string& item = "", const std::string& state = "")
    {
        QstTutorStep step;
        step.kind = kind;
        step.itemName = item;
        step.itemState = state;
        step.textKey = "tut";
        step.centerX = 300;
        step.centerY = 300;
        return step;
    }
    // The boxes the owner holds that are not closing.
    int OpenBoxes()
    {
        int n = 0;
        for (Widget* child : owner.children) {
            auto* box = dynamic_cast<QstTutorialBox*>(child);
            n += box && !box->closing;
        }
        return n;
    }

    PoolLogCapture log;
    PsdPicture frame;
    Widget owner;
    QstTutor tutor{&owner};
};

TEST_F(TutorTest, ClickStepLetsOnlyItsItemThroughAndThenAdvances)
{
    tutor.steps = {Step(QstTutorStepKind::Click, "harbour:door", "closed"),
                   Step(QstTutorStepKind::CloseClick)};
    tutor.StartStep();
    EXPECT_EQ(OpenBoxes(), 1);
    EXPECT_FALSE(tutor.OnClickTarget("harbour:crate", "closed"));
    EXPECT_FALSE(tutor.OnClickTarget("harbour:door", "open"));
    EXPECT_FALSE(tutor.IsClickAllowed("harbour:crate", "closed"));
    EXPECT_TRUE(tutor.IsClickAllowed("harbour:door", "closed"));
    EXPECT_EQ(Player().currentTutorialStep, 0);
    EXPECT_TRUE(tutor.OnClickTarget("harbour:door", "closed"));
    EXPECT_EQ(Player().currentTutorialStep, 1);
    EXPECT_EQ(OpenBoxes(), 1);
    tutor.OnCloseClick();
    EXPECT_EQ(Player().currentTutorialStep, 2);
    EXPECT_TRUE(tutor.IsFinished());
    EXPECT_EQ(OpenBoxes(), 0);
    // Finished: everything is let through.
    EXPECT_TRUE(tutor.OnClickTarget("harbour:crate", "x"));
    EXPECT_TRUE(tutor.AllowUse("a:b", "", "c:d", ""));
    EXPECT_FALSE(tutor.IsCloseDisabled());
}

TEST_F(TutorTest, StepIndexPastTheLastStepMatchesEverything)
{
    tutor.steps = {Step(QstTutorStepKind::Click, "harbour:door")};
    Player().currentTutorialStep = 7;
    EXPECT_TRUE(tutor.MatchesStep(QstTutorStepKind::Use, "x:y", "z"));
    EXPECT_TRUE(tutor.IsFinished());
    Player().currentTutorialStep = -3; // damaged profile
    QstTutor fresh(&owner);
    fresh.steps = tutor.steps;
    EXPECT_FALSE(fresh.IsFinished());
    EXPECT_EQ(fresh.current, 0);
}

TEST_F(TutorTest, UseStepChecksTheDraggedItemAndStepsBackOnAFailedDrag)
{
    QstTutorStep get = Step(QstTutorStepKind::GetDrag, "harbour:rope");
    QstTutorStep use = Step(QstTutorStepKind::Use, "harbour:boat", "tied");
    use.dragName = "harbour:rope";
    use.prevTutorialOnReset = true;
    tutor.steps = {get, use};
    EXPECT_TRUE(tutor.OnGetDrag("harbour:rope", "pool"));
    ASSERT_EQ(Player().currentTutorialStep, 1);
    EXPECT_FALSE(tutor.AllowUse("harbour:boat", "tied", "harbour:anchor", "pool"));
    tutor.StepBack();
    EXPECT_EQ(Player().currentTutorialStep, 0);
    tutor.OnGetDrag("harbour:rope", "pool");
    EXPECT_TRUE(tutor.AllowUse("harbour:boat", "tied", "harbour:rope", "pool"));
    EXPECT_EQ(Player().currentTutorialStep, 2);
}

TEST_F(TutorTest, StepWithoutBoxWaitsSilently)
{
    QstTutorStep silent = Step(QstTutorStepKind::BookClick);
    silent.noBox = true;
    tutor.steps = {silent, Step(QstTutorStepKind::WinMinigame)};
    tutor.StartStep();
    EXPECT_EQ(OpenBoxes(), 0);
    EXPECT_EQ(tutor.box, nullptr);
    tutor.OnWinMinigame();
    EXPECT_EQ(Player().currentTutorialStep, 0);
    tutor.OnBookClick();
    EXPECT_EQ(Player().currentTutorialStep, 1);
    EXPECT_EQ(OpenBoxes(), 1);
}

TEST_F(TutorTest, WinHogStepWaitsForAWonLevelOnly)
{
    QstTutorStep hog = Step(QstTutorStepKind::Click, "harbour:chest");
    hog.nextOnWinHog = true;
    hog.closeFieldDisabled = true;
    tutor.steps = {hog};
    EXPECT_TRUE(tutor.IsCloseDisabled());
    EXPECT_TRUE(tutor.OnClickTarget("harbour:chest", "x"));
    EXPECT_EQ(Player().currentTutorialStep, 0);
    tutor.OnWinHog();
    EXPECT_EQ(Player().currentTutorialStep, 1);
}

TEST_F(TutorTest, BoxClosesItselfAfterItsTimeOut)
{
    QstTutorStep step = Step(QstTutorStepKind::CloseClick);
    step.timeOut = 3.0f;
    QstTutorialBox box(nullptr, &frame, step);
    for (int i = 0; i < 299; ++i)
        box.Update();
    EXPECT_FALSE(box.closing);
    box.Update();
    EXPECT_TRUE(box.closing);
}

TEST_F(TutorTest, BoxCloseButtonEndsTheTutorial)
{
    tutor.steps = {Step(QstTutorStepKind::CloseClick), Step(QstTutorStepKind::CloseClick)};
    tutor.StartStep();
    ASSERT_NE(tutor.box, nullptr);
    tutor.box->ButtonDepress(0);
    EXPECT_FALSE(Player().showTutorial);
    EXPECT_TRUE(tutor.IsFinished());
}

TEST_F(TutorTest, BoxIsLaidOutAroundItsCentreAndArrow)
{
    QstTutorStep step = Step(QstTutorStepKind::CloseClick);
    step.centerX = 400;
    step.centerY = 300;
    step.arrowX = 250;
    step.arrowY = 180;
    std::unique_ptr<PsdPictureLayer> arrowLayer(MakeOpaqueLayer("arrow", 0, 0, 40, 30));
    step.arrow.reset(arrowLayer->image);
    arrowLayer->image = nullptr;
    QstTutorialBox box(nullptr, &frame, step);
    EXPECT_EQ(box.x, 250);
    EXPECT_EQ(box.y, 180);
    EXPECT_EQ(box.width, 400 + 100 - 250);
    EXPECT_EQ(box.backgroundX, 300 - 250);
    EXPECT_EQ(box.textRect.x, 50 + 10);
    EXPECT_TRUE(box.AcceptsPoint(box.backgroundX + 5, box.backgroundY + 5));
    EXPECT_FALSE(box.AcceptsPoint(2, 2)); // the arrow takes no clicks
}

class TutorReadTest : public TutorTest {
protected:
    static bool Collect(void* object, const std::string& error, TiXmlElement*)
    {
        static_cast<std::vector<std::string>*>(object)->push_back(error);
        return false;
    }
    bool Read(const char* xml)
    {
        document.Parse(xml);
        QstXmlElement root(document.RootElement(), QstXmlErrorHandler{&errors, &TutorReadTest::Collect});
        for (const char* name : {"a_door", "c_door", "a_box", "c_box"}) {
            PsdLayerInfo info;
            info.name = name;
            info.x = 40;
            info.y = 60;
            context.layers.push_back(info);
        }
        return reader.DoInitFromXML(root, context);
    }

    TiXmlDocument document;
    SLoadLayerDataCont context;
    std::vector<std::string> errors;
    QstTutor reader{&owner};
};

TEST_F(TutorReadTest, StepsAreReadInOrderAndOtherElementsSkipped)
{
    ASSERT_TRUE(Read("<Tutorial>"
                     "<Click item_name=\"harbour:door\" item_state=\"\" lang_id=\"t1\" arrow=\"a_door\" "
                     "dialog_center=\"c_door\" hide_by_click=\"0\"/>"
                     "<Wait time=\"1\"/>"
                     "<Use item_name=\"harbour:box\" item_state=\"shut\" drag_name=\"harbour:key\" drag_state=\"\" "
                     "lang_id=\"t2\" arrow=\"a_box\" dialog_center=\"c_box\" time_out=\"2.5\" no_box=\"\"/>"
                     "</Tutorial>"));
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(reader.steps.size(), 2u);
    EXPECT_EQ(reader.steps[0].kind, QstTutorStepKind::Click);
    EXPECT_TRUE(reader.steps[0].hideByClick);
    EXPECT_EQ(reader.steps[0].arrowX, 40);
    EXPECT_EQ(reader.steps[1].kind, QstTutorStepKind::Use);
    EXPECT_EQ(reader.steps[1].dragName, "harbour:key");
    EXPECT_EQ(reader.steps[1].itemState, "shut");
    EXPECT_FLOAT_EQ(reader.steps[1].timeOut, 2.5f);
    EXPECT_TRUE(reader.steps[1].noBox);
    EXPECT_FALSE(reader.steps[1].prevTutorialOnReset);
    EXPECT_TRUE(context.layers[0].used);
    EXPECT_NE(reader.box, nullptr); // the first step's box
}

TEST_F(TutorReadTest, ErrorsEndTheReadingWithTheStepsBefore)
{
    EXPECT_FALSE(Read("<Tutorial>"
                      "<BookClick lang_id=\"t1\" arrow=\"a_door\" dialog_center=\"c_door\"/>"
                      "<Click item_name=\"harbour:door\" item_state=\"\" lang_id=\"t2\" arrow=\"nowhere\" "
                      "dialog_center=\"c_door\"/>"
                      "<BookClick lang_id=\"t3\" arrow=\"a_door\" dialog_center=\"c_door\"/>"
                      "</Tutorial>"));
    EXPECT_EQ(errors, (std::vector<std::string>{"Can't find arrow layer: nowhere"}));
    EXPECT_EQ(reader.steps.size(), 1u);
    EXPECT_EQ(reader.box, nullptr);

    errors.clear();
    QstTutor other(&owner);
    TiXmlDocument doc;
    doc.Parse("<Tutorial><Use item_name=\"a:b\" item_state=\"\" lang_id=\"x\" arrow=\"a_door\" "
              "dialog_center=\"c_door\"/></Tutorial>");
    QstXmlElement root(doc.RootElement(), QstXmlErrorHandler{&errors, &TutorReadTest::Collect});
    EXPECT_FALSE(other.DoInitFromXML(root, context));
    EXPECT_EQ(errors, (std::vector<std::string>{"Attribute \"drag_name\" not found"}));
}

TEST_F(TutorTest, HogHelpBorrowsTheLayoutsPictures)
{
    PsdPicture hogLayout;
    hogLayout.layers.push_back(MakeOpaqueLayer("tut/a_03", 20, 30, 40, 40));
    hogLayout.layers.push_back(MakeOpaqueLayer("tut/b_03", 300, 300, 100, 60));
    {
        QstTutor hogTutor(&owner);
        hogTutor.ShowHogHelp3(&hogLayout);
        ASSERT_EQ(owner.children.size(), 1u);
        auto* box = dynamic_cast<QstTutorialBox*>(owner.children.front());
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->hideByClick);
        EXPECT_TRUE(box->hasTimeOut);
        EXPECT_FLOAT_EQ(box->timeOut, 5.0f);
        EXPECT_EQ(box->arrow.get(), hogLayout.layers[0]->image);
    }
    owner.DetachAllChildren(true, false);
    // The layout still owns a picture it can draw.
    EXPECT_EQ(hogLayout.layers[0]->image->width, 40);
}

} // namespace
} // namespace Quib::Testing
