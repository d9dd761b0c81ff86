#pragma once
#include "framework/graphics/DrawTransform.h"

#include <memory>
#include <string>

namespace Quib {

class ParticlesRef;
class QstItem;
class QstItemStateDraw;
class QstPoolData;

// An inventory entry: the picture of a scene item in one state.
class QstPoolEntry {
public:
    QstPoolEntry(QstPoolData* owner, QstItem* entryItem);
    QstPoolEntry(const QstPoolEntry&) = delete;
    QstPoolEntry& operator=(const QstPoolEntry&) = delete;
    // Stops and releases the hint glint.
    ~QstPoolEntry();

    // The picture shows that state of the item (at once) and the caption
    // is the text of [PoolItems] <item full name>_<state>.
    void SetState(const std::string& newState);
    // The name of the state the picture was given.
    const std::string& StateName() const { return stateName; }
    // The picture takes the size of its state's rectangle.
    void RefreshSize();
    void StopHintEffect();

    QstPoolData* pool = nullptr;
    QstItem* item = nullptr; // not owned; never null in a pool
    std::unique_ptr<QstItemStateDraw> picture;
    std::string stateName;
    bool placed = false; // in its cell; false while still flying in
    float scale = 1.0f;
    std::u16string caption;
    DrawTransform transform;
    std::unique_ptr<ParticlesRef> hintEffect;
};

} // namespace Quib
