#include "tests/playthrough/Walkthrough.h"

#include "framework/widgets/ButtonWidget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/InputTranslator.h"
#include "platform/WindowMessages.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "src/GameApp.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/ispy/TPaintElement.h"
#include "src/game/ispy/TPicture.h"
#include "src/game/minigames/QstFieldBuro.h"
#include "src/game/minigames/QstFieldChain.h"
#include "src/game/minigames/QstFieldDoorLock.h"
#include "src/game/minigames/QstFieldGorelka.h"
#include "src/game/minigames/QstFieldLock15.h"
#include "src/game/minigames/QstFieldMummy.h"
#include "src/game/minigames/QstFieldMusicBox.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/minigames/QstFieldSeif.h"
#include "src/game/minigames/QstFieldSpyGlass.h"
#include "src/game/quest/QstTutorDialog.h"
#include "framework/graphics/Image.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolPlace.h"
#include "src/game/quest/QstPoolWidget.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstTrashDialog.h"
#include "src/screens/GameBoard.h"
#include "src/screens/MainMenu.h"
#include "src/screens/Movie.h"
#include "src/screens/ProfileScreen.h"
#include "src/game/quest/QstBookButton.h"
#include "src/screens/HintWidget.h"
#include "src/screens/TGameButton.h"
#include "tests/support/TileLockSolution.h"
#include "tests/support/WidgetSearch.h"
#include "src/screens/ScaleButton.h"

#include <cxxabi.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <queue>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <typeinfo>

