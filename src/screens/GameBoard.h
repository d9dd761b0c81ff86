#pragma once
#include "src/game/OptionsFunc.h"
#include "src/screens/GameBase.h"

#include <memory>
#include <string>

namespace Quib {

class Avatar;
class HintWidget;
class MessageBubble;
class PsdPicture;
class QstBookButton;
class QstPoolWidget;
class QstScene;
class ToolTip;

// The board of an adventure scene ("Game"): the scene of the board name as
// a child, the cluster's inventory strip, and the interface over it (menu
// and journal buttons, progress, hint compass, avatar, bubble, tooltip). A
// scene change cross-fades from the previous scene.
class GameBoard : public GameBase {
public:
    static constexpr int kJournalButton = 143;
    static constexpr int kMenuButton = 79;
    static constexpr int kPopupZOrder = 30;
    static constexpr int kJournalZOrder = 10;
    static constexpr const char* kInterfaceFolder = "data\\gui\\interface\\";

    explicit GameBoard(const std::string& sceneName);
    ~GameBoard() override;

    // The scene that was shown before: it fades out over one second.
    void SetLeavingScene(QstScene* previous);

    void Draw(Graphics& g) override;
    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void OnDetachedFromManager(WidgetManager* widgetManager) override;
    void OnKeyDown(int key) override;
    void Init() override;
    std::string GetBoardName() override { return "Game"; }
    std::string GetMusicId() override;
    int GetImagesToLoad() override { return 0; }
    void LoadImages() override;
    void OnLeft() override;
    void UpdateBoard(float seconds) override;
    void CreateInterface() override;
    void BeginLeave() override {}
    void DoExit() override {}
    void ButtonDepress(int id) override;

    // A factory that builds this board again (owned by the caller).
    virtual OptionsFunc* MakeBoardFactory();

    void ShowJournalAttention();
    void ShowToolTip(const std::u16string& text, float seconds);
    void OpenOptions();
    void OpenJournal();
    void OpenInGameMenu();
    // F5: the texts read again and every scene's texts refreshed.
    void ReloadTexts();

    std::unique_ptr<PsdPicture> layout;
    QstScene* scene = nullptr;        // the controller's
    bool leftForMenu = false;         // the scene could not be had: back to the menu once
    QstScene* leavingScene = nullptr; // the controller's; not a child
    float colorFactor = 1.0f;
    QstPoolWidget* poolWidget = nullptr;
    ToolTip* tooltip = nullptr;
    MessageBubble* bubble = nullptr;
    Avatar* avatar = nullptr;
    HintWidget* hintWidget = nullptr;
    QstBookButton* bookButton = nullptr;

private:
    // Widgets made by the constructor and not yet handed to the tree.
    bool companionsAttached = false;
};

// The journal button's attention: in dim mode the button dims when off;
// otherwise an attention effect starts once.
void SetNotebookAttention(QstBookButton* button, bool on, bool dimMode);

} // namespace Quib
