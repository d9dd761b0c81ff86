#include "src/game/quest/PsdPicture.h"

#include "framework/files/IniData.h"
#include "framework/files/PakInterface.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageDisplay.h"

#include <algorithm>
#include <map>
#include <memory>

namespace Quib {

namespace {

constexpr int kLayerNumbers = 7;

bool IsScanSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads up to seven decimal integers separated by white space, as the
// format "%d%d%d%d%d%d%d" does, into numbers (those not reached stay 0).
// Returns how many were read, or -1 when one is beyond kMaxNumber.
int ScanLayerNumbers(std::string_view text, int32_t (&numbers)[kLayerNumbers])
{
    std::fill(std::begin(numbers), std::end(numbers), 0);
    size_t pos = 0;
    for (int i = 0; i < kLayerNumbers; ++i) {
        while (pos < text.size() && IsScanSpace(text[pos]))
            ++pos;
        bool negative = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            negative = text[pos++] == '-';
        if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
            return i;
        int64_t value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + (text[pos++] - '0');
            if (value > PsdPicture::kMaxNumber)
                return -1;
        }
        numbers[i] = int32_t(negative ? -value : value);
    }
    return kLayerNumbers;
}

// The first element of a value list: the text before the first comma.
std::string_view FirstValue(std::string_view value)
{
    return value.substr(0, value.find(','));
}

// Walks the lines as IniData reads them, with their line numbers, and
// checks every key line's numbers and the number of keys per section.
bool CheckLayerLines(std::string_view text, std::string& error)
{
    std::map<std::string, int32_t, std::less<>> keysPerSection;
    int32_t* keyCount = nullptr; // of the current section
    int lineNumber = 1;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t stop = std::min(text.find_first_of("\r\n", pos), text.size());
        std::string_view line = text.substr(pos, stop - pos);
        const int thisLine = lineNumber;
        // Count the line ends (CR LF is one) up to the next line.
        pos = stop;
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) {
            if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
                ++pos;
            ++pos;
            ++lineNumber;
        }
        if (line.empty())
            continue;
        size_t open = line.find('[');
        size_t close = line.find(']');
        if (open != std::string_view::npos && close != std::string_view::npos) {
            std::string_view name = close > open ? line.substr(open + 1, close - open - 1) : line.substr(open + 1);
            keyCount = &keysPerSection[std::string(name)];
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string_view::npos || !keyCount)
            continue;
        if (++*keyCount > PsdPicture::kMaxLayers) {
            error = StrFormat("line %d: more than %d layers", thisLine, PsdPicture::kMaxLayers);
            return false;
        }
        int32_t numbers[kLayerNumbers];
        if (ScanLayerNumbers(FirstValue(line.substr(equals + 1)), numbers) < 0) {
            error = StrFormat("line %d: a number beyond %d", thisLine, PsdPicture::kMaxNumber);
            return false;
        }
    }
    return true;
}

// A layer list is written whole, every line ended and every layer with its
// seven numbers. A file whose last line has no end and is not a whole layer
// (a name without numbers, fewer than seven, a header without its bracket)
// was most likely cut short: its line number and text are told.
bool EndsInsideALine(std::string_view text, int& lineNumber, std::string& lastLine)
{
    text = text.substr(0, text.find('\0'));
    if (text.empty() || text.back() == '\n' || text.back() == '\r')
        return false;
    const size_t start = text.find_last_of("\r\n") == std::string_view::npos ? 0 : text.find_last_of("\r\n") + 1;
    const std::string_view line = text.substr(start);
    const size_t equals = line.find('=');
    if (line.find(']') != std::string_view::npos && equals == std::string_view::npos)
        return false; // a whole section header
    if (equals != std::string_view::npos) {
        int32_t numbers[kLayerNumbers];
        if (ScanLayerNumbers(FirstValue(line.substr(equals + 1)), numbers) == kLayerNumbers)
            return false;
    }
    lineNumber = 1;
    for (size_t i = 0; i < start; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++lineNumber;
    }
    lastLine = std::string(line.substr(0, 60));
    return true;
}

// The file's bytes; false when it holds more than the limit.
bool ReadLimited(const std::string& path, std::string& text, bool& found)
{
    text.clear();
    PakFile* file = PakFOpen(path);
    found = file != nullptr;
    if (!file)
        return true;
    char buffer[16384];
    bool fits = true;
    while (size_t count = PakFRead(buffer, 1, sizeof buffer, file)) {
        if (text.size() + count > size_t(PsdPicture::kMaxFileSize)) {
            fits = false;
            break;
        }
        text.append(buffer, count);
    }
    PakFClose(file);
    return fits;
}

} // namespace

PsdPicture::PsdPicture(const std::string& directory, bool loadImages)
{
    Load(directory, loadImages);
}

PsdPicture::~PsdPicture()
{
    Clear();
}

bool PsdPicture::ParseLayers(std::string_view text, std::vector<PsdPictureLayer*>& out, std::string& error)
{
    text = text.substr(0, text.find('\0'));
    const std::string lowered = StringToLower(text);
    if (!CheckLayerLines(lowered, error))
        return false;

    IniData ini;
    ini.Parse(lowered);
    IniDataSection* section = ini.GetCurrentSection();
    if (!section)
        return true;
    for (const IniDataKey& key : section->mKeys) {
        auto layer = std::make_unique<PsdPictureLayer>();
        layer->name = key.mName;
        int32_t numbers[kLayerNumbers];
        ScanLayerNumbers(key.mValues.empty() ? std::string_view() : FirstValue(key.mValues[0]), numbers);
        layer->x = layer->homeX = numbers[0];
        layer->y = layer->homeY = numbers[1];
        layer->z = numbers[6];
        out.push_back(layer.release());
    }
    return true;
}

