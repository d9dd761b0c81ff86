#include "src/screens/ContinueRequest.h"

namespace Quib {

ContinueRequest ContinueRequest::Parse(const std::string& value)
{
    ContinueRequest request;
    std::string text = value;
    const size_t comma = text.find(',');
    if (comma != std::string::npos) {
        request.returnData = text.substr(comma + 1);
        text.resize(comma);
    }
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        request.kind = text;
        request.name = text;
    } else {
        request.kind = text.substr(0, colon);
        request.name = text.substr(colon + 1);
    }
    return request;
}

ContinueRequest ContinueRequest::Make(bool gameComplete, bool hasLastScene, const std::string& lastScene,
                                      const std::string& startScene)
{
    if (gameComplete) {
        ContinueRequest request;
        request.kind = kKindMovie;
        request.name = kFinalMovie;
        request.gameComplete = true;
        return request;
    }
    if (hasLastScene)
        return Parse(lastScene);
    ContinueRequest request = Parse(std::string(kKindScene) + ":" + startScene);
    request.freshStart = true;
    return request;
}

} // namespace Quib
