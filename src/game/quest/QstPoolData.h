#pragma once
#include "framework/core/Point.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quib {

class Graphics;
class Image;
class PsdPicture;
class QstItem;
class QstPoolEntry;
class QstPoolItemDrag;
class QstPoolItemExtBase;
class QstPoolPlace;
class QstTutor;

// An entry of the pool with its item and the state its picture shows.
struct QstPoolItemInfo {
    QstPoolEntry* entry = nullptr;
    QstItem* item = nullptr;
    std::string state;
};

// The inventory pool of one cluster of scenes: its places and entries,
// adding and removing items, the strip's geometry, per-frame behaviour,
// drawing and mouse handling, and the XML text kept in the profile.
// Coordinates are relative to the strip's top-left, the inventory widget's
// origin.
class QstPoolData {
public:
    // Tells a listener of a new flying or dragged item; the listener owns it.
    using ExtensionListener = void (*)(void* context, QstPoolItemExtBase* extension);

    static constexpr int kMinPlaces = 5;
    static constexpr float kIdleLimit = 3.0f;
    static constexpr float kHintSeconds = 3.0f;
    static constexpr float kSlideDistance = 100.0f;
    static constexpr float kHoveredScale = 1.0f;
    // Magnification is used only with more places than this.
    static constexpr size_t kMagnifyAbove = 7;

    QstPoolData();
    QstPoolData(const QstPoolData&) = delete;
    QstPoolData& operator=(const QstPoolData&) = delete;
    virtual ~QstPoolData();

    // ---- Strip, in slot order ----
    virtual void Draw(Graphics& g);
    virtual void Unused(int a, int b);
    virtual bool IsOverStrip(int px, int py);
    virtual void MouseMove(int px, int py);
    virtual void MouseDrag(int px, int py);
    virtual void ClearHover();
    virtual void MouseDown(int px, int py, int button, int clicks);
    virtual void MouseUp(int px, int py, int button, int clicks);

    // ---- Places and entries ----
    // The place holding the item (null: the first empty place). None: a new
    // empty place at the end (logged when an item was asked for).
    QstPoolPlace& GetPoolPlace(QstItem* item);
    // Puts the item into the pool showing the state and switches the item
    // to that state in its scene. With a destination item, the item merges
    // into the destination's entry; a destination without an entry takes
    // the item as a new entry. An item that has an entry already keeps it
    // (its picture takes the state). flyFromPoint is used without a
    // fly-from item.
    void AddItem(QstItem* item, const std::string& stateName, const std::string& followUpAction,
                 QstItem* destination, bool noFly, QstItem* flyFromItem, const TPoint<float>* flyFromPoint);
    // Deletes every entry of the item; its place stays empty until the
    // strip compacts.
    void RemoveItem(QstItem* item);
    bool HasItem(const QstItem* item) const;
    QstPoolEntry* FindEntry(const QstItem* item) const;
    void CollectItems(std::vector<QstPoolItemInfo>& out) const;
    // The item's entry shows the item's current state at once.
    void UpdateItemPicture(QstItem* item);
    // The strip shows and glints the item's entry for kHintSeconds.
    void ShowHintOn(QstItem* item);
    void StartHintEffect(QstPoolEntry* entry);
    void ClearHint();
    // Hands a new flying or dragged item to the listeners. Without a
    // listener the pool keeps and updates it itself.
    void AddExtension(QstPoolItemExtBase* extension);
    void AddExtensionListener(void* context, ExtensionListener listener);
    void RemoveExtensionListener(void* context);
    // A board that owned extensions is going away: the pool forgets the
    // drag when the board held it.
    void ForgetExtension(const QstPoolItemExtBase* extension);
    // Loads the layers of every state of every item with an entry.
    void RefreshPlaces();
    // The pool as XML text ("" without entries), and back.
    std::string Save() const;
    void Load(const std::string& text);
    // Occupied places first in their order, then the empty ones; cut to
    // max(kMinPlaces, occupied).
    void Compact();

