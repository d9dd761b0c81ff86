#pragma once

namespace Quib {

class Graphics;

// A picture that moves above the board while the inventory works (a flying
// or a dragged item); its board updates and draws it and deletes it once
// done is set.
class QstPoolItemExtBase {
public:
    QstPoolItemExtBase() = default;
    QstPoolItemExtBase(const QstPoolItemExtBase&) = delete;
    QstPoolItemExtBase& operator=(const QstPoolItemExtBase&) = delete;
    virtual ~QstPoolItemExtBase() = default;
    virtual void Draw(Graphics& g) = 0;
    virtual void Update(float seconds) = 0;

    bool done = false;
};

} // namespace Quib
