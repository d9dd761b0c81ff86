#pragma once
#include "src/game/ispy/ISpyHost.h"
#include "src/game/quest/QstBoardHooks.h"

namespace Quib {

// The screens' side of the scene scripts and of the hidden-object board:
// a scene change builds a new adventure board that cross-fades from the
// scene shown, a movie builds the movie board, a hidden-object level its
// board; the hidden-object board gets the in-game menu and the compass.
class ScreenBoardHooks : public QstBoardHooks, public ISpyHost {
public:
    void StartHOG(const std::string& levelName, const SBackFromHOGData& data) override;
    void StartMovie(const std::string& movieName, const SMovieReturnData& data) override;
    void GoToScene(const std::string& sceneName) override;

    void OpenInGameMenu(ISpy& board) override;
    Widget* CreateHintWidget(ISpy& board, PsdPicture& interfaceLayout) override;

    // The one instance, installed as both hooks.
    static void Install();
    static void Uninstall();
};

// Switches to a movie board for the movie with its return data.
void StartMovieBoard(const std::string& movieName, const SMovieReturnData& data);

} // namespace Quib
