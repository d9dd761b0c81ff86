// Loading action scripts: the factory, names, cursor kinds, load errors.
#include "src/game/quest/actions/QstActionAddParticles.h"
#include "src/game/quest/actions/QstActionAddPopupField.h"
#include "src/game/quest/actions/QstActionAddProgress.h"
#include "src/game/quest/actions/QstActionCheckState.h"
#include "src/game/quest/actions/QstActionDisablePopupClose.h"
#include "src/game/quest/actions/QstActionMsgBook.h"
#include "src/game/quest/actions/QstActionMsgBubble.h"
#include "src/game/quest/actions/QstActionRemoveFromPool.h"
#include "src/game/quest/actions/QstActionRemovePopupField.h"
#include "src/game/quest/actions/QstActionSetState.h"
#include "src/game/quest/actions/QstActionSound.h"
#include "src/game/quest/actions/QstActionToHOG.h"
#include "src/game/quest/actions/QstActionToMovie.h"
#include "src/game/quest/actions/QstActionToPool.h"
#include "src/game/quest/actions/QstActionToScene.h"
#include "src/game/quest/actions/QstActionVisibleGroup.h"
#include "src/game/quest/actions/QstActionWait.h"
#include "src/game/quest/actions/QstActionsGroupData.h"
#include "tests/quest/ActionsTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

namespace Quib::Testing {
namespace {

struct QaFactoryCase {
    const char* element;
    std::function<bool(QstActionData*)> isKind;
};

template <class T>
std::function<bool(QstActionData*)> QaKindIs()
{
    return [](QstActionData* d) { return dynamic_cast<T*>(d) != nullptr; };
}

TEST(QstActionFactory, MakesEveryKindByExactElementName)
{
    const QaFactoryCase cases[] = {
        {"SetState", QaKindIs<QstActionDataSetState>()},
        {"Action", [](QstActionData* d) { return typeid(*d) == typeid(QstActionsGroupData); }},
        {"AddPopupField", QaKindIs<QstActionDataAddPopupField>()},
        {"ShowVisibleGroup", [](QstActionData* d) {
             auto* v = dynamic_cast<QstActionDataShowVisibleGroup*>(d);
             return v && v->show;
         }},
        {"HideVisibleGroup", [](QstActionData* d) {
             auto* v = dynamic_cast<QstActionDataHideVisibleGroup*>(d);
             return v && !v->show;
         }},
        {"ToPool", QaKindIs<QstActionDataToPool>()},
        {"RemoveFromPool", QaKindIs<QstActionDataRemoveFromPool>()},
        {"ToScene", QaKindIs<QstActionDataToScene>()},
        {"CheckState", QaKindIs<QstActionDataCheckState>()},
        {"ToHOG", QaKindIs<QstActionDataToHOG>()},
        {"Wait", QaKindIs<QstActionDataWait>()},
        {"AddParticles", QaKindIs<QstActionDataAddParticles>()},
        {"Sound", QaKindIs<QstActionDataSound>()},
        {"RemovePopupField", QaKindIs<QstActionDataRemovePopupField>()},
        {"MsgBubble", QaKindIs<QstActionDataMsgBubble>()},
        {"MsgBook", QaKindIs<QstActionDataMsgBook>()},
        {"ToMovie", QaKindIs<QstActionDataToMovie>()},
        {"AddProgress", QaKindIs<QstActionDataAddProgress>()},
        {"DisablePopupClose", QaKindIs<QstActionDataDisablePopupClose>()},
    };
    for (const QaFactoryCase& c : cases) {
        std::unique_ptr<QstActionData> data(CreateActionData(c.element, "n"));
        ASSERT_TRUE(data) << c.element;
        EXPECT_TRUE(c.isKind(data.get())) << c.element;
        EXPECT_EQ(data->GetName(), "n");
    }
    for (const char* other : {"setstate", "UseAction", "OnClick", "", "Action "})
        EXPECT_EQ(CreateActionData(other, "n"), nullptr) << other;
}

TEST(QstActionsGroupData, NamesChildrenWithACounterThatSkipsNamedAndIgnoredOnes)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<OnClick><Sound sound_name='a'/><Sound name='N' sound_name='b'/><Bogus/>"
                          "<Sound sound_name='c'/></OnClick>",
                          "G"));
    EXPECT_EQ(book.Names(), (std::vector<std::string>{"G", "G_00", "G_01", "N"}));
    auto* group = dynamic_cast<QstActionsGroupData*>(book.Find("G"));
    ASSERT_TRUE(group);
    ASSERT_EQ(group->children.size(), 3u);
    EXPECT_EQ(group->children[1].name, "N");
    EXPECT_EQ(static_cast<QstActionDataSound*>(book.Find("G_01"))->soundName, "c");
}

