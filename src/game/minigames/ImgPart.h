#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/Widget.h"

#include <cstdint>
#include <string>
#include <vector>

class TiXmlElement;

namespace Quib {

class QstFieldPuzzle;
class QstXmlElement;
struct MinigamePicture;

// One picture of a jigsaw part.
struct PuzzlePiece {
    MinigamePicture* picture = nullptr; // not owned
    std::string name;                   // without the field's mask
    float homeX = 0.0f;                 // its place in the solved picture
    float homeY = 0.0f;
    // The piece's offset inside the part (upright frame). Kept here rather
    // than in the shared picture, so a refused saved state leaves the
    // pieces alone.
    float x = 0.0f;
    float y = 0.0f;
};

// A jigsaw part: pieces that move together, possibly locked in place.
class ImgPart : public Widget {
public:
    ImgPart();

    void Draw(Graphics& g) override;
    void OnMouseDown(int px, int py, ClickCode code) override;
    bool AcceptsPoint(int px, int py) override;
    virtual void SetDraggable(bool on) = 0;
    virtual void SetDragBounds(const Rect& r) = 0;

    void InitFromPicture(QstFieldPuzzle* owner, MinigamePicture* picture, const std::string& name, bool rotatable);
    void FitSize();
    void RotateQuarter();
    void Lock();

    // Where the solved picture's origin lies for this part.
    Point GetOrigin() const;
    bool IsNear(const ImgPart* other, unsigned range, Point& offset) const;
    void InitMerged(QstFieldPuzzle* owner, ImgPart* dropped, ImgPart* other, const Point& offset, bool rotatable);
    void TakePieces(const ImgPart* source);
    void Scatter(const Rect& r);
    void Save(QstXmlElement& element) const;
    // False (after a report) when the element lacks something or names a
    // piece the puzzle does not have.
    bool Load(QstXmlElement& element, const std::vector<MinigamePicture*>& piecePictures, const std::string& mask,
              QstFieldPuzzle* owner, bool rotatable);

    bool rotatable = false;
    QstFieldPuzzle* owner = nullptr;
    std::vector<PuzzlePiece> pieces;
    bool locked = false;
    int32_t orientation = 0;
};

} // namespace Quib
