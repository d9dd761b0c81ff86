#include "src/particles/ParticlesWidget.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "src/particles/ParticlesCommon.h"
#include "src/particles/ParticlesWidgetOwner.h"

namespace Quib {

ParticlesWidget::ParticlesWidget(std::unique_ptr<ParticlesCommon> effect, ParticlesWidgetOwner* owner)
    : mEffect(std::move(effect)), mOwner(owner)
{
    WidgetApp* app = TheWidgetApp();
    const WidgetManager* wm = app ? app->GetWidgetManager() : nullptr;
    if (wm)
        SetBounds(0, 0, wm->width, wm->height);
    mouseVisible = false;
}

ParticlesWidget::~ParticlesWidget()
{
    if (mOwner)
        mOwner->ForgetParticlesWidget(this);
    if (mEffect)
        mEffect->Stop();
}

void ParticlesWidget::Update()
{
    if (mEffect)
        mEffect->Update(0.01f);
    if (mRemoved || (mEffect && !mEffect->IsFinished()))
        return;
    WidgetApp* app = TheWidgetApp();
    if (!app) {
        // Nobody to delete it later: it stays its owner's, out of the tree.
        if (parent)
            parent->DetachChild(this);
        return;
    }
    mRemoved = true;
    if (mOwner)
        mOwner->ForgetParticlesWidget(this);
    mOwner = nullptr;
    app->QueueDeferredDelete(this);
}

void ParticlesWidget::Draw(Graphics& g)
{
    if (!mEffect)
        return;
    g.colorizeImages = true;
    g.color = mOwner ? mOwner->GetParticlesColor() : Color::White;
    g.transX = 0;
    g.transY = 0;
    mEffect->Draw(&g);
}

} // namespace Quib
