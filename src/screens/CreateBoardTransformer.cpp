#include "src/screens/BoardTransformer.h"

#include "src/GameSettings.h"
#include "src/screens/BaseBoard.h"
#include "src/screens/BoardTransformerEmpty.h"
#include "src/screens/BoardTransformerFade.h"
#include "src/screens/BoardTransformerFadeIn.h"
#include "src/screens/BoardTransformerFromMovie.h"
#include "src/screens/BoardTransformerPager.h"
#include "src/screens/BoardTransformerSlide.h"
#include "src/screens/BoardTransformerToMovie.h"

#include <optional>

namespace Quib {

namespace {

constexpr const char* kSection = "ScreenEffect";

std::optional<int>& DefaultKind()
{
    static std::optional<int> kind;
    return kind;
}

BoardTransformer* NewTransformer(int kind)
{
    switch (kind) {
    case SCREEN_EFFECT_FADE: return new BoardTransformerFade();
    case SCREEN_EFFECT_SLIDE: return new BoardTransformerSlide();
    case SCREEN_EFFECT_PAGE: return new BoardTransformerPager();
    case SCREEN_EFFECT_FADE_IN: return new BoardTransformerFadeIn();
    case SCREEN_EFFECT_TO_MOVIE: return new BoardTransformerToMovie();
    case SCREEN_EFFECT_FROM_MOVIE: return new BoardTransformerFromMovie();
    default: return new BoardTransformerEmpty();
    }
}

} // namespace

int ParseScreenEffect(const std::string& name, int defaultKind)
{
    static const std::pair<const char*, int> kNames[] = {
        {"fade", SCREEN_EFFECT_FADE},         {"page", SCREEN_EFFECT_PAGE},
        {"slide", SCREEN_EFFECT_SLIDE},       {"fade_in", SCREEN_EFFECT_FADE_IN},
        {"to_movie", SCREEN_EFFECT_TO_MOVIE}, {"from_movie", SCREEN_EFFECT_FROM_MOVIE},
        {"none", SCREEN_EFFECT_NONE},
    };
    for (const auto& [text, kind] : kNames)
        if (name == text)
            return kind;
    return defaultKind;
}

BoardTransformer* CreateBoardTransformer(BaseBoard* oldBoard, BaseBoard* newBoard,
                                         BoardTransformerListener* listener)
{
    std::optional<int>& defaultKind = DefaultKind();
    if (!defaultKind)
        defaultKind = ParseScreenEffect(GetGameIniString("default", kSection), SCREEN_EFFECT_NONE);

    const std::string oldName = oldBoard ? oldBoard->GetBoardName() : std::string();
    const std::string newName = newBoard ? newBoard->GetBoardName() : std::string();
    const int kind = ParseScreenEffect(GetGameIniString(oldName + "To" + newName, kSection), *defaultKind);

    BoardTransformer* transformer = NewTransformer(kind);
    if (oldBoard && newBoard)
        transformer->SetBoundsRect(oldBoard->GetBounds().Union(newBoard->GetBounds()));
    else if (oldBoard)
        transformer->SetBoundsRect(oldBoard->GetBounds());
    else if (newBoard)
        transformer->SetBoundsRect(newBoard->GetBounds());
    transformer->oldBoard = oldBoard;
    transformer->newBoard = newBoard;
    transformer->listener = listener;
    if (newBoard)
        newBoard->SetVisible(false);
    if (oldBoard)
        oldBoard->SetVisible(false);
    transformer->Start();
    return transformer;
}

void ResetDefaultScreenEffect()
{
    DefaultKind().reset();
}

} // namespace Quib
