#pragma once
#include "src/screens/ScaleButton.h"

#include <memory>

namespace Quib {

class ParticlesCommon;

// The board's journal button (id 143): pulses while attention is set.
class QstBookButton : public ScaleButton {
public:
    static constexpr int kId = 143;
    static constexpr float kScale = 0.7f;

    explicit QstBookButton(ButtonListener* listener);
    ~QstBookButton() override;

    void Update() override;
    void Draw(Graphics& g) override;

    bool attention = false;
    float attentionLevel = 0.0f;
    float phase = 0.0f;
    std::unique_ptr<ParticlesCommon> effect;
};

} // namespace Quib
