#include "framework/widgets/movie/MovieScript.h"

#include "framework/files/PrintfFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace Quib {

namespace {

using L = MovieLimits;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '-';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// One line split into blank-separated words; Rest(i) is the text from word
// i to the end of the line.
class Words {
public:
    explicit Words(std::string_view line) : mLine(line)
    {
        size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && IsBlank(line[i]))
                ++i;
            if (i == line.size())
                break;
            const size_t start = i;
            while (i < line.size() && !IsBlank(line[i]))
                ++i;
            mStarts.push_back(start);
            mWords.push_back(line.substr(start, i - start));
        }
    }
    size_t Count() const { return mWords.size(); }
    std::string_view operator[](size_t i) const { return mWords[i]; }
    std::string_view Rest(size_t i) const { return i < mWords.size() ? Trim(mLine.substr(mStarts[i])) : ""; }

private:
    std::string_view mLine;
    std::vector<size_t> mStarts;
    std::vector<std::string_view> mWords;
};

class Parser {
public:
    Parser(MovieScript& script, std::string& error) : mScript(script), mError(error) {}

    bool Run(std::string_view text);

private:
    bool Fail(const std::string& message)
    {
        mError = StrFormat("line %d: %s", mLine, message.c_str());
        return false;
    }
    bool Statement(const Words& w);
    bool Movie(const Words& w);
    bool Image(const Words& w);
    bool Layer(const Words& w);
    bool Key(const Words& w);
    bool Command(const Words& w);
    bool Wait(const Words& w);
    bool End(const Words& w);
    bool CheckFrames();

    bool WholeNumber(std::string_view word, const char* what, int32_t low, int32_t high, int32_t& out);
    bool Real(std::string_view word, const char* what, double low, double high, double& out);
    bool Name(std::string_view word, const char* what, std::string& out);

    MovieScript& mScript;
    std::string& mError;
    int mLine = 0;
    bool mHaveMovie = false;
    int mEndLine = 0;
    std::map<std::string, size_t, std::less<>> mImageIndex;
    std::map<std::string, size_t, std::less<>> mLayerIndex;
    std::vector<int> mLayerLines;
    size_t mKeyCount = 0;
    // Lines of the statements with frames, to name the line of a frame that
    // lies after the end.
    std::vector<std::pair<int32_t, int>> mFrameLines;
    std::map<int32_t, int> mWaitLines;
};

bool Parser::WholeNumber(std::string_view word, const char* what, int32_t low, int32_t high, int32_t& out)
{
    const bool digits = !word.empty() && word.size() <= 9 &&
                        std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
    int32_t value = 0;
    if (digits)
        std::from_chars(word.data(), word.data() + word.size(), value);
    if (!digits || value < low || value > high)
        return Fail(StrFormat("%s must be a whole number from %d to %d, not '%s'", what, low, high,
                              std::string(word).c_str()));
    out = value;
    return true;
}

bool Parser::Real(std::string_view word, const char* what, double low, double high, double& out)
{
    // -?digits(.digits)? or -?.digits: no exponent, no inf or nan.
    std::string_view body = word;
    if (!body.empty() && body.front() == '-')
        body.remove_prefix(1);
    const size_t dot = body.find('.');
    const std::string_view whole = body.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : body.substr(dot + 1);
    auto allDigits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    bool ok = word.size() <= 32 && allDigits(whole) && allDigits(fraction) &&
              (!whole.empty() || !fraction.empty()) && !(dot != std::string_view::npos && fraction.empty());
    double value = 0;
    if (ok) {
        const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
        ok = result.ec == std::errc() && result.ptr == word.data() + word.size() && std::isfinite(value);
    }
    if (!ok || value < low || value > high)
        return Fail(
            StrFormat("%s must be a number from %g to %g, not '%s'", what, low, high, std::string(word).c_str()));
    out = value == 0 ? 0.0 : value; // no negative zero
    return true;
}

bool Parser::Name(std::string_view word, const char* what, std::string& out)
{
    if (word.empty() || word.size() > L::kMaxNameBytes || !std::all_of(word.begin(), word.end(), IsNameChar))
        return Fail(StrFormat("%s '%s' must be 1 to %d letters, digits, '_', '.' or '-'", what,
                              std::string(word).c_str(), int(L::kMaxNameBytes)));
    out = std::string(word);
    return true;
}

bool Parser::Run(std::string_view text)
{
    if (text.size() > L::kMaxFileBytes) {
        mLine = 1;
        return Fail(StrFormat("the file is larger than %d bytes", int(L::kMaxFileBytes)));
    }
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++mLine;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > L::kMaxLineBytes)
            return Fail(StrFormat("the line is longer than %d characters", int(L::kMaxLineBytes)));
        for (char c : line)
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
                return Fail(StrFormat("control character 0x%02X in the text", int(static_cast<unsigned char>(c))));
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            continue;
        if (!Statement(Words(line)))
            return false;
    }
    if (!mHaveMovie) {
        mLine = std::max(mLine, 1);
        return Fail("the file has no 'movie' statement");
    }
    if (mEndLine == 0)
        return Fail("the movie has no 'end' statement");
    return CheckFrames();
}

