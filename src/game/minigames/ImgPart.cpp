#include "src/game/minigames/ImgPart.h"

#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/minigames/QstFieldPuzzle.h"
#include "src/game/quest/QstPixelAlpha.h"
#include "src/game/quest/QstXmlElement.h"

#include <cmath>
#include <tinyxml.h>

namespace Quib {

namespace {

constexpr float kHalfPi = 1.5707964f;

int ImageW(const PuzzlePiece& p) { return p.picture && p.picture->image ? p.picture->image->width : 0; }
int ImageH(const PuzzlePiece& p) { return p.picture && p.picture->image ? p.picture->image->height : 0; }

} // namespace

ImgPart::ImgPart()
{
    width = 0;
    height = 0;
}

void ImgPart::InitFromPicture(QstFieldPuzzle* field, MinigamePicture* picture, const std::string& pieceName,
                              bool canRotate)
{
    owner = field;
    PuzzlePiece piece;
    piece.picture = picture;
    piece.name = pieceName;
    piece.homeX = picture ? picture->x : 0.0f;
    piece.homeY = picture ? picture->y : 0.0f;
    x = int(piece.homeX);
    y = int(piece.homeY);
    piece.x = piece.homeX - float(x);
    piece.y = piece.homeY - float(y);
    pieces.push_back(piece);
    rotatable = canRotate;
}

void ImgPart::FitSize()
{
    if (width != 0 && height != 0)
        return;
    Rect r;
    bool any = false;
    for (const PuzzlePiece& p : pieces) {
        const Rect pr(int(p.x), int(p.y), ImageW(p), ImageH(p));
        r = any ? r.Union(pr) : pr;
        any = true;
    }
    width = r.width;
    height = r.height;
}

void ImgPart::Draw(Graphics& g)
{
    if (!owner)
        return;
    g.color = owner->GetDrawColor();
    g.colorizeImages = true;
    const Rect inner(20, owner->frameTop + 25, owner->width - 40, owner->height - owner->frameTop - owner->frameBottom - 50);
    SetDragBounds(inner);
    // The graphics stands at the part; the clip is cut to the inner area.
    const Rect clip = Rect(x, y, width, height).Intersection(inner);
    g.NarrowClip(clip.x - x, clip.y - y, clip.width, clip.height);
    const float angle = float(orientation) * kHalfPi;
    for (const PuzzlePiece& p : pieces) {
        if (!p.picture || !p.picture->image)
            continue;
        const int iw = ImageW(p);
        const int ih = ImageH(p);
        const int px = int(p.x);
        const int py = int(p.y);
        DrawTransform t;
        t.Rotate(angle);
        if (orientation % 2 == 1)
            t.Translate(float(ih / 2), float(iw / 2));
        else
            t.Translate(float(iw / 2), float(ih / 2));
        switch (orientation) {
        case 1: t.Translate(float(py), float(height - px - iw)); break;
        case 2: t.Translate(float(width - px - iw), float(height - py - ih)); break;
        case 3: t.Translate(float(width - py - ih), float(px)); break;
        default: t.Translate(float(px), float(py)); break;
        }
        g.DrawImageWithTransformRounded(p.picture->image, t, 0.0f, 0.0f);
    }
    g.colorizeImages = false;
}

bool ImgPart::AcceptsPoint(int px, int py)
{
    int ux = px;
    int uy = py;
    switch (orientation) {
    case 1: ux = height - py; uy = px; break;
    case 2: ux = width - px; uy = height - py; break;
    case 3: ux = py; uy = width - px; break;
    default: break;
    }
    for (const PuzzlePiece& p : pieces) {
        if (p.picture && PictureAlphaAt(p.picture->image, int(float(ux) - p.x), int(float(uy) - p.y)) > 5)
            return true;
    }
    return false;
}

void ImgPart::RotateQuarter()
{
    orientation = (orientation + 1) % 4;
    const int d = (width - height) / 2;
    x += d;
    y -= d;
    std::swap(width, height);
}

void ImgPart::OnMouseDown(int px, int py, ClickCode code)
{
    Widget::OnMouseDown(px, py, code);
    if (code == CLICK_RIGHT && !locked && rotatable) {
        RotateQuarter();
        if (owner)
            owner->OnDropPart(this);
    }
}

void ImgPart::Lock()
{
    locked = true;
    SetDraggable(false);
}

Point ImgPart::GetOrigin() const
{
    if (pieces.empty())
        return Point(x, y);
    const PuzzlePiece& p = pieces.front();
    const int dx = int(p.x - p.homeX);
    const int dy = int(p.y - p.homeY);
    switch (orientation) {
    case 1: return Point(x + dy, y + height - dx);
    case 2: return Point(x + width - dx, y + height - dy);
    case 3: return Point(x + width - dy, y + dx);
    default: return Point(x + dx, y + dy);
    }
}

bool ImgPart::IsNear(const ImgPart* other, unsigned joinRange, Point& offset) const
{
    if (!other || other->orientation != orientation)
        return false;
    const Point a = GetOrigin();
    const Point b = other->GetOrigin();
    const int64_t dx = int64_t(a.x) - b.x;
    const int64_t dy = int64_t(a.y) - b.y;
    const int64_t r = int64_t(joinRange);
    if (dx * dx + dy * dy >= r * r)
        return false;
    offset = Point(int(dx), int(dy));
    return true;
}

void ImgPart::InitMerged(QstFieldPuzzle* field, ImgPart* dropped, ImgPart* other, const Point& offset,
                         bool canRotate)
{
    owner = field;
    orientation = dropped->orientation;
    locked = dropped->locked || other->locked;
    if (locked) {
        SetDraggable(false);
        if (parent)
            parent->LowerToBottom(this);
    }
    dropped->MoveTo(dropped->x - offset.x, dropped->y - offset.y);
    SetBoundsRect(Rect(dropped->x, dropped->y, dropped->width, dropped->height)
                      .Union(Rect(other->x, other->y, other->width, other->height)));
    TakePieces(dropped);
    TakePieces(other);
    rotatable = canRotate;
}

void ImgPart::TakePieces(const ImgPart* s)
{
    for (const PuzzlePiece& src : s->pieces) {
        PuzzlePiece p = src;
        const float c = float(int(src.x));
        const float gy = float(int(src.y));
        const float fx = src.x - c; // keep the fractions
        const float fy = src.y - gy;
        switch (orientation) {
        case 1:
            p.x = c - float(s->y + s->height - y - height) + fx;
            p.y = gy + float(s->x - x) + fy;
            break;
        case 2:
            p.x = c - float(s->x + s->width - x - width) + fx;
            p.y = gy - float(s->y + s->height - y - height) + fy;
            break;
        case 3:
            p.x = c + float(s->y - y) + fx;
            p.y = gy - float(s->x + s->width - x - width) + fy;
            break;
        default:
            p.x = c + float(s->x - x) + fx;
            p.y = gy + float(s->y - y) + fy;
            break;
        }
        pieces.push_back(p);
    }
}

void ImgPart::Scatter(const Rect& r)
{
    if (locked)
        return;
    x = int(RandomFloat(float(r.x), float(r.x + r.width - width)));
    y = int(RandomFloat(float(r.y), float(r.y + r.height - height)));
    if (rotatable) {
        const uint32_t turns = MersenneNext() % 4;
        for (uint32_t i = 0; i < turns; ++i)
            RotateQuarter();
    }
}

void ImgPart::Save(QstXmlElement& element) const
{
    element.EnsureExists();
    for (const PuzzlePiece& p : pieces) {
        QstXmlElement piece(element.GetHandler(), &element, "P");
        piece.SetAttr(p.name, "name");
        SetAttrFloat(piece, "start_x", p.homeX);
        SetAttrFloat(piece, "start_y", p.homeY);
        SetAttrFloat(piece, "x", p.x);
        SetAttrFloat(piece, "y", p.y);
    }
    element.SetAttrInt("x", x);
    element.SetAttrInt("y", y);
    element.SetAttrBool("is_complete", locked);
}

bool ImgPart::Load(QstXmlElement& element, const std::vector<MinigamePicture*>& piecePictures,
                   const std::string& mask, QstFieldPuzzle* field, bool canRotate)
{
    owner = field;
    TiXmlElement* xml = element.GetElement();
    if (!xml)
        return false;
    for (TiXmlElement* child = xml->FirstChildElement("P"); child; child = child->NextSiblingElement("P")) {
        QstXmlElement cursor(child, element);
        PuzzlePiece p;
        if (!cursor.GetAttr("name", p.name))
            return false;
        if (!cursor.GetAttrFloatOpt("start_x", p.homeX) || !cursor.GetAttrFloatOpt("start_y", p.homeY) ||
            !cursor.GetAttrFloatOpt("x", p.x) || !cursor.GetAttrFloatOpt("y", p.y))
            return false;
        if (!std::isfinite(p.homeX) || !std::isfinite(p.homeY) || !std::isfinite(p.x) || !std::isfinite(p.y))
            return cursor.ReportError("Bad piece position"), false;
        for (MinigamePicture* picture : piecePictures) {
            if (picture && picture->name == mask + p.name)
                p.picture = picture;
        }
        if (!p.picture)
            return cursor.ReportError("Unknown piece \"" + p.name + "\""), false;
        pieces.push_back(p);
    }
    if (pieces.empty())
        return element.ReportError("A part without pieces"), false;
    // Positions may lie left of or above the field: signed.
    if (!element.HasAttr("x") || !element.HasAttr("y")) {
        element.GetAttrText(element.HasAttr("x") ? "y" : "x", true);
        return false;
    }
    x = element.GetAttrInt("x", 0);
    y = element.GetAttrInt("y", 0);
    bool complete = false;
    if (!element.GetAttrBoolOpt("is_complete", complete))
        return false;
    locked = complete;
    SetDraggable(!locked);
    rotatable = canRotate;
    return true;
}

} // namespace Quib
