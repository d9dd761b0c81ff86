#pragma once
#include <cstdint>
#include <memory>

namespace Quib {

class QstPoolEntry;

// One cell of the inventory strip and the entry it holds (none when empty).
class QstPoolPlace {
public:
    QstPoolPlace();
    QstPoolPlace(const QstPoolPlace&) = delete;
    QstPoolPlace& operator=(const QstPoolPlace&) = delete;
    QstPoolPlace(QstPoolPlace&&) noexcept;
    QstPoolPlace& operator=(QstPoolPlace&&) noexcept;
    ~QstPoolPlace();

    std::unique_ptr<QstPoolEntry> entry;
    int32_t baseWidth = 0; // unscaled cell size
    int32_t baseHeight = 0;
    float x = 0.0f; // where the cell is drawn this frame, strip coordinates
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float targetScale = 1.0f;
    float scale = 1.0f;
};

} // namespace Quib