bool Parser::Statement(const Words& w)
{
    const std::string_view keyword = w[0];
    if (!mHaveMovie && keyword != "movie")
        return Fail("the file must begin with 'movie <width> <height> <frames per second>'");
    if (keyword == "movie")
        return Movie(w);
    if (keyword == "image")
        return Image(w);
    if (keyword == "layer")
        return Layer(w);
    if (keyword == "key")
        return Key(w);
    if (keyword == "cmd")
        return Command(w);
    if (keyword == "wait")
        return Wait(w);
    if (keyword == "end")
        return End(w);
    return Fail(StrFormat("unknown statement '%s'", std::string(keyword).c_str()));
}

bool Parser::Movie(const Words& w)
{
    if (mHaveMovie)
        return Fail("a second 'movie' statement");
    if (w.Count() != 4)
        return Fail("'movie' takes a width, a height and frames per second");
    if (!WholeNumber(w[1], "the width", 1, L::kMaxStageSize, mScript.width) ||
        !WholeNumber(w[2], "the height", 1, L::kMaxStageSize, mScript.height) ||
        !WholeNumber(w[3], "frames per second", 1, L::kMaxFramesPerSecond, mScript.framesPerSecond))
        return false;
    mHaveMovie = true;
    return true;
}

bool Parser::Image(const Words& w)
{
    if (w.Count() < 3)
        return Fail("'image' takes a name and a path");
    MovieImageRef image;
    if (!Name(w[1], "image name", image.name))
        return false;
    if (mImageIndex.count(image.name))
        return Fail(StrFormat("image '%s' is declared twice", image.name.c_str()));
    if (mScript.images.size() >= L::kMaxImages)
        return Fail(StrFormat("more than %d images", int(L::kMaxImages)));
    const std::string_view path = w.Rest(2);
    if (path.size() > L::kMaxPathBytes)
        return Fail(StrFormat("the path is longer than %d characters", int(L::kMaxPathBytes)));
    image.path = std::string(path);
    image.line = mLine;
    mImageIndex.emplace(image.name, mScript.images.size());
    mScript.images.push_back(std::move(image));
    return true;
}

bool Parser::Layer(const Words& w)
{
    if (w.Count() != 3)
        return Fail("'layer' takes a name and an image name");
    MovieLayer layer;
    if (!Name(w[1], "layer name", layer.name))
        return false;
    if (mLayerIndex.count(layer.name))
        return Fail(StrFormat("layer '%s' is declared twice", layer.name.c_str()));
    const auto image = mImageIndex.find(w[2]);
    if (image == mImageIndex.end())
        return Fail(StrFormat("no image named '%s'", std::string(w[2]).c_str()));
    if (mScript.layers.size() >= L::kMaxLayers)
        return Fail(StrFormat("more than %d layers", int(L::kMaxLayers)));
    layer.image = image->second;
    mLayerIndex.emplace(layer.name, mScript.layers.size());
    mLayerLines.push_back(mLine);
    mScript.layers.push_back(std::move(layer));
    return true;
}

bool Parser::Key(const Words& w)
{
    if (w.Count() < 3 || w.Count() % 2 == 0)
        return Fail("'key' takes a frame, a layer name and pairs of property and value");
    int32_t frame = 0;
    if (!WholeNumber(w[1], "the frame", 0, L::kMaxFrame, frame))
        return false;
    const auto found = mLayerIndex.find(w[2]);
    if (found == mLayerIndex.end())
        return Fail(StrFormat("no layer named '%s'", std::string(w[2]).c_str()));
    MovieLayer& layer = mScript.layers[found->second];
    if (!layer.keys.empty() && frame <= layer.keys.back().frame)
        return Fail(StrFormat("key at frame %d of layer '%s' is not after its key at frame %d", frame,
                              layer.name.c_str(), layer.keys.back().frame));
    if (mKeyCount >= L::kMaxKeys)
        return Fail(StrFormat("more than %d keys", int(L::kMaxKeys)));
    // Unnamed properties keep the values of the layer's previous key.
    MovieKey key = layer.keys.empty() ? MovieKey() : layer.keys.back();
    key.frame = frame;
    bool given[4] = {};
    for (size_t i = 3; i + 1 < w.Count(); i += 2) {
        static constexpr const char* kNames[4] = {"x", "y", "alpha", "scale"};
        const std::string_view property = w[i];
        const auto it = std::find(std::begin(kNames), std::end(kNames), property);
        if (it == std::end(kNames))
            return Fail(StrFormat("unknown property '%s' (x, y, alpha or scale)", std::string(property).c_str()));
        const size_t index = size_t(it - std::begin(kNames));
        if (given[index])
            return Fail(StrFormat("property '%s' given twice", *it));
        given[index] = true;
        bool ok = false;
        switch (index) {
        case 0: ok = Real(w[i + 1], "x", -L::kMaxPosition, L::kMaxPosition, key.x); break;
        case 1: ok = Real(w[i + 1], "y", -L::kMaxPosition, L::kMaxPosition, key.y); break;
        case 2: ok = Real(w[i + 1], "alpha", 0, 1, key.alpha); break;
        default: ok = Real(w[i + 1], "scale", 0, L::kMaxScale, key.scale); break;
        }
        if (!ok)
            return false;
    }
    layer.keys.push_back(key);
    ++mKeyCount;
    mFrameLines.emplace_back(frame, mLine);
    return true;
}

