// The notepad of a level picture and the miss watch of the board.
#include "framework/files/Random.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/GameResources.h"
#include "src/GameSettings.h"
#include "src/Lang.h"
#include "src/game/ispy/HexKey.h"
#include "src/game/ispy/HogProfile.h"
#include "src/game/ispy/TNotepad.h"
#include "src/game/ispy/TPicture.h"
#include "src/game/ispy/TStatistic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <random>

namespace Quib {

namespace {

int FontMeasure(const std::u16string& text) { return FONT_CORBEL ? FONT_CORBEL->WidthOfText(text, 1.0f, 1.0f, 0.0f) : 0; }

NotepadMeasure& Measure()
{
    static NotepadMeasure measure = &FontMeasure;
    return measure;
}

// Splits at '|' into exactly five parts (missing ones empty).
void SplitFive(const std::u16string& text, std::u16string parts[5])
{
    size_t start = 0;
    for (int i = 0; i < 5; ++i) {
        if (start > text.size()) {
            parts[i].clear();
            continue;
        }
        size_t bar = i == 4 ? std::u16string::npos : text.find(u'|', start);
        if (bar == std::u16string::npos)
            bar = text.size();
        parts[i] = text.substr(start, bar - start);
        start = bar + 1;
    }
}

uint32_t WithAlpha(uint32_t rgb, float alpha)
{
    const uint32_t a = uint32_t(std::clamp(int(alpha * 255.0f), 0, 255));
    return (rgb & 0xFFFFFFu) | (a << 24);
}

// The game's own generator behind std::shuffle (seeded by demos too).
struct GameRandom {
    using result_type = unsigned;
    static constexpr unsigned min() { return 0; }
    static constexpr unsigned max() { return 0x7FFF; }
    unsigned operator()() { return unsigned(Quib::rand()); }
};

} // namespace

NotepadMeasure SetNotepadMeasure(NotepadMeasure measure)
{
    NotepadMeasure before = Measure();
    Measure() = measure ? measure : &FontMeasure;
    return before;
}

// ---- TRecord ----------------------------------------------------------------------

TNotepad::TRecord::~TRecord() = default;

void TNotepad::TRecord::SetText()
{
    std::u16string k[5];
    SplitFive(keyText, k);
    std::u16string n[5];
    SplitFive(Lang::Instance()("Keys", "Num_" + std::to_string(count)), n);
    std::u16string word = n[0] + n[1];
    if (k[4] == u"w")
        word = n[0] + n[2];
    else if (k[4] == u"o")
        word = n[0] + n[3];
    else if (k[4] == u"n")
        word = n[0] + n[4];
    if (count <= 1)
        shownText = k[0] + k[1];
    else if (count <= 4)
        shownText = word + u" " + k[0] + k[2];
    else
        shownText = word + u" " + k[0] + k[3];
}

void TNotepad::TRecord::Draw(Graphics& g, int atX, int atY, int width)
{
    if (fadingIn) {
        alpha += 0.025f;
        if (alpha >= 1.0f) {
            alpha = 1.0f;
            fadingIn = false;
        }
    }
    if (currentY != 0 && currentY != atY)
        currentY -= 1;
    else
        currentY = atY;
    g.color = Color(WithAlpha(colour, alpha * alphaFactor));
    g.DrawTextInWidth(shownText, atX, currentY, width, 0, true, 0, -1, -1);
}

void TNotepad::TRecord::StartTween(float from, float to, int id)
{
    // A tween still running lets go of this line and ends by itself in the
    // process list; nothing here deletes a listed tween.
    DetachFrom(true);
    auto* tween = new FloatTrLine(from, to, 0.5f, id);
    FloatTransformer::AddListener(tween, this);
    Process::AddToList(tween);
}

void TNotepad::TRecord::StartStrike()
{
    struck = true;
    fadingIn = false;
    StartTween(0.0f, 1.0f, 1);
}

void TNotepad::TRecord::StartFadeOut() { StartTween(1.0f, 0.0f, 0); }

void TNotepad::TRecord::OnValue(FloatTransformer*, float value, int id)
{
    if (id == 1)
        strikeProgress = value;
    else if (id == 0)
        alpha = value * 0.5f + 0.5f;
}

void TNotepad::TRecord::OnFinished(FloatTransformer*, int id)
{
    if (id == 1) {
        strikeProgress = 1.0f;
        StartFadeOut();
    } else if (id == 0) {
        SendNoData(this, MSG_LINE_FADED);
    }
}

void TNotepad::TRecord::OnMessage(int32_t id, TMessenger*, TMessageData*)
{
    if (id == MSG_LINE_FADE_OUT)
        StartFadeOut();
}

// ---- TNotepad ----------------------------------------------------------------------

TNotepad::TNotepad()
{
    textColour = uint32_t(GetGameIniValue("Notepad", "Game", 0));
    strikeColour = uint32_t(GetGameIniValue("", "", 0));
    rectangle = GetGameIniRect("NotepadPosition", "Game", Rect(0, 0, 0, 0));
    SetBoundsRect(rectangle);
    mouseVisible = false;
    Subscribe(static_cast<TMessenger*>(this), MSG_LINE_FADED);
}

TNotepad::~TNotepad() = default;

void TNotepad::OnMessage(int32_t id, TMessenger*, TMessageData*)
{
    if (id == MSG_LINE_FADED)
        ActivateLines();
}

void TNotepad::Clear(TPicture* owner)
{
    lineCount = 0;
    picture = owner;
    lines.clear();
}

TNotepad::TRecord* TNotepad::FindRecord(const std::u16string& text) const
{
    for (const auto& line : lines)
        if (line->keyText == text)
            return line.get();
    return nullptr;
}

void TNotepad::AddRecord(const std::u16string& text, int32_t count)
{
    TRecord* line = FindRecord(text);
    if (line) {
        line->count += count;
        line->SetText();
    } else {
        auto made = std::make_unique<TRecord>();
        made->keyText = text;
        made->count = count;
        made->colour = textColour;
        made->SetText();
        line = made.get();
        lines.push_back(std::move(made));
    }
    lineCount = int32_t(lines.size());
    if (count == 0) {
        line->struck = true;
        line->strikeProgress = 1.0f;
        line->alpha = 0.5f;
        line->fadingIn = false;
    }
}

bool TNotepad::ItemFound(const std::u16string& text)
{
    TRecord* line = FindRecord(text);
    if (!line || line->count <= 0 || !line->active)
        return false;
    line->count -= 1;
    line->SetText();
    return line->count < 1;
}

int32_t TNotepad::CountRecordsLeft() const
{
    return int32_t(std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l->count != 0; }));
}

