#pragma once
#include <string>

namespace Quib {

struct SBackFromHOGData;

// What the movie board gets back from a ToMovie action.
struct SMovieReturnData {
    std::string nextScene;
    std::string onDoneGroup; // name of the group run when the movie ends
    std::string sceneName;   // the scene that started the movie
    std::string itemRef;     // the script's item as "scene:item"; empty for none
};

// The boards that scripts switch to (hidden-object level, movie, another
// adventure scene). The screens install an implementation; without one the
// actions log and do nothing.
class QstBoardHooks {
public:
    virtual ~QstBoardHooks() = default;

    // Starts the hidden-object level levelName; data goes back to the scene
    // when it is won.
    virtual void StartHOG(const std::string& levelName, const SBackFromHOGData& data) = 0;
    virtual void StartMovie(const std::string& movieName, const SMovieReturnData& data) = 0;
    // Shows the adventure board of sceneName, handing the current scene over
    // as the one to fade out.
    virtual void GoToScene(const std::string& sceneName) = 0;

    static QstBoardHooks* Get();
    // Not owned; null removes the hooks.
    static void Set(QstBoardHooks* hooks);
};

} // namespace Quib
