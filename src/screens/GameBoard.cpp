#include "src/screens/GameBoard.h"

#include "framework/files/ProcessLog.h"
#include "framework/files/FloatTransformer.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetManager.h"
#include "src/GameApp.h"
#include "src/Lang.h"
#include "src/Profiles.h"
#include "src/game/AmbientSet.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/Scenario.h"
#include "src/game/ispy/GameControllerISpy.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/PsdPictureLayer.h"
#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstBook.h"
#include "src/game/quest/QstBookButton.h"
#include "src/game/quest/QstBookRecord.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolExtBoard.h"
#include "src/game/quest/QstPoolWidget.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTutor.h"
#include "src/particles/ParticlesCommon.h"
#include "src/screens/Avatar.h"
#include "src/screens/DarkBack.h"
#include "src/screens/GameProgress.h"
#include "src/screens/HintTimer.h"
#include "src/screens/HintWidget.h"
#include "src/screens/InGameMenu.h"
#include "src/screens/MessageBubble.h"
#include "src/screens/Options.h"
#include "src/screens/MainMenu.h"
#include "src/screens/TGameButton.h"
#include "src/screens/TImageWidget.h"
#include "src/screens/ToolTip.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

constexpr int kKeyF5 = 116;

bool JournalHasNews(const std::string& clusterName)
{
    NotebookEntry* entry = GetJournalEntry(clusterName);
    if (!entry)
        return false;
    QstBookRecord record;
    record.Read(*entry);
    return record.isNew;
}

} // namespace

GameBoard::GameBoard(const std::string& sceneName) : GameBase(true, sceneName)
{
    tooltip = new ToolTip();
    bubble = new MessageBubble();
    avatar = new Avatar();
}

GameBoard::~GameBoard()
{
    // The controller keeps the scene.
    if (scene) {
        if (scene->parent == this)
            DetachChild(scene);
        if (scene->avatar == avatar)
            scene->avatar = nullptr;
        scene->messageDelegate = nullptr;
        scene->journalRecordDelegate = nullptr;
    }
    // The next board of the cluster may have set the pool's hooks already.
    if (poolWidget && poolWidget->pool)
        poolWidget->pool->ClearBoardHooks(this);
    // Companions not yet in the tree are this board's to delete.
    for (Widget* w : {static_cast<Widget*>(tooltip), static_cast<Widget*>(bubble), static_cast<Widget*>(avatar)})
        if (w && !w->parent)
            delete w;
}

void GameBoard::SetLeavingScene(QstScene* previous)
{
    if (!previous || previous == scene)
        return;
    leavingScene = previous;
    leavingScene->SetBounds(0, 0, width, height);
    leavingScene->color = Color::White;
    colorFactor = 0.0f;
    if (scene)
        scene->color = Color(255, 255, 255, 0);
}

void GameBoard::Init()
{
    layout = std::make_unique<PsdPicture>(kInterfaceFolder, false);
    interfaceLayout = layout.get();

    QstGameControllerScene& controller = QstGameControllerScene::Instance();
    QstPoolData* pool = nullptr;
    if (!controller.LevelName().empty()) {
        if (QstScene* current = controller.FindLoadedScene(controller.LevelName()))
            pool = controller.GetPoolData(current->GetClusterName());
    }
    controller.Start(boardName);
    if (pool)
        pool->RefreshPlaces();
    scene = controller.GetActiveScene();
    if (!scene) {
        QUIB_LOG_ERROR("Game board: the scene \"%s\" cannot be had", boardName);
    } else {
        scene->SetBounds(0, 0, width, height);
        AttachChild(scene);
        pool = controller.GetPoolData(scene->GetClusterName());
        pool->layout = layout.get();
        QstScene* s = scene;
        pool->SetBoardHooks(
            this,
            [s](QstItem* item, const std::string& state) {
                return s->CanTakePoolItem(item, item ? item->GetState(state) : nullptr);
            },
            [this](const std::u16string& text, float seconds) { ShowToolTip(text, seconds); },
            [s]() { return s->GetTutor(); });

        scene->avatar = avatar;
        scene->SetPool(pool);
        scene->messageDelegate = [this](const std::u16string& text, float seconds) { bubble->Show(text, seconds); };
        scene->journalRecordDelegate = [this]() { ShowJournalAttention(); };

        poolWidget = new QstPoolWidget(pool);
        AttachChild(poolWidget);
    }

    GameBase::Init();
    needsLoading = false;

    // Hidden-object levels are left; the scene cache stays (it holds the
    // scene just taken).
    GameControllerISpy::Instance().UnloadLevels();
    StoreAllLevelInfos();
    Profiles::Instance().SaveCurrent();
}

void GameBoard::LoadImages()
{
    if (layout)
        layout->LoadFlaggedImages();
    if (scene)
        QstScene::LoadLayers(scene);
}