namespace Quib::Playthrough {

namespace {

constexpr int kUpdatesPerSecond = 100;
// Updates between one step's last input and the next step.
constexpr int kStepGap = 30;
// Updates a resolved point must stay where it is before it is clicked.
constexpr int kStableUpdates = 12;
// Updates an item's picture must have been in place before it is clicked.
constexpr int kAppearUpdates = 50;
// How long a step may wait for what it needs.
constexpr int kStepTimeout = 30 * kUpdatesPerSecond;

struct Point2 {
    int x = 0;
    int y = 0;
};

const std::map<std::string, int, std::less<>>& KeyNames()
{
    static const std::map<std::string, int, std::less<>> keys = {
        {"Escape", VK_ESCAPE}, {"Enter", VK_RETURN}, {"Return", VK_RETURN}, {"Space", VK_SPACE},
        {"Tab", VK_TAB},       {"Backspace", VK_BACK}, {"F1", 0x70},        {"F5", 0x74},
    };
    return keys;
}

std::string Demangled(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                std::free);
    std::string text = status == 0 && name ? name.get() : type.name();
    const size_t colon = text.rfind("::");
    return colon == std::string::npos ? text : text.substr(colon + 2);
}

bool IsShown(Widget* widget)
{
    for (Widget* w = widget; w; w = dynamic_cast<Widget*>(w->parent))
        if (!w->visible)
            return false;
    return widget && (widget->manager != nullptr);
}

GameBoard* SceneBoard(GameApp& app) { return dynamic_cast<GameBoard*>(app.CurrentBoard()); }

// The point of a field's item layer to click: an opaque pixel of the
// item's picture that the field itself finds on top and that no other
// widget covers, the one nearest the middle of all such pixels.
std::optional<Point2> ItemPoint(GameApp& app, const std::string& sceneName, const std::string& itemName,
                                bool onTop = true)
{
    GameBoard* board = SceneBoard(app);
    if (!board || !board->scene)
        return std::nullopt;
    QstScene* scene = board->scene;
    if (scene->GetSceneName() != sceneName)
        return std::nullopt;
    QstItem* item = scene->GetItem(itemName);
    if (!item || !item->GetCurrentState())
        return std::nullopt;
    QstItemState* state = item->GetCurrentState();
    WidgetManager& wm = *app.widgetManager;
    for (const auto& [name, field] : scene->fields) {
        if (!field || field->IsClosed() || !IsShown(field))
            continue;
        for (QstFieldLayer* layer : field->layers) {
            auto* itemLayer = dynamic_cast<QstFieldItemLayer*>(layer);
            if (!itemLayer || itemLayer->GetState() != state)
                continue;
            const FRect r = itemLayer->GetRect();
            const Point origin = field->GetScreenPosition();
            std::vector<Point2> hits;
            for (int py = int(r.y); py < int(r.y + r.height); py += 2)
                for (int px = int(r.x); px < int(r.x + r.width); px += 2) {
                    if (!itemLayer->HitTest(px, py) || (onTop && field->FindLayerAt(px, py) != layer))
                        continue;
                    const int sx = origin.x + px, sy = origin.y + py;
                    if (sx < 0 || sy < 0 || sx >= app.AppWidth() || sy >= app.AppHeight())
                        continue;
                    int lx = 0, ly = 0;
                    Widget* top = wm.GetWidgetAt(sx, sy, &lx, &ly);
                    bool ours = !onTop;
                    for (Widget* w = top; w; w = dynamic_cast<Widget*>(w->parent))
                        ours = ours || w == field;
                    if (ours)
                        hits.push_back({sx, sy});
                }
            if (hits.empty())
                continue;
            double cx = 0, cy = 0;
            for (const Point2& p : hits)
                cx += p.x, cy += p.y;
            cx /= double(hits.size());
            cy /= double(hits.size());
            Point2 best = hits.front();
            double bestDistance = 1e18;
            for (const Point2& p : hits) {
                const double d = (p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy);
                if (d < bestDistance)
                    bestDistance = d, best = p;
            }
            return best;
        }
    }
    return std::nullopt;
}

// The middle of the inventory cell holding the item, on the screen.
std::optional<Point2> PoolPoint(GameApp& app, const std::string& itemName)
{
    GameBoard* board = SceneBoard(app);
    if (!board || !board->poolWidget || !board->poolWidget->pool)
        return std::nullopt;
    QstPoolData& pool = *board->poolWidget->pool;
    const Point origin = board->poolWidget->GetScreenPosition();
    for (const QstPoolPlace& place : pool.places) {
        if (!place.entry || !place.entry->placed || !place.entry->item)
            continue;
        if (place.entry->item->GetName() != itemName && place.entry->item->GetFullName() != itemName)
            continue;
        if (pool.slide != 0.0f)
            return std::nullopt; // still coming up
        return Point2{origin.x + int(place.x + place.width / 2), origin.y + int(place.y + place.height / 2)};
    }
    return std::nullopt;
}

// A point of the strip's visible part (or its arrow), where the mouse
// makes it come up.
std::optional<Point2> StripPoint(GameApp& app)
{
    GameBoard* board = SceneBoard(app);
    if (!board || !board->poolWidget || !board->poolWidget->pool)
        return std::nullopt;
    QstPoolData& pool = *board->poolWidget->pool;
    for (int py = app.AppHeight() - 2 - pool.stripY; py >= -pool.stripY; py -= 2)
        for (int px = pool.stripWidth / 2, step = 0; px >= 0 && px < pool.stripWidth;
             ++step, px += (step % 2 ? step : -step) * 2)
            if (pool.IsOverStrip(px, py)) {
                int lx = 0, ly = 0;
                if (app.widgetManager->GetWidgetAt(pool.stripX + px, pool.stripY + py, &lx, &ly) == board->poolWidget)
                    return Point2{pool.stripX + px, pool.stripY + py};
            }
    return std::nullopt;
}

std::optional<Point2> MovieSkipPoint(GameApp& app)
{
    auto* movie = dynamic_cast<Movie*>(app.CurrentBoard());
    if (!movie)
        return std::nullopt;
    for (Widget* child : movie->children)
        if (auto* button = dynamic_cast<ButtonWidget*>(child); button && button->id == Movie::kSkipButton) {
            if (!IsShown(button))
                return std::nullopt;
            const Point at = button->GetScreenPosition();
            return Point2{at.x + button->width / 2, at.y + button->height / 2};
        }
    return std::nullopt;
}

template <class T>
T* FindInTree(WidgetContainer* parent)
{
    for (Widget* child : parent->children) {
        if (auto* found = dynamic_cast<T*>(child))
            return found;
        if (T* deeper = FindInTree<T>(child))
            return deeper;
    }
    return nullptr;
}

using Testing::FindButton;

// The named button of what is shown: the main menu's play, profiles,
// options, credits and exit; the profile screen's create, delete, rename
// and back; a scene's journal, menu and hint; a movie's skip.
Widget* NamedButton(GameApp& app, const std::string& name)
{
    BaseBoard* board = app.CurrentBoard();
    if (!board)
        return nullptr;
    if (ProfileScreen* profiles = FindInTree<ProfileScreen>(board)) {
        static const std::map<std::string, int, std::less<>> ids = {
            {"create", ProfileScreen::kCreate}, {"delete", ProfileScreen::kDelete}, {"rename", ProfileScreen::kRename}};
        if (name == "back")
            return profiles->backButton;
        if (const auto id = ids.find(name); id != ids.end())
            return profiles->buttons[size_t(id->second)];
        return nullptr;
    }
    if (auto* menu = dynamic_cast<MainMenu*>(board)) {
        static const std::map<std::string, int, std::less<>> ids = {{"play", MainMenu::kPlay},
                                                                    {"profiles", MainMenu::kProfiles},
                                                                    {"options", MainMenu::kOptions},
                                                                    {"credits", MainMenu::kCredits},
                                                                    {"exit", MainMenu::kExit}};
        const auto id = ids.find(name);
        return id != ids.end() && size_t(id->second) < menu->buttons.size() ? menu->buttons[size_t(id->second)]
                                                                            : nullptr;
    }
    if (auto* scene = dynamic_cast<GameBoard*>(board)) {
        if (name == "journal")
            return scene->bookButton;
        if (name == "hint")
            return scene->hintWidget;
        if (name == "menu")
            return FindButton(scene, GameBoard::kMenuButton);
        return nullptr;
    }
    if (auto* movie = dynamic_cast<Movie*>(board); movie && name == "skip")
        return FindButton(movie, Movie::kSkipButton);
    return nullptr;
}

// A point of the close (index 0) or skip (1) control of the close-up on
// top, where the field finds that control.
std::optional<Point2> FieldControlPoint(GameApp& app, size_t index)
{
    GameBoard* board = SceneBoard(app);
    if (!board || !board->scene || board->scene->onScreenFields.empty())
        return std::nullopt;
    QstField* field = board->scene->onScreenFields.back();
    if (!field || field->IsClosed() || !IsShown(field) || index >= field->controls.size())
        return std::nullopt;
    const QstFieldControl* control = field->controls[index];
    if (!control->visible)
        return std::nullopt;
    const Point origin = field->GetScreenPosition();
    const int cx = control->x + control->width / 2, cy = control->y + control->height / 2;
    for (int r = 0; r < std::max(control->width, control->height); r += 2)
        for (int dy = -r; dy <= r; dy += std::max(1, 2 * r))
            for (int dx = -r; dx <= r; dx += 2)
                if (field->ControlAt(cx + dx, cy + dy) == int(index))
                    return Point2{origin.x + cx + dx, origin.y + cy + dy};
    return std::nullopt;
}

std::optional<Point2> ButtonPoint(GameApp& app, const std::string& name)
{
    if (name == "close" || name == "skip_puzzle")
        return FieldControlPoint(app, name == "close" ? 0 : 1);
    if (name == "found_ok") {
        // The dialog that shows what a won hidden-object level gave.
        auto* dialog = app.CurrentBoard() ? FindInTree<QstTrashDialog>(app.CurrentBoard()) : nullptr;
        if (!dialog || !dialog->closeButton || !IsShown(dialog->closeButton) || dialog->progress < 1.0f)
            return std::nullopt;
        const Point at = dialog->closeButton->GetScreenPosition();
        return Point2{at.x + dialog->closeButton->width / 2, at.y + dialog->closeButton->height / 2};
    }
    Widget* button = NamedButton(app, name);
    if (!button || !IsShown(button))
        return std::nullopt;
    const Point at = button->GetScreenPosition();
    return Point2{at.x + button->width / 2, at.y + button->height / 2};
}

// The element drawn on top at a board point, of those that can be hit.
TPaintElement* HogTopAt(TPicture& picture, int x, int y)
{
    for (size_t i = picture.drawList.size(); i-- > 0;)
        if (picture.drawList[i]->CanBeHitAt(x - picture.pictureRect.x, y - picture.pictureRect.y))
            return picture.drawList[i];
    return nullptr;
}

// A screen point of an object still to be found: of an active notepad
// line, in view, and answered by the level's own hit test.
std::optional<Point2> HogPoint(GameApp& app, std::string& which)
{
    auto* board = dynamic_cast<ISpy*>(app.CurrentBoard());
    if (!board || !board->picture)
        return std::nullopt;
    TPicture& picture = *board->picture;
    const Point origin = board->GetScreenPosition();
    for (auto& line : picture.notepad.lines) {
        if (!line->active || line->count == 0)
            continue;
        for (TPaintElement* e : picture.drawList) {
            if (e->text != line->keyText || e->taken || !e->currentFrame)
                continue;
            const Point at = e->GetFramePosition();
            const Point size = e->GetFrameSize();
            std::vector<Point2> hits;
            for (int y = 0; y < size.y; y += 2)
                for (int x = 0; x < size.x; x += 2) {
                    const int bx = picture.pictureRect.x + at.x + x, by = picture.pictureRect.y + at.y + y;
                    if (HogTopAt(picture, bx, by) == e && picture.HitTest(bx, by) == e)
                        hits.push_back({bx, by});
                }
            if (hits.empty())
                continue;
            which = e->name;
            const Point2 mid = hits[hits.size() / 2];
            return Point2{origin.x + mid.x, origin.y + mid.y};
        }
    }
    return std::nullopt;
}

bool HogWon(GameApp& app)
{
    auto* board = dynamic_cast<ISpy*>(app.CurrentBoard());
    return board && board->won;
}

// ---- Close-up puzzles: their solutions from their own data ----

using Testing::TileMove;
using Testing::TileSolution;

bool FieldOnScreen(GameApp& app, const std::string& sceneName, const std::string& fieldName)
{
    GameBoard* board = SceneBoard(app);
    if (!board || !board->scene || board->scene->GetSceneName() != sceneName)
        return false;
    for (const QstField* f : board->scene->onScreenFields)
        if (f->name == fieldName)
            return true;
    return false;
}

// The middle of a puzzle picture on the screen (pictures are in scene
// coordinates).
std::optional<Point2> PicturePoint(GameApp& app, const MinigamePicture* picture)
{
    GameBoard* board = SceneBoard(app);
    if (!board || !board->scene || !picture || !picture->image)
        return std::nullopt;
    const Point origin = board->scene->GetScreenPosition();
    return Point2{origin.x + int(picture->x) + picture->image->width / 2,
                  origin.y + int(picture->y) + picture->image->height / 2};
}

// A point of a jigsaw part where the part itself takes the mouse.
std::optional<Point2> PartPoint(GameApp& app, ImgPart* part)
{
    const Point screen = part->GetScreenPosition();
    for (const PuzzlePiece& piece : part->pieces) {
        if (!piece.picture || !piece.picture->image)
            continue;
        const int px = screen.x + int(piece.x) + piece.picture->image->width / 2;
        const int py = screen.y + int(piece.y) + piece.picture->image->height / 2;
        int lx = 0, ly = 0;
        if (app.widgetManager->GetWidgetAt(px, py, &lx, &ly) == part)
            return Point2{px, py};
    }
    return std::nullopt;
}

bool SplitRef(const std::string& ref, std::string& scene, std::string& item)
{
    const size_t slash = ref.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == ref.size())
        return false;
    scene = ref.substr(0, slash);
    item = ref.substr(slash + 1);
    return true;
}

} // namespace