struct QaCursorCase {
    const char* xml;
    EQstCursorType cursor;
    const char* popup;
    const char* target;
    bool conditional;
};

TEST(QstActionsGroupData, CursorKindsCombineAsTheChildrenSay)
{
    const QaCursorCase cases[] = {
        {"<g/>", QST_CURSOR_NONE, "", "", false},
        {"<g><ToScene scene_name='s2'/><AddPopupField field_name='box'/></g>", QST_CURSOR_LEAVE, "", "scene_s2", false},
        {"<g><AddPopupField field_name='box'/><ToScene scene_name='s2'/></g>", QST_CURSOR_LEAVE, "box", "scene_s2",
         false},
        {"<g><SetState new_state='x'/><AddPopupField field_name='box'/></g>", QST_CURSOR_CLOSEUP, "box", "", false},
        {"<g><AddParticles particles_name='p'/></g>", QST_CURSOR_NONE, "", "", false},
        {"<g><Sound sound_name='s'/></g>", QST_CURSOR_USE, "", "", false},
        {"<g><ToHOG item1='a' scene_name='h' hog_item='k'/><ToScene scene_name='s2'/></g>", QST_CURSOR_HOG, "", "",
         false},
        {"<g><ToMovie movie_name='m' next_scene='s' hand_cursor='0'><OnDone/></ToMovie></g>", QST_CURSOR_USE, "",
         "movie_m", false},
        {"<g><ToMovie movie_name='m' next_scene='s'><OnDone/></ToMovie></g>", QST_CURSOR_LEAVE, "", "movie_m", false},
        {"<g><Wait time='1'><AddPopupField field_name='f'/></Wait></g>", QST_CURSOR_CLOSEUP, "f", "", false},
        {"<g><Wait time='1'/></g>", QST_CURSOR_NONE, "", "", false},
        {"<g><CheckState item1='door' state1='open'><ToScene scene_name='s3'/></CheckState></g>", QST_CURSOR_LEAVE,
         "", "scene_s3", true},
        {"<g><CheckState item1='door' state1='shut'><ToScene scene_name='s3'/></CheckState></g>", QST_CURSOR_NONE,
         "", "", true},
        {"<g><AddPopupField field_name='a'/><AddPopupField field_name='b'/></g>", QST_CURSOR_CLOSEUP, "b", "", false},
        {"<g><UseAction name='G_00'/><RemovePopupField/></g>", QST_CURSOR_USE, "", "", false},
    };
    for (const QaCursorCase& c : cases) {
        ScriptBook book;
        book.actor.items["door"] = "open";
        ASSERT_TRUE(book.Load(c.xml, "G")) << c.xml;
        std::string popup;
        std::string target;
        bool conditional = false;
        EXPECT_EQ(book.Find("G")->GetCursorType(&book.actor, popup, &conditional, &target), c.cursor) << c.xml;
        EXPECT_EQ(popup, c.popup) << c.xml;
        EXPECT_EQ(target, c.target) << c.xml;
        EXPECT_EQ(conditional, c.conditional) << c.xml;
    }
}

struct QaErrorCase {
    const char* xml;
    const char* error;
};

