#pragma once
#include <string>

namespace Quib {

// Where "play" in the main menu continues the game: a profile's [Main]
// "LastScene" value ("kind:name" followed, for the kinds hog and movie, by
// "," and the return data), or the start scene for a new profile.
struct ContinueRequest {
    static constexpr const char* kKindScene = "scene";
    static constexpr const char* kKindHog = "hog";
    static constexpr const char* kKindMovie = "movie";
    static constexpr const char* kFinalMovie = "final";

    // Splits a "LastScene" value: the return data follows the first comma;
    // before it, the kind precedes the first colon and the name follows it
    // (without a colon both are the whole text).
    static ContinueRequest Parse(const std::string& value);
    // After the game is complete: the movie "final", whatever else is
    // known. Otherwise the profile's value when it has one, else "scene:" +
    // the start scene, marked as a fresh start.
    static ContinueRequest Make(bool gameComplete, bool hasLastScene, const std::string& lastScene,
                                const std::string& startScene);

    std::string kind;
    std::string name;
    std::string returnData; // empty without a comma
    bool freshStart = false;
    bool gameComplete = false; // the final movie, with no return data
};

} // namespace Quib
