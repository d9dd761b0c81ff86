#pragma once
#include "src/game/minigames/ImgPart.h"
#include "src/game/minigames/QstFieldMinigame.h"
#include "src/game/minigames/TDrag.h"
#include "src/game/minigames/TDragListener.h"

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

// The jigsaw: pieces "parts/NN" scattered over the finished picture's
// area, piece 1 fixed in place; a part dropped near a listed neighbour in
// its solved relation joins it, and the join that leaves one part wins.
class QstFieldPuzzle : public QstFieldMinigame, public TDragListener<ImgPart> {
public:
    using Part = TDrag<ImgPart>;

    QstFieldPuzzle(QstScene* scene, void* loadingData, const std::string& typeName);
    ~QstFieldPuzzle() override;

    bool DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context) override;
    void Layout() override;
    void Update(float seconds) override;
    bool SaveMinigameState(QstXmlElement& element) override;
    bool LoadMinigameState(QstXmlElement& element, bool* openedFlag) override;

    // --- TDragListener<ImgPart> ---
    void OnTake(const Point& point, ImgPart* part) override;
    bool OnDrop(ImgPart* part) override;

    // The join step for a dropped (or turned) part.
    void OnDropPart(ImgPart* dropped);
    bool AreNeighbours(const ImgPart* dropped, const ImgPart* other) const;

    // The field's colour for its parts: scene colour at the field's fade.
    Color GetDrawColor() const;

    MinigamePicture* finishedPicture = nullptr;
    std::vector<MinigamePicture*> piecePictures;
    bool rotationAllowed = false;
    std::list<Part*> parts; // owned
    unsigned range = 30;
    int32_t pieceCount = 0;
    std::map<std::string, std::vector<std::string>> neighbours;
    bool restored = false;

private:
    Part* NewPart();
    // Detached at once, deleted at the next update (a part may be inside
    // its own mouse handler).
    void RetirePart(Part* part);
    void ClearParts();
    // A fresh part per piece, piece 1 locked.
    void MakeFreshParts();

    std::vector<std::unique_ptr<Part>> mRetired;
    // The parts are in field coordinates (converted or restored).
    bool mInFieldCoordinates = false;
};

} // namespace Quib
