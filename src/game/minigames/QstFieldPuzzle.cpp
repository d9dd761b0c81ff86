#include "src/game/minigames/QstFieldPuzzle.h"

#include "framework/core/Color.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"
#include "framework/graphics/Image.h"
#include "src/game/Sounds.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"

#include <algorithm>
#include <set>
#include <tinyxml.h>

namespace Quib {

QstFieldPuzzle::QstFieldPuzzle(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
}

QstFieldPuzzle::~QstFieldPuzzle() { ClearParts(); }

QstFieldPuzzle::Part* QstFieldPuzzle::NewPart()
{
    auto* part = new Part(this);
    AttachChild(part);
    return part;
}

void QstFieldPuzzle::RetirePart(Part* part)
{
    parts.remove(part);
    if (part->parent)
        part->parent->DetachChild(part);
    part->SetDraggable(false);
    part->listener = nullptr;
    mRetired.emplace_back(part);
}

void QstFieldPuzzle::ClearParts()
{
    for (Part* part : parts) {
        if (part->parent)
            part->parent->DetachChild(part);
        delete part;
    }
    parts.clear();
    mRetired.clear();
}

void QstFieldPuzzle::MakeFreshParts()
{
    for (MinigamePicture* picture : piecePictures) {
        Part* part = NewPart();
        const std::string pieceName = picture->name.substr(std::min(picture->name.size(), mask.size()));
        part->InitFromPicture(this, picture, pieceName, rotationAllowed);
        parts.push_back(part);
    }
    if (!parts.empty())
        parts.front()->Lock();
}

bool QstFieldPuzzle::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!QstFieldMinigame::DoInitFromXML(element, context))
        return false;
    // The join distance: a negative one is refused rather than wrapped.
    const char* text = element.GetAttrText("range", true);
    if (!text)
        return false;
    const int value = element.GetAttrInt("range", -1);
    if (value < 0) {
        element.ReportError("Attribute \"range\" must not be negative");
        return false;
    }
    range = unsigned(value);
    finishedPicture = LoadFieldPicture(context, "redy", this, true);
    pieceCount = 0;
    TiXmlElement* xml = element.GetElement();
    TiXmlElement* sosedi = xml ? xml->FirstChildElement("Sosedi") : nullptr;
    for (int n = 1;; ++n) {
        const std::string pieceName = StrFormat("parts/%02d", n);
        MinigamePicture* picture = LoadFieldPicture(context, pieceName, this, true);
        if (!picture)
            break;
        piecePictures.push_back(picture);
        pieceCount = n;
        std::vector<int> numbers;
        if (sosedi) {
            const char* list = sosedi->Attribute(StrFormat("s%02d", n).c_str());
            if (list)
                StringToIntVector(list, numbers);
        }
        std::vector<std::string>& names = neighbours[pieceName];
        for (int k : numbers)
            names.push_back(StrFormat("parts/%02d", k));
    }
    MakeFreshParts();
    return true;
}

void QstFieldPuzzle::Layout()
{
    QstFieldMinigame::Layout();
    for (Part* part : parts) {
        part->FitSize();
        if (!mInFieldCoordinates)
            part->MoveTo(part->x - x, part->y - y);
        part->SetDragBounds(GetInnerArea());
    }
    // Converted and scattered once: a second layout leaves them alone.
    if (!mInFieldCoordinates && !restored) {
        if (finishedPicture && finishedPicture->image) {
            const Rect area(int(finishedPicture->x) - x + 20, int(finishedPicture->y) - y + 20,
                            finishedPicture->image->width - 40, finishedPicture->image->height - 40);
            for (Part* part : parts)
                part->Scatter(area);
        }
    }
    mInFieldCoordinates = true;
}

void QstFieldPuzzle::Update(float seconds)
{
    mRetired.clear();
    QstFieldMinigame::Update(seconds);
}

Color QstFieldPuzzle::GetDrawColor() const
{
    const Color sceneColor = scene ? scene->color : Color::White;
    return MultiplyColors(sceneColor, ColorWithAlpha(alpha, Color::White));
}