bool TNotepad::AllFound() const { return CountRecordsLeft() == 0; }

TNotepad::TRecord* TNotepad::PickHintRecord()
{
    const bool inOrder = GetGameIniInt("HintNoRandomRecord", "Game", -1, 0) != 0;
    std::vector<TRecord*> candidates;
    for (const auto& l : lines)
        if (l->active && l->count != 0)
            candidates.push_back(l.get());
    if (candidates.empty())
        return nullptr;
    return inOrder ? candidates.front() : candidates[size_t(Quib::rand()) % candidates.size()];
}

void TNotepad::ActivateLines()
{
    const int shown = GetGameIniInt("NotepadLines", "Game", -1, 0);
    int k = 1;
    for (const auto& l : lines) {
        // A complete line keeps its state and gives its place to the next.
        if (l->count == 0)
            continue;
        if (k >= shown)
            break;
        l->active = true;
        if (picture)
            picture->ReleaseElementsOfText(l->keyText);
        ++k;
    }
}

void TNotepad::Layout()
{
    const int perColumn = GetGameIniInt("NotepadItemsInCol", "Game", -1, 0);
    const int top = GetGameIniInt("NotepadLines", "Game", 1, 0);
    if (perColumn <= 0 || lines.empty())
        return;
    std::vector<std::pair<int, TRecord*>> measured;
    for (const auto& l : lines)
        measured.emplace_back(Measure()(l->shownText), l.get());
    std::stable_sort(measured.begin(), measured.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::vector<TRecord*>> columns;
    std::vector<int> widths;
    for (size_t i = 0; i < measured.size(); ++i) {
        if (i % size_t(perColumn) == 0) {
            columns.emplace_back();
            widths.push_back(0);
        }
        columns.back().push_back(measured[i].second);
        widths.back() = std::max(widths.back(), measured[i].first);
    }
    int gap = 0;
    if (columns.size() > 1)
        gap = (rectangle.width - std::accumulate(widths.begin(), widths.end(), 0)) / int(columns.size() - 1);
    std::vector<size_t> order(columns.size());
    std::iota(order.begin(), order.end(), size_t(0));
    for (auto& column : columns)
        std::shuffle(column.begin(), column.end(), GameRandom());
    std::shuffle(order.begin(), order.end(), GameRandom());
    const int lineHeight = FONT_CORBEL ? FONT_CORBEL->Height() : 20;
    int atX = rectangle.x;
    for (size_t c : order) {
        int atY = rectangle.y + top;
        for (TRecord* l : columns[c]) {
            l->x = atX;
            l->layoutY = atY;
            l->columnWidth = widths[c];
            atY += lineHeight;
        }
        atX += widths[c] + gap;
    }
}

void TNotepad::Draw(Graphics& g)
{
    g.font = FONT_CORBEL;
    g.color = Color(textColour);
    if (disabled || AllFound())
        return;
    g.DrawTextInWidth(Lang::Instance()("Interface", "NotepadTitle"), rectangle.x, rectangle.y, rectangle.width, 0,
                      true, 0, -1, -1);
    for (const auto& l : lines) {
        if (!l->active)
            continue;
        l->Draw(g, l->x, l->layoutY, l->columnWidth);
        if (l->count != 0)
            continue;
        if (!l->struck) {
            l->StartStrike();
            continue;
        }
        if (!IMAGE_LINE)
            continue;
        const int w = g.TextWidth(l->shownText);
        const Rect box((l->columnWidth - w) / 2 + l->x - 5, l->layoutY - 15, int(l->strikeProgress * float(w)) + 10,
                       20);
        const bool oldColorize = g.colorizeImages;
        g.color = Color(WithAlpha(strikeColour, l->alpha));
        g.colorizeImages = true;
        g.DrawImageStretched(IMAGE_LINE, box,
                             Rect(0, 0, int(l->strikeProgress * float(IMAGE_LINE->width)), IMAGE_LINE->height));
        g.colorizeImages = oldColorize;
    }
}

void TNotepad::SaveState(const std::string& section) const
{
    std::string value;
    for (size_t i = 0; i < lines.size(); ++i)
        value += (i ? "," : "") + EncodeHexKey(lines[i]->keyText) + "/" + std::to_string(lines[i]->count);
    ProfileSet(section, "Notepad", value);
}

void TNotepad::LoadState(const std::string& section)
{
    lines.clear();
    lineCount = 0;
    std::string value;
    if (ProfileLookup(section, "Notepad", value)) {
        size_t start = 0;
        while (start < value.size()) {
            size_t comma = value.find(',', start);
            if (comma == std::string::npos)
                comma = value.size();
            const std::string entry = value.substr(start, comma - start);
            start = comma + 1;
            if (entry.empty())
                continue;
            const size_t slash = entry.find('/');
            const std::string key = entry.substr(0, slash);
            const int count = slash == std::string::npos ? 0 : std::atoi(entry.c_str() + slash + 1);
            AddRecord(DecodeHexKey(key), std::max(count, 0));
        }
    }
    ActivateLines();
    Layout();
}

// ---- TStatistic --------------------------------------------------------------------

TStatistic::TStatistic()
{
    for (int32_t id : {MSG_MISS, MSG_ELEMENT_TAKEN, MSG_LEVEL_UNBLOCKED, MSG_LEVEL_BLOCKED, MSG_FRAME_TICK})
        Subscribe(this, id);
}

void TStatistic::OnMessage(int32_t id, TMessenger*, TMessageData* data)
{
    switch (id) {
    case MSG_FRAME_TICK:
        if (running && data)
            clock += data->floatValue;
        break;
    case MSG_ELEMENT_TAKEN:
        missTimes.clear();
        break;
    case MSG_LEVEL_BLOCKED:
        running = false;
        break;
    case MSG_LEVEL_UNBLOCKED:
        running = true;
        break;
    case MSG_MISS:
        if (!running)
            break;
        missTimes.push_back(clock);
        if (missTimes.size() > 3 && std::fabs(missTimes[0] - missTimes[2]) < threshold) {
            missTimes.clear();
            TMessageData burst(int32_t(20));
            Send(this, MSG_MISS_BURST, &burst);
        }
        break;
    default:
        break;
    }
}

} // namespace Quib