void PsdPicture::Load(const std::string& dir, bool loadImages)
{
    Clear();
    directory = dir;
    const std::string path = dir + "/layers.ini";
    std::string text;
    bool found = false;
    std::string error;
    if (!ReadLimited(path, text, found)) {
        QUIB_LOG_ERROR("Layered picture \"%s\" refused: layers.ini is larger than %d bytes", dir.c_str(),
                       kMaxFileSize);
    } else if (!found) {
        QUIB_LOG_ERROR("Layered picture \"%s\": no layers.ini", dir.c_str());
    } else if (!ParseLayers(text, layers, error)) {
        QUIB_LOG_ERROR("Layered picture \"%s\" refused: layers.ini %s", dir.c_str(), error.c_str());
    } else {
        int lineNumber = 0;
        std::string lastLine;
        if (EndsInsideALine(text, lineNumber, lastLine))
            QUIB_LOG_ERROR("Layered picture \"%s\": layers.ini ends inside line %d (\"%s\"): the file may be cut "
                           "short; the layers before it are kept",
                           dir.c_str(), lineNumber, lastLine.c_str());
    }
    std::stable_sort(layers.begin(), layers.end(),
                     [](const PsdPictureLayer* a, const PsdPictureLayer* b) { return a->z < b->z; });
    if (loadImages)
        LoadFlaggedImages();
}

PsdPictureLayer* PsdPicture::FindLayer(const std::string& name) const
{
    const std::string lowered = ToLowerLocale(name);
    for (PsdPictureLayer* layer : layers) {
        if (layer->name == lowered)
            return layer;
    }
    return nullptr;
}

bool PsdPicture::GetLayerRect(Rect& rect, const std::string& name, bool clearDrawn)
{
    PsdPictureLayer* layer = FindLayer(name);
    if (!layer) {
        rect = Rect();
        return false;
    }
    if (clearDrawn)
        layer->drawn = false;
    rect = Rect(layer->x, layer->y, layer->image ? layer->image->width : 0,
                layer->image ? layer->image->height : 0);
    return true;
}

void PsdPicture::SetLayerDrawFlag(const std::string& name, bool value)
{
    if (PsdPictureLayer* layer = FindLayer(name))
        layer->drawn = value;
}

void PsdPicture::SetLayerFlag(const std::string& text, bool value)
{
    const std::string lowered = ToLowerLocale(text);
    for (PsdPictureLayer* layer : layers) {
        if (layer->name.find(lowered) != std::string::npos)
            layer->drawn = value;
    }
}

void PsdPicture::Offset(int32_t dx, int32_t dy)
{
    for (PsdPictureLayer* layer : layers) {
        layer->x += dx;
        layer->homeX += dx;
        layer->y += dy;
        layer->homeY += dy;
    }
}

void PsdPicture::LoadFlaggedImages()
{
    for (PsdPictureLayer* layer : layers) {
        if (layer->loadPending) {
            LoadLayerImage(layer);
            layer->loadPending = false;
        }
    }
}

int PsdPicture::CountImagesToLoad() const
{
    return int(
        std::count_if(layers.begin(), layers.end(), [](const PsdPictureLayer* l) { return l->loadPending; }));
}

bool PsdPicture::LoadNextFlaggedImage()
{
    for (PsdPictureLayer* layer : layers) {
        if (layer->loadPending) {
            LoadLayerImage(layer);
            layer->loadPending = false;
            return true;
        }
    }
    return false;
}

void PsdPicture::LoadLayerImage(PsdPictureLayer* layer)
{
    if (!layer || layer->image)
        return;
    ImageRegistry* registry = DefaultImageRegistry();
    layer->image = registry ? registry->CreateImage(directory + layer->name, true) : nullptr;
    if (!layer->image && !layer->missingReported) {
        layer->missingReported = true;
        QUIB_LOG_ERROR("Layered picture \"%s\": no image for layer \"%s\"", directory.c_str(), layer->name.c_str());
    }
}

void PsdPicture::UpdateFlagged()
{
    for (PsdPictureLayer* layer : layers) {
        if (layer->releasePending) {
            layer->ReleaseImage();
            layer->releasePending = false;
        }
    }
}

void PsdPicture::DrawLayer(PsdPictureLayer* layer, Graphics& g, const Point& origin)
{
    if (!layer || !layer->image)
        return;
    if (layer->drawCallback) {
        layer->drawCallback(g, *layer);
        return;
    }
    const int x = origin.x + layer->x + layer->offsetX;
    const int y = origin.y + layer->y + layer->offsetY;
    if (layer->mirrored)
        g.DrawImageMirrored(layer->image, x, y);
    else
        g.DrawImageAt(layer->image, x, y);
}

void PsdPicture::DrawAll(Graphics& g)
{
    for (PsdPictureLayer* layer : layers) {
        if (layer->drawn)
            DrawLayer(layer, g, Point());
    }
}

void PsdPicture::Clear()
{
    for (PsdPictureLayer* layer : layers) {
        if (sharedImages)
            layer->image = nullptr;
        layer->ReleaseImage();
        delete layer;
    }
    layers.clear();
    layers.shrink_to_fit();
    directory.clear();
    directory.shrink_to_fit();
}

void PsdPicture::Delete(PsdPicture* picture)
{
    delete picture;
}

void PsdPictureLayer::ReleaseImage()
{
    delete image;
    image = nullptr;
}

} // namespace Quib