TEST(QstActionData, LoadErrorsAreReportedWithTheirTexts)
{
    const QaErrorCase cases[] = {
        {"<g><UseAction/></g>", "Attribute \"name\" not found"},
        {"<g><SetState item='' new_state='a'/></g>", "Attribute \"item\" can't be void string (name=\"G_00\")"},
        {"<g><SetState/></g>", "Attribute \"new_state\" not found"},
        {"<g><ToPool item='' new_state='a'/></g>", "Attribute \"item\" can't be void string (name=\"G_00\")"},
        {"<g><RemoveFromPool name='r' item=''/></g>", "Attribute \"item\" can't be void string (name=\"r\")"},
        {"<g><CheckState name='c' item1='door'/></g>",
         "Attribute \"state1\" can't be void string when \"item1\" found (name=\"c\")"},
        {"<g><CheckState name='c' state1='open'/></g>",
         "Attribute \"item1\" can't be void string when \"state1\" found (name=\"c\")"},
        {"<g><CheckState name='c'/></g>", "No one condition found (name=\"c\")"},
        {"<g><ToHOG name='h' scene_name='s' hog_item='k'/></g>", "No one item found (name=\"h\")"},
        {"<g><ToHOG item1='a' hog_item='k'/></g>", "Attribute \"scene_name\" not found"},
        {"<g><ToHOG item1='a' scene_name='s'/></g>", "Attribute \"hog_item\" not found"},
        {"<g><Wait/></g>", "Attribute \"time\" not found"},
        {"<g><ToMovie movie_name='m' next_scene='s'/></g>", "Tag OnDone not found"},
        {"<g><ToMovie next_scene='s'><OnDone/></ToMovie></g>", "Attribute \"movie_name\" not found"},
        {"<g><ToScene/></g>", "Attribute \"scene_name\" not found"},
        {"<g><AddPopupField/></g>", "Attribute \"field_name\" not found"},
        {"<g><DisablePopupClose/></g>", "Attribute \"field_name\" not found"},
        {"<g><ShowVisibleGroup/></g>", "Attribute \"group_name\" not found"},
        {"<g><AddParticles/></g>", "Attribute \"particles_name\" not found"},
        {"<g><Sound/></g>", "Attribute \"sound_name\" not found"},
        {"<g><MsgBubble/></g>", "Attribute \"text\" not found"},
        {"<g><MsgBook/></g>", "Attribute \"record\" not found"},
    };
    for (const QaErrorCase& c : cases) {
        ScriptBook book;
        EXPECT_FALSE(book.Load(c.xml, "G")) << c.xml;
        ASSERT_EQ(book.errors.size(), 1u) << c.xml;
        EXPECT_EQ(book.errors[0], c.error) << c.xml;
    }
}

TEST(QstActionsGroupData, AFailedChildEndsTheGroupButKeepsWhatCameBefore)
{
    ScriptBook book;
    EXPECT_FALSE(book.Load("<g><Sound sound_name='a'/><Sound/><Sound sound_name='c'/></g>", "G"));
    auto* group = dynamic_cast<QstActionsGroupData*>(book.Find("G"));
    ASSERT_TRUE(group);
    ASSERT_EQ(group->children.size(), 1u);
    EXPECT_EQ(book.Names(), (std::vector<std::string>{"G", "G_00"}));
}

TEST(QstActionData, AttributesReadWithTheirDefaultsAndForms)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><ToPool name='p' new_state='inv' fly_from_pos='12.5,-3' no_fly='1' dst_item='s:b'/>"
                          "<ToPool name='q' item='x' new_state='inv' no_fly='true'/>"
                          "<AddParticles name='a' particles_name='spark' pos='100,200'/>"
                          "<AddParticles name='b' particles_name='spark'/>"
                          "<SetState name='s' new_state='on' is_immediately='01' is_update_pool='1'/>"
                          "<CheckState name='c' item1='door' state1='open' state3='x'/>"
                          "<Wait name='w' time='abc'/></g>",
                          "G"));
    auto* p = static_cast<QstActionDataToPool*>(book.Find("p"));
    EXPECT_TRUE(p->item.empty());
    EXPECT_TRUE(p->hasFlyFromPos);
    EXPECT_FLOAT_EQ(p->flyFromPos.x, 12.5f);
    EXPECT_FLOAT_EQ(p->flyFromPos.y, -3.0f);
    EXPECT_TRUE(p->noFly);
    EXPECT_EQ(p->dstItem, "s:b");
    auto* q = static_cast<QstActionDataToPool*>(book.Find("q"));
    EXPECT_EQ(q->item, "x");
    EXPECT_FALSE(q->hasFlyFromPos);
    EXPECT_FALSE(q->noFly);
    auto* a = static_cast<QstActionDataAddParticles*>(book.Find("a"));
    EXPECT_TRUE(a->hasPos);
    EXPECT_EQ(a->pos, Point(100, 200));
    EXPECT_FALSE(static_cast<QstActionDataAddParticles*>(book.Find("b"))->hasPos);
    auto* s = static_cast<QstActionDataSetState*>(book.Find("s"));
    EXPECT_FALSE(s->isImmediately);
    EXPECT_TRUE(s->isUpdatePool);
    EXPECT_EQ(static_cast<QstActionDataCheckState*>(book.Find("c"))->conditions.size(), 1u);
    EXPECT_EQ(static_cast<QstActionDataWait*>(book.Find("w"))->time, 0.0f);
}

