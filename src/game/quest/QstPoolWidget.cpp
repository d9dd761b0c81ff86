#include "src/game/quest/QstPoolWidget.h"

#include "framework/widgets/WidgetManager.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolExtBoard.h"

namespace Quib {

QstPoolWidget::QstPoolWidget(QstPoolData* owner) : pool(owner), board(std::make_unique<QstPoolExtBoard>(owner))
{
    if (pool) {
        pool->AddExtensionListener(this, &QstPoolWidget::OnExtension);
        PlaceAtStrip();
    }
}

QstPoolWidget::~QstPoolWidget()
{
    if (pool)
        pool->RemoveExtensionListener(this);
    if (board && board->parent)
        board->parent->DetachChild(board.get());
    board.reset();
}

void QstPoolWidget::OnExtension(void* context, QstPoolItemExtBase* extension)
{
    static_cast<QstPoolWidget*>(context)->board->Add(extension);
}

void QstPoolWidget::PlaceAtStrip()
{
    if (!pool)
        return;
    SetBounds(pool->stripX, pool->stripY, pool->stripWidth, pool->visibleHeight);
}

void QstPoolWidget::Update()
{
    Widget::Update();
    if (pool && (x != pool->stripX || y != pool->stripY || width != pool->stripWidth ||
                 height != pool->visibleHeight))
        PlaceAtStrip();
    Invalidate();
}

void QstPoolWidget::Draw(Graphics& g)
{
    if (pool)
        pool->Draw(g);
}

bool QstPoolWidget::AcceptsPoint(int px, int py)
{
    return pool && pool->IsOverStrip(px, py);
}

void QstPoolWidget::OnMouseMove(int px, int py)
{
    if (pool)
        pool->MouseMove(px, py);
}

void QstPoolWidget::OnMouseDrag(int px, int py)
{
    if (pool)
        pool->MouseDrag(px, py);
}

void QstPoolWidget::OnMouseLeave()
{
    Widget::OnMouseLeave();
    if (pool)
        pool->ClearHover();
}

void QstPoolWidget::OnMouseDownButton(int px, int py, int button, int count)
{
    if (pool)
        pool->MouseDown(px, py, button, count);
}

void QstPoolWidget::OnMouseUpButton(int px, int py, int button, int count)
{
    if (pool)
        pool->MouseUp(px, py, button, count);
}

void QstPoolWidget::OnAttachedToManager(WidgetManager* widgetManager)
{
    Widget::OnAttachedToManager(widgetManager);
    if (widgetManager && board && !board->parent)
        widgetManager->AttachChild(board.get());
}

void QstPoolWidget::OnDetachedFromManager(WidgetManager* widgetManager)
{
    if (board && board->parent)
        board->parent->DetachChild(board.get());
    Widget::OnDetachedFromManager(widgetManager);
}

} // namespace Quib