bool ParseWalkthrough(const std::string& text, std::vector<WalkStep>& steps, std::string& error)
{
    static const std::map<std::string, std::pair<int, int>, std::less<>> kArity = {
        {"wait_board", {1, 1}}, {"click", {2, 2}},     {"click_item", {1, 1}}, {"use_item", {2, 2}},
        {"type", {1, 1}},       {"key", {1, 1}},       {"skip_movie", {0, 0}}, {"solve_field", {1, 1}},
        {"solve_hog", {0, 0}},  {"wait", {1, 1}},      {"move", {2, 2}},       {"click_button", {1, 1}},
        {"click_close", {1, 1}},
    };
    steps.clear();
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        WalkStep step;
        step.line = number;
        step.text = line.substr(first);
        std::istringstream words(step.text);
        words >> step.verb;
        if (step.verb == "type") {
            // The rest of the line, as typed.
            std::string rest;
            std::getline(words, rest);
            const size_t start = rest.find_first_not_of(" \t");
            step.args.push_back(start == std::string::npos ? std::string() : rest.substr(start));
        } else {
            for (std::string word; words >> word;)
                step.args.push_back(word);
        }
        const auto arity = kArity.find(step.verb);
        if (arity == kArity.end()) {
            error = "line " + std::to_string(number) + ": unknown step \"" + step.verb + "\"";
            return false;
        }
        if (int(step.args.size()) < arity->second.first || int(step.args.size()) > arity->second.second ||
            (step.verb == "type" && step.args[0].empty())) {
            error = "line " + std::to_string(number) + ": wrong arguments for " + step.verb;
            return false;
        }
        if (step.verb == "key" && !KeyNames().contains(step.args[0]) && step.args[0].size() != 1) {
            error = "line " + std::to_string(number) + ": unknown key " + step.args[0];
            return false;
        }
        std::string scene, item;
        if ((step.verb == "click_item" || step.verb == "solve_field" || step.verb == "click_close") &&
            !SplitRef(step.args[0], scene, item)) {
            error = "line " + std::to_string(number) + ": expected <scene>/<name>";
            return false;
        }
        if (step.verb == "use_item" && !SplitRef(step.args[1], scene, item)) {
            error = "line " + std::to_string(number) + ": expected <scene>/<item> as the target";
            return false;
        }
        steps.push_back(std::move(step));
    }
    return true;
}