TEST(QstActionData, NestedGroupsAreVisitedAndCollectScenes)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><Wait name='w' time='1'><ToScene scene_name='a'/></Wait>"
                          "<ToHOG name='h' item1='i' scene_name='lvl' hog_item='k'><ToScene scene_name='b'/></ToHOG>"
                          "<ToMovie name='m' movie_name='mv' next_scene='c'><OnDone><Sound sound_name='x'/></OnDone>"
                          "</ToMovie><Action><ToScene scene_name='d'/></Action></g>",
                          "G"));
    for (const char* name : {"w", "w_WaitEnd", "w_WaitEnd_00", "h", "h_WinHOG", "h_WinHOG_00", "m", "m_OnDone",
                             "m_OnDone_00", "G_00", "G_00_00"})
        EXPECT_TRUE(book.Find(name)) << name;
    std::set<std::string> scenes;
    book.Find("G")->CollectTargetScenes(scenes);
    // Only groups pass the set on; the nested groups of actions are not walked.
    EXPECT_EQ(scenes, (std::set<std::string>{"d"}));
}

TEST(QstActionData, HintQueryAsksTheChildren)
{
    ScriptBook book;
    ASSERT_TRUE(book.Load("<g><Sound sound_name='s'/><Action name='inner'><MsgBubble text=''/></Action>"
                          "<Action name='said'><MsgBubble text='key'/></Action><UseAction name='inner'/></g>",
                          "G"));
    EXPECT_TRUE(book.Find("G")->HasMessage(&book.actor, nullptr, nullptr));
    EXPECT_TRUE(book.Find("inner")->HasMessage(&book.actor, nullptr, nullptr));
    EXPECT_FALSE(book.Find("said")->HasMessage(&book.actor, nullptr, nullptr));
    EXPECT_FALSE(book.Find("G_00")->HasMessage(&book.actor, nullptr, nullptr));
}

} // namespace
} // namespace Quib::Testing

namespace Quib::Testing {
namespace {

TEST(QstActionData, AFailedDescriptionTakesItsNestedOnesWithIt)
{
    // Run under a leak checker: the nested groups of the failed wait, level
    // and group are deleted with them.
    const char* cases[] = {
        "<g><Wait><Sound sound_name='a'/></Wait></g>",
        "<g><ToHOG scene_name='s'><Sound sound_name='a'/></ToHOG></g>",
        "<g><Action><Action><Sound sound_name='a'/><Wait time='1'><Sound sound_name='b'/></Wait></Action><Sound/>"
        "</Action></g>",
    };
    for (const char* xml : cases) {
        ScriptBook book;
        EXPECT_FALSE(book.Load(xml, "G")) << xml;
        EXPECT_EQ(book.Names(), std::vector<std::string>{"G"}) << xml;
    }
}

} // namespace
} // namespace Quib::Testing

namespace Quib::Testing {
namespace {

TEST(QstActionsGroupData, ScriptsNestedBeyondAnyNeedAreRefused)
{
    std::string deep;
    for (int i = 0; i < 200; ++i)
        deep += "<Action>";
    deep += "<MsgBook record='r'/>";
    for (int i = 0; i < 200; ++i)
        deep += "</Action>";
    ScriptBook book;
    EXPECT_FALSE(book.Load("<g>" + deep + "</g>", "G"));
    ASSERT_EQ(book.errors.size(), 1u);
    EXPECT_NE(book.errors[0].find("is nested too deep"), std::string::npos);
    EXPECT_EQ(book.Names(), std::vector<std::string>{"G"});

    ScriptBook fine;
    EXPECT_TRUE(fine.Load("<g><Action><Action><Wait time='0'><Action><MsgBook record='r'/></Action></Wait></Action>"
                          "</Action></g>",
                          "G"));
}

} // namespace
} // namespace Quib::Testing