bool Parser::Command(const Words& w)
{
    if (w.Count() < 3)
        return Fail("'cmd' takes a frame, a command and an optional argument");
    MovieCommand command;
    if (!WholeNumber(w[1], "the frame", 0, L::kMaxFrame, command.frame))
        return false;
    if (w[2].size() > L::kMaxNameBytes)
        return Fail(StrFormat("the command is longer than %d characters", int(L::kMaxNameBytes)));
    const std::string_view argument = w.Rest(3);
    if (argument.size() > L::kMaxTextBytes)
        return Fail(StrFormat("the argument is longer than %d characters", int(L::kMaxTextBytes)));
    if (mScript.commands.size() >= L::kMaxCommands)
        return Fail(StrFormat("more than %d commands", int(L::kMaxCommands)));
    command.command = std::string(w[2]);
    command.argument = std::string(argument);
    mScript.commands.push_back(std::move(command));
    mFrameLines.emplace_back(mScript.commands.back().frame, mLine);
    return true;
}

bool Parser::Wait(const Words& w)
{
    if (w.Count() != 4)
        return Fail("'wait' takes a frame, a variable name and a value");
    MovieWait wait;
    if (!WholeNumber(w[1], "the frame", 0, L::kMaxFrame, wait.frame) || !Name(w[2], "variable", wait.variable))
        return false;
    if (w[3].size() > L::kMaxTextBytes)
        return Fail(StrFormat("the value is longer than %d characters", int(L::kMaxTextBytes)));
    const auto earlier = mWaitLines.find(wait.frame);
    if (earlier != mWaitLines.end())
        return Fail(StrFormat("a second wait at frame %d (the first is on line %d)", wait.frame, earlier->second));
    if (mScript.waits.size() >= L::kMaxWaits)
        return Fail(StrFormat("more than %d waits", int(L::kMaxWaits)));
    wait.value = std::string(w[3]);
    mWaitLines.emplace(wait.frame, mLine);
    mFrameLines.emplace_back(wait.frame, mLine);
    mScript.waits.push_back(std::move(wait));
    return true;
}

bool Parser::End(const Words& w)
{
    if (mEndLine != 0)
        return Fail(StrFormat("a second 'end' statement (the first is on line %d)", mEndLine));
    if (w.Count() != 2)
        return Fail("'end' takes the number of the last frame");
    if (!WholeNumber(w[1], "the end frame", 0, L::kMaxFrame, mScript.endFrame))
        return false;
    mEndLine = mLine;
    return true;
}

// After the whole file: frames within the movie, no wait on the last frame,
// every layer keyed; then commands and waits in frame order.
bool Parser::CheckFrames()
{
    for (const auto& [frame, line] : mFrameLines)
        if (frame > mScript.endFrame) {
            mLine = line;
            return Fail(StrFormat("frame %d is after the end frame %d", frame, mScript.endFrame));
        }
    const auto last = mWaitLines.find(mScript.endFrame);
    if (last != mWaitLines.end()) {
        mLine = last->second;
        return Fail("a wait on the end frame");
    }
    for (size_t i = 0; i < mScript.layers.size(); ++i)
        if (mScript.layers[i].keys.empty()) {
            mLine = mLayerLines[i];
            return Fail(StrFormat("layer '%s' has no keys", mScript.layers[i].name.c_str()));
        }
    std::stable_sort(mScript.commands.begin(), mScript.commands.end(),
                     [](const MovieCommand& a, const MovieCommand& b) { return a.frame < b.frame; });
    std::sort(mScript.waits.begin(), mScript.waits.end(),
              [](const MovieWait& a, const MovieWait& b) { return a.frame < b.frame; });
    return true;
}

} // namespace

bool ParseMovieScript(std::string_view text, MovieScript& script, std::string& error)
{
    script = MovieScript();
    error.clear();
    Parser parser(script, error);
    if (parser.Run(text))
        return true;
    script = MovieScript();
    return false;
}

} // namespace Quib