std::string BoardName(GameApp& app)
{
    BaseBoard* board = app.CurrentBoard();
    if (!board)
        return "none";
    std::string name = Demangled(typeid(*board));
    if (auto* scene = dynamic_cast<GameBoard*>(board); scene && scene->scene)
        name += ":" + scene->scene->GetSceneName();
    else if (auto* movie = dynamic_cast<Movie*>(board))
        name += ":" + movie->movieName;
    else if (auto* hog = dynamic_cast<ISpy*>(board); hog && hog->picture)
        name += ":" + hog->picture->name;
    return name;
}

bool BoardMatches(const std::string& shown, const std::string& wanted)
{
    // The full name, its class part, or (for a scene) the scene's name.
    const size_t colon = shown.find(':');
    return shown == wanted || shown.substr(0, colon) == wanted ||
           (shown.rfind("GameBoard:", 0) == 0 && shown.substr(colon + 1) == wanted);
}

bool BoardSettled(GameApp& app)
{
    return app.CurrentBoard() && !app.Transformer() && !app.GetLoadingScreen() &&
           !(app.loadingStarted && !app.loadingFinished.load()) && app.NextBoard() == app.CurrentBoard();
}

void WalkthroughPlayer::Queue(int gap, std::function<void(HeadlessWindow&)> send)
{
    const int base = queued.empty() ? now : queued.back().atUpdate;
    queued.push_back({base + gap, std::move(send)});
}

void WalkthroughPlayer::QueueClick(int x, int y)
{
    trace.push_back("    click " + std::to_string(x) + "," + std::to_string(y));
    Queue(1, [x, y](HeadlessWindow& w) { w.MouseMove(x, y); });
    Queue(3, [x, y](HeadlessWindow& w) { w.MouseDown(InputEvent::Left, x, y); });
    Queue(3, [x, y](HeadlessWindow& w) { w.MouseUp(InputEvent::Left, x, y); });
}

void WalkthroughPlayer::Fail(const std::string& reason)
{
    const WalkStep& step = steps[next];
    failed = true;
    error = "line " + std::to_string(step.line) + " \"" + step.text + "\" at update " + std::to_string(now) + ": " +
            reason;
}