    // ---- Strip geometry, update and drag ----
    void LoadLayout();
    void Update(float dt);
    QstItem* GetDraggedItem() const;
    // Ends the drag (the picture fades out); unused drags step the
    // tutorial back. Returns the dragged picture (owned by its board).
    QstPoolItemDrag* EndDrag(bool used);
    // The place whose hit area holds the point; null when none.
    QstPoolPlace* FindPlaceAt(float px, float py);
    // Slide offset: slideDistance x (1 - cos(pi x slide)) / 2.
    float SlideOffset() const;
    // Where flights end: the strip's horizontal centre at 0.9 of the way from
    // the strip's top to the bottom of the game screen, in board coordinates.
    TPoint<float> FlightTarget() const;
    // A flight of this pool arrived: the item's unplaced entry is placed.
    void OnFlightArrived(QstItem* item);
    // Height of the game screen the strip sinks into (the game's design
    // height; 768 without an application).
    static int DesignHeight();
    // The fire-mode flag: while it is set (an aiming mini-game is running)
    // the strip stays hidden and shows no tooltips.
    void SetFireMode(bool on) { lockedHidden = on; }
    bool IsFireMode() const { return lockedHidden; }
    // A reference that expires with the pool.
    std::weak_ptr<QstPoolData*> WeakSelf() const { return mSelf; }

    // ---- Data ----
    PsdPicture* layout = nullptr; // the board's interface picture, not owned
    QstPoolItemDrag* drag = nullptr; // owned by its board

    Image* stripImage = nullptr;
    int32_t stripX = 0; // position on the board
    int32_t stripY = 0;
    int32_t stripWidth = 0;
    int32_t visibleHeight = 0;
    Image* lowArrowImage = nullptr;
    int32_t lowArrowX = 0;
    int32_t lowArrowY = 0;
    Image* lowerLineImage = nullptr;
    int32_t lowerLineX = 0;
    int32_t lowerLineY = 0;
    Image* overlayImage = nullptr;
    int32_t overlayX = 0;
    int32_t overlayY = 0;
    Image* cellImage = nullptr;
    int32_t cellX = 0; // first cell
    int32_t cellY = 0;
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    int32_t gap = 0;
    float windowX = 0.0f; // the visible part of the cell row
    float windowY = 0.0f;
    float windowWidth = 0.0f;
    float windowHeight = 0.0f;
    float hoveredScale = kHoveredScale;
    float normalScale = 1.0f;    // computed by LoadLayout
    float neighbourScale = 1.0f; // computed by LoadLayout
    float slideDistance = kSlideDistance;

    float slide = 1.0f; // 0 shown, 1 hidden
    float showDrive = 0.0f;
    float idleTime = kIdleLimit;
    std::vector<QstPoolPlace> places;
    float scroll = 0.0f;
    bool hovered = false;
    bool changed = false;
    QstItem* hintItem = nullptr;
    float hintTime = 0.0f;
    bool lockedHidden = false;

    // Board hooks. The pool of a cluster outlives its boards, and the next
    // board sets its hooks before the last one goes: a board sets and
    // clears them through these, so that a going board clears only its own.
    void SetBoardHooks(const void* board, std::function<bool(QstItem* item, const std::string& state)> canTake,
                       std::function<void(const std::u16string& text, float seconds)> tooltip,
                       std::function<QstTutor*()> tutor);
    void ClearBoardHooks(const void* board);
    const void* hooksBoard = nullptr;
    std::function<bool(QstItem* item, const std::string& state)> canTakeItem;
    std::function<void(const std::u16string& text, float seconds)> showTooltip;
    std::function<QstTutor*()> getTutor;

    // The mouse position the update uses (board coordinates); null: the
    // widget manager's.
    std::function<TPoint<int>()> mousePosition;

private:
    struct Listener {
        void* context;
        ExtensionListener function;
    };
    void UpdateExtensionsKeptHere(float dt);
    bool PlaceHitArea(size_t index, float px, float py) const;
    float EffectiveNormalScale() const;
    float EffectiveNeighbourScale() const;

    std::vector<Listener> mListeners;
    // Extensions no listener took.
    std::vector<std::unique_ptr<QstPoolItemExtBase>> mKeptExtensions;
    // Flights hold a weak reference to this, so that a flight outliving its
    // pool touches nothing.
    std::shared_ptr<QstPoolData*> mSelf;
};

} // namespace Quib