void QstFieldPuzzle::OnTake(const Point&, ImgPart* part)
{
    auto* dragged = static_cast<Part*>(part);
    parts.remove(dragged);
    parts.push_back(dragged);
    PlaySoundEffect("take_pic");
}

bool QstFieldPuzzle::OnDrop(ImgPart* part)
{
    OnDropPart(part);
    return true;
}

bool QstFieldPuzzle::AreNeighbours(const ImgPart* dropped, const ImgPart* other) const
{
    for (const PuzzlePiece& p : dropped->pieces) {
        auto found = neighbours.find(p.name);
        if (found == neighbours.end())
            continue;
        for (const PuzzlePiece& q : other->pieces) {
            if (std::find(found->second.begin(), found->second.end(), q.name) != found->second.end())
                return true;
        }
    }
    return false;
}

void QstFieldPuzzle::OnDropPart(ImgPart* droppedPart)
{
    if (finishing)
        return;
    auto* dropped = static_cast<Part*>(droppedPart);
    if (std::find(parts.begin(), parts.end(), dropped) == parts.end())
        return;
    Part* match = nullptr;
    Point offset;
    for (Part* c : parts) {
        if (c == dropped)
            continue;
        Point d;
        if (dropped->IsNear(c, range, d) && AreNeighbours(dropped, c)) {
            match = c;
            offset = d;
            break;
        }
    }
    if (!match)
        return;
    Part* merged = NewPart();
    merged->InitMerged(this, dropped, match, offset, rotationAllowed);
    parts.push_back(merged);
    RetirePart(dropped);
    RetirePart(match);
    if (parts.size() == 1)
        Win();
    PlaySoundEffect("right_pic");
}

bool QstFieldPuzzle::SaveMinigameState(QstXmlElement& element)
{
    if (!QstFieldMinigame::SaveMinigameState(element))
        return false;
    QstXmlElement list(element.GetHandler(), &element, "Parts");
    list.EnsureExists();
    for (Part* part : parts) {
        QstXmlElement one(element.GetHandler(), &list, "Part");
        part->Save(one);
    }
    return true;
}

bool QstFieldPuzzle::LoadMinigameState(QstXmlElement& element, bool* openedFlag)
{
    if (!QstFieldMinigame::LoadMinigameState(element, openedFlag))
        return false;
    TiXmlElement* xml = element.GetElement();
    TiXmlElement* saved = xml ? xml->FirstChildElement("Parts") : nullptr;
    if (!saved)
        return true;
    // Read every part aside first: a damaged state (a piece missing, twice
    // or unknown, a value missing) is refused whole and the puzzle starts
    // afresh instead of losing pieces.
    std::vector<std::unique_ptr<Part>> loaded;
    std::multiset<std::string> seen;
    bool sound = true;
    QstXmlElement list(saved, element);
    for (TiXmlElement* child = saved->FirstChildElement("Part"); child && sound;
         child = child->NextSiblingElement("Part")) {
        QstXmlElement cursor(child, list);
        auto part = std::make_unique<Part>(this);
        if (!part->Load(cursor, piecePictures, mask, this, rotationAllowed)) {
            sound = false;
            break;
        }
        for (const PuzzlePiece& p : part->pieces)
            seen.insert(p.name);
        loaded.push_back(std::move(part));
    }
    if (sound) {
        sound = seen.size() == piecePictures.size() && !loaded.empty();
        for (const std::string& pieceName : seen)
            sound = sound && seen.count(pieceName) == 1;
    }
    if (!sound) {
        ProcessLog::GetInstance()->LogInfo("Puzzle \"%s\": the saved parts are damaged; the puzzle starts afresh",
                                           name);
        return true;
    }
    ClearParts();
    for (std::unique_ptr<Part>& part : loaded) {
        Part* p = part.release();
        AttachChild(p);
        parts.push_back(p);
        if (p->locked)
            LowerToBottom(p);
    }
    restored = true;
    mInFieldCoordinates = true;
    if (openedFlag)
        *openedFlag = true;
    return true;
}

} // namespace Quib