bool WalkthroughPlayer::ClickWhenStable(bool found, int x, int y)
{
    int atX = 0, atY = 0;
    if (!ResolveStable(found, x, y, atX, atY))
        return false;
    QueueClick(atX, atY);
    return true;
}

bool WalkthroughPlayer::ResolveStable(bool found, int x, int y, int& outX, int& outY, int needed)
{
    if (!found) {
        stableCount = 0;
        return false;
    }
    if (x == stableX && y == stableY) {
        ++stableCount;
    } else {
        stableX = x;
        stableY = y;
        stableCount = 0;
    }
    if (stableCount < needed)
        return false;
    outX = x;
    outY = y;
    stableCount = 0;
    stableX = stableY = -1;
    return true;
}

void WalkthroughPlayer::Tick(GameApp& app, HeadlessWindow& window)
{
    now = app.updateCount;
    while (!queued.empty() && queued.front().atUpdate <= now) {
        auto send = std::move(queued.front().send);
        queued.pop_front();
        send(window);
        lastInput = now;
    }
    if (!queued.empty() || Finished())
        return;
    if (next >= steps.size()) {
        if (now - lastInput >= kStepGap)
            done = true;
        return;
    }
    if (!inStep) {
        if (now - lastInput < kStepGap)
            return;
        inStep = true;
        stepStart = now;
        phase = 0;
        counter = 0;
        stableCount = 0;
        stableX = stableY = -1;
        trace.push_back(std::to_string(now) + " " + BoardName(app) + " | " + steps[next].text);
    }
    if (now - stepStart > kStepTimeout) {
        Fail("timed out on board " + BoardName(app));
        return;
    }
    if (RunStep(app, steps[next])) {
        inStep = false;
        ++next;
        lastInput = now;
    }
}

bool WalkthroughPlayer::RunStep(GameApp& app, const WalkStep& step)
{
    const std::string& verb = step.verb;
    const auto& args = step.args;
    int x = 0, y = 0;
    if (verb == "wait") {
        return now - stepStart >= int(std::atof(args[0].c_str()) * kUpdatesPerSecond);
    }
    if (verb == "wait_board") {
        if (BoardSettled(app) && BoardMatches(BoardName(app), args[0]))
            ++counter;
        else
            counter = 0;
        return counter >= 20;
    }
    if (verb == "click" || verb == "move") {
        x = std::atoi(args[0].c_str());
        y = std::atoi(args[1].c_str());
        if (verb == "click")
            QueueClick(x, y);
        else
            Queue(1, [x, y](HeadlessWindow& w) { w.MouseMove(x, y); });
        return true;
    }
    if (verb == "key") {
        const auto found = KeyNames().find(args[0]);
        const int vk = found != KeyNames().end() ? found->second : std::toupper(uint8_t(args[0][0]));
        Queue(1, [vk](HeadlessWindow& w) { w.KeyDown(uint8_t(vk)); });
        Queue(3, [vk](HeadlessWindow& w) { w.KeyUp(uint8_t(vk)); });
        return true;
    }
    if (verb == "type") {
        for (char c : args[0]) {
            const std::string one(1, c);
            Queue(4, [one](HeadlessWindow& w) { w.Type(one); });
        }
        Queue(6, [](HeadlessWindow& w) { w.KeyDown(VK_RETURN); });
        Queue(3, [](HeadlessWindow& w) { w.KeyUp(VK_RETURN); });
        return true;
    }
    if (verb == "skip_movie") {
        if (!BoardMatches(BoardName(app), "Movie") || !BoardSettled(app))
            return false;
        const auto p = MovieSkipPoint(app);
        return ClickWhenStable(p.has_value(), p ? p->x : 0, p ? p->y : 0);
    }
    if (verb == "click_button") {
        const auto p = BoardSettled(app) ? ButtonPoint(app, args[0]) : std::nullopt;
        return ClickWhenStable(p.has_value(), p ? p->x : 0, p ? p->y : 0);
    }
    if (verb == "click_close") {
        std::string scene, field;
        SplitRef(args[0], scene, field);
        GameBoard* board = SceneBoard(app);
        const bool open = BoardSettled(app) && board && board->scene && board->scene->GetSceneName() == scene &&
                          !board->scene->onScreenFields.empty() && board->scene->onScreenFields.back()->name == field;
        const auto p = open ? FieldControlPoint(app, 0) : std::nullopt;
        return ClickWhenStable(p.has_value(), p ? p->x : 0, p ? p->y : 0);
    }
    if (verb == "click_item") {
        std::string scene, item;
        SplitRef(args[0], scene, item);
        const auto p = BoardSettled(app) ? ItemPoint(app, scene, item) : std::nullopt;
        // A picture that has just appeared fades in first.
        if (ResolveStable(p.has_value(), p ? p->x : 0, p ? p->y : 0, x, y, kAppearUpdates)) {
            // The mouse rests on it first: a way out shows its label then.
            const int hx = x + 3, hy = y + 3;
            Queue(1, [hx, hy](HeadlessWindow& w) { w.MouseMove(hx, hy); });
            QueueWait(12);
            QueueClick(x, y);
            return true;
        }
        return false;
    }
    if (verb == "use_item") {
        std::string scene, item;
        SplitRef(args[1], scene, item);
        if (!BoardSettled(app))
            return false;
        switch (phase) {
        case 0: { // the target first, while the strip is out of the way
            const auto p = ItemPoint(app, scene, item);
            if (ResolveStable(p.has_value(), p ? p->x : 0, p ? p->y : 0, x, y)) {
                targetX = x;
                targetY = y;
                const auto strip = StripPoint(app);
                if (!strip) {
                    Fail("no inventory strip");
                    return false;
                }
                const Point2 s = *strip;
                trace.push_back("    strip " + std::to_string(s.x) + "," + std::to_string(s.y));
                Queue(1, [s](HeadlessWindow& w) { w.MouseMove(s.x, s.y); });
                phase = 1;
            }
            return false;
        }
        case 1: { // the item's cell, once it stays put: taken up and carried over
            const auto p = PoolPoint(app, args[0]);
            if (!ResolveStable(p.has_value(), p ? p->x : 0, p ? p->y : 0, x, y))
                return false;
            const int fromX = x, fromY = y, toX = targetX, toY = targetY;
            trace.push_back("    take " + std::to_string(fromX) + "," + std::to_string(fromY));
            QueueClick(fromX, fromY);
            constexpr int kMoves = 12;
            for (int i = 1; i <= kMoves; ++i) {
                const int mx = fromX + (toX - fromX) * i / kMoves, my = fromY + (toY - fromY) * i / kMoves;
                Queue(2, [mx, my](HeadlessWindow& w) { w.MouseMove(mx, my); });
            }
            phase = 2;
            return false;
        }
        default: { // the target where it shows now (the strip stays up while carrying)
            const auto p = ItemPoint(app, scene, item);
            return ClickWhenStable(p.has_value(), p ? p->x : 0, p ? p->y : 0);
        }
        }
    }
    if (verb == "solve_hog") {
        if (phase == 0) {
            if (!BoardMatches(BoardName(app), "ISpy") || !BoardSettled(app))
                return false;
            if (HogWon(app)) {
                phase = 1;
                return false;
            }
            std::string which;
            const auto p = HogPoint(app, which);
            if (!p)
                return false;
            if (which == lastTarget && now - lastInput < 100)
                return false; // the last click is still being taken
            lastTarget = which;
            ++hogClicks;
            QueueClick(p->x, p->y);
            Queue(25, [](HeadlessWindow&) {});
            return false;
        }
        // Won: the dialog of what it gave is closed; done once the level
        // hands back to its scene.
        if (BoardMatches(BoardName(app), "ISpy")) {
            const auto p = ButtonPoint(app, "found_ok");
            if (ResolveStable(p.has_value(), p ? p->x : 0, p ? p->y : 0, x, y)) {
                QueueClick(x, y);
                Queue(50, [](HeadlessWindow&) {});
            }
            return false;
        }
        return BoardSettled(app);
    }
    if (verb == "solve_field") {
        std::string scene, field;
        SplitRef(args[0], scene, field);
        return SolveField(app, scene, field);
    }
    Fail("unknown step");
    return false;
}