void GameBoard::CreateInterface()
{
    PsdPicture& pic = *layout;
    bubble->LoadLayout(pic);
    AddInterfaceWidget(CreateGameButton(pic, kMenuButton, "menu/menu_in", "menu/menu_gl", this, std::u16string()));
    AddInterfaceWidget(new GameProgress(pic.FindLayer("progress/progress_empty"),
                                        pic.FindLayer("progress/progress_full")));
    if (PsdPictureLayer* frame = pic.FindLayer("interface"); frame && frame->image) {
        auto* frameWidget = new TImageWidget(frame->image);
        frameWidget->SetBounds(frame->x, frame->y, 0, 0);
        frame->drawn = false;
        AddInterfaceWidget(frameWidget);
    }
    if (poolWidget && poolWidget->pool) {
        QstPoolData* pool = poolWidget->pool;
        pool->LoadLayout();
        poolWidget->PlaceAtStrip();
        pool->RefreshPlaces();
    }
    AddInterfaceWidget(bubble);

    QstScene* s = scene;
    hintWidget = new HintWidget(
        &GetHintTimer(), [s]() { return s ? s->UseHint() : false; },
        [this](const std::u16string& text, float seconds) { ShowToolTip(text, seconds); }, pic, "clock_big");
    AttachChild(hintWidget);

    avatar->LoadFaces(pic, scene ? scene->GetClusterName() : std::string());
    AttachChild(avatar);

    bookButton = new QstBookButton(this);
    bookButton->SetImagesFromLayers(pic.FindLayer("book/book_in"), pic.FindLayer("book/book_gl"));
    AddInterfaceWidget(bookButton);
    SetNotebookAttention(bookButton, scene && JournalHasNews(scene->GetClusterName()), true);

    AddInterfaceWidget(tooltip);
    companionsAttached = true;
}

void GameBoard::UpdateBoard(float seconds)
{
    if (!scene && !leftForMenu) {
        // A scene that failed to load leaves nothing to play: the player
        // goes back to the main menu (the load error was reported).
        leftForMenu = true;
        ShowMainMenu();
    }
    if (paused)
        return;
    if (colorFactor != 1.0f) {
        ApproachFloat(colorFactor, seconds, 1.0f);
        if (colorFactor == 1.0f)
            leavingScene = nullptr;
    }
    if (scene)
        scene->color = Color(255, 255, 255, std::clamp(int(colorFactor * 255.0f), 0, 255));
    if (leavingScene)
        leavingScene->UpdateScene(seconds);
    tooltip->Update(seconds);
    bubble->Update(seconds);
    if (scene)
        scene->UpdateScene(seconds);
    if (poolWidget && poolWidget->pool) {
        poolWidget->pool->Update(seconds);
        if (poolWidget->board)
            poolWidget->board->UpdateItems(seconds);
    }
    if (hintWidget)
        hintWidget->Update(seconds);
    avatar->Update(seconds);
}

void GameBoard::Draw(Graphics& g)
{
    if (!leavingScene)
        return;
    WidgetManager* saved = leavingScene->manager;
    leavingScene->manager = manager;
    TreeWalkFlags flags;
    g.SaveState();
    leavingScene->DrawTree(flags, g);
    g.RestoreState();
    leavingScene->manager = saved;
}

void GameBoard::OnAttachedToManager(WidgetManager* widgetManager)
{
    GameBase::OnAttachedToManager(widgetManager);
    if (scene && scene->ambientSounds)
        scene->ambientSounds->StartAll();
}

void GameBoard::OnDetachedFromManager(WidgetManager* widgetManager)
{
    GameBase::OnDetachedFromManager(widgetManager);
    if (scene && scene->ambientSounds)
        scene->ambientSounds->ResetAll();
}

void GameBoard::OnKeyDown(int key)
{
    if (key == kKeyF5)
        ReloadTexts();
}

void GameBoard::ReloadTexts()
{
    // Scene texts are read from the table when drawn.
    Lang::Instance().Reload();
    Invalidate();
}

std::string GameBoard::GetMusicId()
{
    return scene ? scene->GetClusterName() : std::string();
}

void GameBoard::OnLeft()
{
    if (GameApp* app = GetGameApp())
        app->SetCursorType(CURSOR_ARROW);
}

void GameBoard::ButtonDepress(int id)
{
    switch (id) {
    case kJournalButton: OpenJournal(); break;
    case kMenuButton: OpenInGameMenu(); break;
    default: GameBase::ButtonDepress(id); break;
    }
}

void GameBoard::OpenJournal()
{
    if (bookButton)
        bookButton->attention = false;
    auto* back = new DarkBack(Delegate(), 0);
    auto* book = new QstBook(scene ? scene->GetClusterName() : std::string(), back);
    back->closeDelegate = Delegate(book, &QstBook::Close);
    back->zOrder = kJournalZOrder;
    book->zOrder = kJournalZOrder;
    AttachChild(back);
    AttachChild(book);
    if (scene && scene->GetTutor())
        scene->GetTutor()->OnBookClick();
}

void GameBoard::OpenInGameMenu()
{
    auto* back = new DarkBack(Delegate(), 0);
    PsdPicture* menuLayout = GameControllerCommon::Instance().GetSharedPicture(GameControllerCommon::PICTURE_INGAMEMENU);
    auto* menu = new InGameMenu(menuLayout, [] { ShowMainMenu(); }, [this] { OpenOptions(); }, back);
    back->closeDelegate = Delegate(menu, &InGameMenu::Close);
    back->zOrder = kPopupZOrder;
    menu->zOrder = kPopupZOrder;
    AttachChild(back);
    AttachChild(menu);
}

void GameBoard::OpenOptions()
{
    ShowOptionsPopup(this);
}

void GameBoard::ShowJournalAttention()
{
    SetNotebookAttention(bookButton, true, false);
}

void GameBoard::ShowToolTip(const std::u16string& text, float seconds)
{
    if (tooltip)
        tooltip->SetText(text, seconds);
}

OptionsFunc* GameBoard::MakeBoardFactory()
{
    return new OptionsBoardFunc<GameBoard>(boardName);
}

void SetNotebookAttention(QstBookButton* button, bool on, bool dimMode)
{
    if (!button)
        return;
    button->attention = on;
    if (dimMode) {
        button->color.alpha = on ? 255 : int(0.7f * 255.0f);
        return;
    }
    if (on && !button->effect) {
        button->effect = CreateParticlesByName("notebook");
        if (button->effect)
            button->effect->StartAt(TPoint<float>(button->width * 0.5f, button->height * 0.5f));
    }
}

} // namespace Quib
