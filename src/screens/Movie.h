#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/FlashListener.h"
#include "src/screens/GameBase.h"
#include "src/screens/MovieStartData.h"

#include <memory>
#include <string>

namespace Quib {

class AmbientSet;
class FlashWidget;
class Image;
class PsdPicture;

// The board of one cut-scene ("Movie"): the movie widget plays
// res\movies\<name>.dat; the movie's commands show subtitles ("next"),
// play sounds ("sound"), change the ambience ("ambient") and end it
// ("end"). Skip, Escape and the end go on to the return level (the credits
// after "mov_22", the main menu after "final"); holding a mouse button or
// the Fast button plays four times as fast.
class Movie : public GameBase, public FlashListener {
public:
    static constexpr const char* kLayoutFolder = "data\\gui\\movie\\";
    static constexpr int kSkipButton = 0;
    static constexpr int kFastButton = 1;
    static constexpr int kFlashWidth = 1025;
    static constexpr int kFlashHeight = 576;
    static constexpr float kFastSpeed = 4.0f;

    explicit Movie(const std::string& movieName);
    ~Movie() override;

    void Draw(Graphics& g) override;
    void DrawOverChildren(Graphics& g) override;
    void OnAttachedToManager(WidgetManager* widgetManager) override;
    void OnDetachedFromManager(WidgetManager* widgetManager) override;
    void OnKeyDown(int key) override;
    void OnMouseDownButton(int px, int py, int button, int count) override;
    void OnMouseUpButton(int px, int py, int button, int count) override;
    void Init() override;
    std::string GetBoardName() override { return "Movie"; }
    std::string GetMusicId() override { return musicName; }
    void OnBecameCurrent() override;
    int GetImagesToLoad() override { return 0; }
    void LoadImages() override {}
    void UpdateBoard(float seconds) override;
    void CreateInterface() override {}
    void DoExit() override {}
    void ButtonPress(int id) override;
    void ButtonDepress(int id) override;
    void OnFlashCommand(int id, const std::string& command, const std::string& argument) override;

    void SetFast();
    void SetNormal();
    // Once only: goes on to what follows the movie.
    void Finish();
    AmbientSet* CurrentAmbientSet() const { return usingB ? ambientB : ambientA; }

    std::string movieName;
    AmbientSet* ambientA = nullptr;
    AmbientSet* ambientB = nullptr;
    bool usingB = false;
    bool running = false;
    std::unique_ptr<PsdPicture> layout;
    MovieStartData returnData;
    std::string onDoneGroup; // run on the return scene afterwards
    std::string musicName;
    float subtitleTimeLeft = 0.0f;
    bool subtitleWaiting = false;
    int subtitleNumber = 0;
    std::u16string subtitleText;
    std::string moviePath;
    FlashWidget* flash = nullptr;
    bool finished = false;
    bool fast = false;
    Image* fastPicture = nullptr; // owned
    float fastAlpha = 0.0f;
    float fastPhase = 0.0f;
    Rect textRect;
};

// Keeps the return data in the board, writes [Main] "LastScene" and sets
// the board's music to the return scene's cluster.
void StoreLastSceneForMovie(Movie* board, const MovieStartData& data, const std::string& onDoneGroup);
// The "LastScene" value of a movie: movie:<name>,<level>,<scene>,<sound>,<item>,<on-done group>.
std::string MovieLastSceneValue(const std::string& movieName, const MovieStartData& data,
                                const std::string& onDoneGroup);

} // namespace Quib