void WalkthroughPlayer::QueueButtonClick(int x, int y, bool right)
{
    const uint8_t button = right ? InputEvent::Right : InputEvent::Left;
    trace.push_back(std::string("    ") + (right ? "right " : "") + "click " + std::to_string(x) + "," +
                    std::to_string(y));
    Queue(1, [x, y](HeadlessWindow& w) { w.MouseMove(x, y); });
    Queue(3, [x, y, button](HeadlessWindow& w) { w.MouseDown(button, x, y); });
    Queue(3, [x, y, button](HeadlessWindow& w) { w.MouseUp(button, x, y); });
}

void WalkthroughPlayer::QueueDrag(int fromX, int fromY, int toX, int toY)
{
    trace.push_back("    drag " + std::to_string(fromX) + "," + std::to_string(fromY) + " to " + std::to_string(toX) +
                    "," + std::to_string(toY));
    Queue(1, [fromX, fromY](HeadlessWindow& w) { w.MouseMove(fromX, fromY); });
    Queue(2, [fromX, fromY](HeadlessWindow& w) { w.MouseDown(InputEvent::Left, fromX, fromY); });
    constexpr int kMoves = 6;
    for (int i = 1; i <= kMoves; ++i) {
        const int mx = fromX + (toX - fromX) * i / kMoves, my = fromY + (toY - fromY) * i / kMoves;
        Queue(2, [mx, my](HeadlessWindow& w) { w.MouseMove(mx, my); });
    }
    Queue(2, [toX, toY](HeadlessWindow& w) { w.MouseUp(InputEvent::Left, toX, toY); });
}

void WalkthroughPlayer::QueueWait(int updates)
{
    Queue(updates, [](HeadlessWindow&) {});
}

bool WalkthroughPlayer::TakeFromPool(GameApp& app, const std::string& itemRef)
{
    if (takePhase == 0) {
        const auto strip = StripPoint(app);
        if (!strip)
            return false;
        const Point2 s = *strip;
        Queue(1, [s](HeadlessWindow& w) { w.MouseMove(s.x, s.y); });
        takePhase = 1;
        return false;
    }
    const auto p = PoolPoint(app, itemRef);
    if (!ClickWhenStable(p.has_value(), p ? p->x : 0, p ? p->y : 0))
        return false;
    takePhase = 0;
    return true;
}

bool WalkthroughPlayer::SolveField(GameApp& app, const std::string& sceneName, const std::string& fieldName)
{
    GameBoard* board = SceneBoard(app);
    QstScene* scene = board ? board->scene : nullptr;
    if (phase == 0) {
        // The close-up is open, and its help (when it shows one) is read.
        if (!BoardSettled(app) || !FieldOnScreen(app, sceneName, fieldName))
            return false;
        QueueWait(40);
        phase = 1;
        return false;
    }
    if (phase == 1) {
        if (scene && FindInTree<QstTutorDialog>(scene)) {
            QueueClick(2, 2);
            QueueWait(40);
            return false;
        }
        QueueWait(20);
        phase = 2;
        solveIndex = 0;
        solveGuard = 0;
        parked = 0;
        takePhase = 0;
        tileMoves.clear();
        return false;
    }
    if (!FieldOnScreen(app, sceneName, fieldName)) {
        // Won: the close-up has gone.
        if (phase != 99) {
            phase = 99;
            QueueWait(50);
            return false;
        }
        return true;
    }
    QstField* field = scene ? scene->GetField(fieldName) : nullptr;
    if (!field)
        return false;
    if (++solveGuard > 400) {
        Fail("the puzzle " + sceneName + "/" + fieldName + " was not solved");
        return false;
    }
    const Point origin = scene->GetScreenPosition();

    if (auto* box = dynamic_cast<QstFieldMusicBox*>(field)) {
        // Each stage's tune set pin by pin, then played.
        const int stage = box->stage;
        if (stage < 0 || stage >= 3) {
            QueueWait(20);
            return false;
        }
        if (solveIndex < QstFieldMusicBox::kColumns) {
            const int c = solveIndex++;
            const auto& pin = box->pins[0][size_t(box->melodies[size_t(stage)][size_t(c)])][size_t(c)];
            QueueClick(origin.x + int(pin.x), origin.y + int(pin.y));
        } else if (box->playButton) {
            const Point at = box->playButton->GetScreenPosition();
            QueueClick(at.x + box->playButton->width / 2, at.y + box->playButton->height / 2);
            QueueWait(400);
            solveIndex = 0;
        }
        return false;
    }
    // A code lock: the key of each of the code's characters pressed in turn
    // (keyOf gives the picture of a key, by its index from the first
    // character), a few updates apart.
    const auto pressCode = [&](const std::string& code, char first, auto keyOf) {
        if (solveIndex < int(code.size())) {
            if (const auto p = PicturePoint(app, keyOf(size_t(code[size_t(solveIndex++)] - first))))
                QueueClick(p->x, p->y);
            QueueWait(3);
        } else {
            QueueWait(100);
        }
        return false;
    };
    if (auto* buro = dynamic_cast<QstFieldBuro*>(field))
        return pressCode(buro->combination, '1', [&](size_t i) -> const MinigamePicture* {
            return i < buro->buttons.size() ? buro->buttons[i].hoverPicture : nullptr;
        });
    if (auto* safe = dynamic_cast<QstFieldSeif*>(field))
        return pressCode(safe->combination, '0', [&](size_t i) -> const MinigamePicture* {
            return i < safe->digits.size() ? safe->digits[i].picture : nullptr;
        });
    if (auto* door = dynamic_cast<QstFieldDoorLock*>(field)) {
        // Turned until it opens.
        if (door->solved || door->turning) {
            QueueWait(10);
            return false;
        }
        const Rect inner = door->GetInnerArea();
        const Point at = door->GetScreenPosition();
        QueueClick(at.x + inner.x + 10, at.y + inner.y + inner.height - 10);
        QueueWait(10);
        return false;
    }
    if (auto* lock = dynamic_cast<QstFieldLock15*>(field)) {
        // The key into each lock, then the tiles home.
        if (!lock->AllKeysIn()) {
            QstPoolData* pool = scene->GetPool();
            if (pool && pool->GetDraggedItem()) {
                for (const auto& l : lock->locks)
                    if (!l.inserted) {
                        if (const auto p = PicturePoint(app, l.lockPicture))
                            QueueClick(p->x, p->y);
                        QueueWait(30);
                        break;
                    }
                return false;
            }
            TakeFromPool(app, "study:key");
            return false;
        }
        if (tileMoves.empty() && solveIndex == 0) {
            QueueWait(120);
            tileMoves = TileSolution(lock->Arrangement());
            if (tileMoves.empty()) {
                Fail("no way to put the tiles home");
                return false;
            }
            return false;
        }
        if (lock->moving) {
            QueueWait(5);
            return false;
        }
        if (solveIndex < int(tileMoves.size())) {
            const TileMove move = tileMoves[size_t(solveIndex++)];
            if (const auto p = PicturePoint(app, lock->locks[size_t(move.first)].lockPicture))
                QueueButtonClick(p->x, p->y, !move.second);
            QueueWait(10);
        } else {
            QueueWait(20);
        }
        return false;
    }
    if (auto* puzzle = dynamic_cast<QstFieldPuzzle*>(field)) {
        // Parts joined to the anchored group one by one; a part lying over
        // the wanted ones is put aside below the picture first.
        if (puzzle->parts.size() <= 1) {
            QueueWait(20);
            return false;
        }
        const Rect inner = puzzle->GetInnerArea();
        const Point at = puzzle->GetScreenPosition();
        const int spotY = at.y + inner.y + inner.height - 88;
        QstFieldPuzzle::Part* anchor = nullptr;
        for (QstFieldPuzzle::Part* part : puzzle->parts)
            if (part->locked)
                anchor = part;
        if (!anchor) {
            Fail("the jigsaw has no anchored part");
            return false;
        }
        QstFieldPuzzle::Part* part = nullptr;
        QstFieldPuzzle::Part* top = nullptr;
        Point2 press, topPress;
        for (auto it = puzzle->children.rbegin(); it != puzzle->children.rend() && !part; ++it) {
            auto* candidate = dynamic_cast<QstFieldPuzzle::Part*>(*it);
            if (!candidate || candidate->locked ||
                std::find(puzzle->parts.begin(), puzzle->parts.end(), candidate) == puzzle->parts.end())
                continue;
            if (!top && candidate->GetScreenPosition().y < spotY - 10)
                if (const auto p = PartPoint(app, candidate)) {
                    top = candidate;
                    topPress = *p;
                }
            if (puzzle->AreNeighbours(candidate, anchor))
                if (const auto p = PartPoint(app, candidate)) {
                    part = candidate;
                    press = *p;
                }
        }
        if (!part) {
            if (!top) {
                QueueWait(10);
                return false;
            }
            const Point spot(at.x + inner.x - 30 + 125 * (parked++ % 4), spotY);
            const Point topAt = top->GetScreenPosition();
            QueueDrag(topPress.x, topPress.y, topPress.x + spot.x - topAt.x, topPress.y + spot.y - topAt.y);
            QueueWait(5);
            return false;
        }
        const Point target = anchor->GetOrigin();
        const Point from = part->GetOrigin();
        QueueDrag(press.x, press.y, press.x + target.x - from.x, press.y + target.y - from.y);
        QueueWait(5);
        return false;
    }
    if (auto* burner = dynamic_cast<QstFieldGorelka*>(field)) {
        // Each part dropped on the assembly.
        if (burner->stages.empty() || !burner->stages[0].first) {
            QueueWait(10);
            return false;
        }
        // The burner keeps its pictures in its own coordinates.
        const MinigamePicture* first = burner->stages[0].first;
        if (!first->image) {
            QueueWait(10);
            return false;
        }
        const Point fieldAt = burner->GetScreenPosition();
        const int stageX = fieldAt.x + int(first->x) + first->image->width / 2;
        const int stageY = fieldAt.y + int(first->y) + first->image->height / 2;
        for (QstFieldGorelka::Part* part : burner->parts) {
            if (part->placed)
                continue;
            const Point screen = part->GetScreenPosition();
            QueueDrag(screen.x + part->width / 2, screen.y + part->height / 2, stageX, stageY);
            QueueWait(200);
            return false;
        }
        QueueWait(20);
        return false;
    }
    if (auto* spy = dynamic_cast<QstFieldSpyGlass*>(field)) {
        // The glass swept over the view until it has seen what it looks for.
        const Point at = spy->GetScreenPosition();
        for (int i = 0; i < 10; ++i, ++solveIndex) {
            const int mx = at.x + 400 + (solveIndex % 200), my = at.y + 300 + (solveIndex % 100);
            Queue(2, [mx, my](HeadlessWindow& w) { w.MouseMove(mx, my); });
        }
        return false;
    }
    if (dynamic_cast<QstFieldChain*>(field)) {
        // The hook, then the two posts.
        static const char* const kOrder[] = {"hook", "post1", "post2"};
        if (solveIndex >= 3) {
            QueueWait(20);
            return false;
        }
        // The chain follows the mouse over the posts: their pictures are
        // found whether it lies over them or not.
        if (solveIndex > 0 && counter++ < 1) {
            QueueWait(60); // the post's new picture fades in
            return false;
        }
        if (const auto p = ItemPoint(app, sceneName, kOrder[solveIndex], false)) {
            QueueClick(p->x, p->y);
            QueueWait(10);
            ++solveIndex;
            counter = 0;
        }
        return false;
    }
    if (auto* mummy = dynamic_cast<QstFieldMummy*>(field)) {
        // The torch taken up starts the aiming; the mummy is hit until it gives in.
        if (!mummy->fireMode) {
            TakeFromPool(app, sceneName + ":torch");
            QueueWait(100);
            return false;
        }
        int x = 0, y = 0;
        const auto p = ItemPoint(app, sceneName, "mummy");
        if (!p) {
            QueueWait(10);
            return false;
        }
        x = p->x - mummy->virtualOffset.x;
        y = p->y - mummy->virtualOffset.y;
        QueueClick(x, y);
        QueueWait(230);
        return false;
    }
    Fail("no solver for the close-up kind of " + sceneName + "/" + fieldName);
    return false;
}

} // namespace Quib::Playthrough
