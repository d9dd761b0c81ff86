#include "framework/widgets/Dialog.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"

#include <algorithm>

namespace Quib {

struct Dialog::Lifeline {
    bool alive = true;
    int32_t result = DIALOG_NO_RESULT; // the result the dialog died with
};

Dialog::Dialog(int dialogId, bool isModal, std::u16string headerText, std::u16string bodyText,
               std::u16string footerText, int mode)
    : header(std::move(headerText)), footer(std::move(footerText)), body(std::move(bodyText)), buttonMode(mode),
      id(dialogId), modal(isModal), lifeline(std::make_shared<Lifeline>())
{
    if (WidgetApp* app = TheWidgetApp())
        dialogListener = app->GetDialogListener();

    transparentParts = true;
    translucent = true;
    overlayPriority = 1;

    switch (buttonMode) {
    case DIALOG_BUTTONS_YES_NO:
        yesButton = std::make_unique<DialogButton>(DIALOG_ID_YES, this);
        yesButton->label = u"YES";
        noButton = std::make_unique<DialogButton>(DIALOG_ID_NO, this);
        noButton->label = u"NO";
        break;
    case DIALOG_BUTTONS_OK_CANCEL:
        yesButton = std::make_unique<DialogButton>(DIALOG_ID_OK, this);
        yesButton->label = u"OK";
        noButton = std::make_unique<DialogButton>(DIALOG_ID_CANCEL, this);
        noButton->label = u"CANCEL";
        break;
    case DIALOG_BUTTONS_FOOTER:
        yesButton = std::make_unique<DialogButton>(DIALOG_ID_YES, this);
        yesButton->label = footer;
        break;
    default: break;
    }

    // Entries 3 and 4 also become the buttons' label colours.
    const Color initial[DIALOG_COLOR_COUNT] = {
        Color(255, 255, 255), Color(255, 255, 0), Color(255, 255, 255), Color(0, 0, 0),
        Color(0, 0, 0),       Color(80, 80, 80),  Color(255, 255, 255),
    };
    for (int i = 0; i < DIALOG_COLOR_COUNT; ++i)
        Dialog::SetColor(i, initial[i]);
}

Dialog::~Dialog()
{
    lifeline->result = result;
    lifeline->alive = false;
    // Detached here, while the buttons still exist, so that they leave the
    // manager with the dialog.
    if (parent)
        parent->DetachChild(this);
}

template <typename F>
void Dialog::ForEachButton(F&& f)
{
    if (yesButton)
        f(*yesButton);
    if (noButton)
        f(*noButton);
}

void Dialog::SetButtonFont(Font* newFont)
{
    ForEachButton([newFont](DialogButton& b) { b.SetFont(newFont); });
}

void Dialog::SetTitleFont(Font* newFont)
{
    headerFont.reset(newFont ? newFont->Clone() : nullptr);
}

void Dialog::SetTextFont(Font* newFont)
{
    bodyFont.reset(newFont ? newFont->Clone() : nullptr);
}

void Dialog::EnsureFonts()
{
    if (!headerFont)
        headerFont = std::make_unique<SysFont>("Arial Unicode MS", 14, 0);
    if (!bodyFont)
        bodyFont = std::make_unique<SysFont>("Arial Unicode MS", 12, 0);
}

int Dialog::GetPreferredHeight(int forWidth)
{
    EnsureFonts();
    int h = contentInsets.bottom + contentInsets.top + frameInsets.bottom + frameInsets.top;
    bool placed = false;
    if (!header.empty()) {
        h += headerFont->Height() - headerFont->ExtraLineGap();
        placed = true;
    }
    if (!body.empty()) {
        if (placed)
            h += headerSpacing;
        Graphics g;
        g.font = bodyFont.get();
        const int textWidth = forWidth - contentInsets.right - contentInsets.left - frameInsets.right -
                              frameInsets.left - 4;
        h += GetWrappedTextHeight(g, textWidth, body, bodyFont->LineAdvance() + extraLineSpacing);
        placed = true;
    }
    if (!footer.empty() && buttonMode != DIALOG_BUTTONS_FOOTER) {
        if (placed)
            h += 8;
        h += headerFont->LineAdvance();
        placed = true;
    }
    if (yesButton || noButton)
        h += (placed ? 8 : 0) + buttonHeight + 8;
    return h;
}

bool Dialog::IsModal()
{
    return modal;
}

int Dialog::WaitForResult(bool close)
{
    WidgetApp* app = TheWidgetApp();
    if (!app)
        return result; // nothing can run the loop
    // A step may delete the dialog (a listener closing it while no outer
    // step defers the deletion): the lifeline tells, and keeps its result.
    const std::shared_ptr<Lifeline> life = lifeline;
    while (manager && result == DIALOG_NO_RESULT) {
        const bool running = app->AppStep(nullptr);
        if (!life->alive)
            return life->result;
        if (!running)
            break;
    }
    // A dialog already taken out of the tree was closed by someone else; its
    // id may now belong to a new dialog.
    if (close && manager)
        app->CloseDialog(id);
    return life->alive ? result : life->result;
}

void Dialog::OnScreenModeChanged(bool) {}

void Dialog::OnAttachedToManager(WidgetManager* widgetManager)
{
    Widget::OnAttachedToManager(widgetManager);
    ForEachButton([widgetManager](DialogButton& b) { widgetManager->AttachChild(&b); });
}

void Dialog::OnDetachedFromManager(WidgetManager* widgetManager)
{
    Widget::OnDetachedFromManager(widgetManager);
    ForEachButton([widgetManager](DialogButton& b) { widgetManager->DetachChild(&b); });
}

void Dialog::Draw(Graphics& g)
{
    EnsureFonts();
    const Rect panel(frameInsets.left, frameInsets.top, width - frameInsets.right - frameInsets.left,
                     height - frameInsets.bottom - frameInsets.top);
    if (backgroundImage) {
        g.DrawImageFramed(Rect(0, 0, backgroundImage->width, backgroundImage->height), panel, backgroundImage,
                          Rect(imageInsets.left, imageInsets.top, imageInsets.right, imageInsets.bottom));
    } else {
        g.color = GetColorOr(DIALOG_COLOR_OUTLINE, Color(255, 255, 255));
        g.OutlineRectangle(12, 12, width - 25, height - 25);
        g.color = GetColorOr(DIALOG_COLOR_BKG, Color(80, 80, 80));
        g.FillRectangle(13, 13, width - 26, height - 26);
        g.color = Color(0, 0, 0, 128); // shadow along the right and bottom edges
        g.FillRectangle(width - 12, 24, 12, height - 36);
        g.FillRectangle(24, height - 12, width - 24, 12);
    }

    int textY = frameInsets.top + contentInsets.top;
    if (!header.empty()) {
        textY += headerFont->Ascent() - headerFont->ExtraLineGap();
        g.font = headerFont.get();
        g.color = GetColor(DIALOG_COLOR_HEADER);
        DrawCenteredText(g, textY, header);
        textY += headerFont->Height() - headerFont->Ascent() + headerSpacing;
    }

    g.font = bodyFont.get();
    g.color = GetColor(DIALOG_COLOR_LINES);
    const Rect bodyRect(frameInsets.left + contentInsets.left + 2, textY,
                        width - contentInsets.right - frameInsets.left - contentInsets.left - frameInsets.right - 4,
                        0);
    textY += DrawWrappedText(g, bodyRect, body, bodyFont->LineAdvance() + extraLineSpacing, bodyJustify);

    if (!footer.empty() && buttonMode != DIALOG_BUTTONS_FOOTER) {
        textY += headerFont->LineAdvance() + 8;
        g.font = headerFont.get();
        g.color = GetColor(DIALOG_COLOR_FOOTER);
        DrawCenteredText(g, textY, footer);
    }
}

void Dialog::OnOrderChanged()
{
    if (!manager)
        return;
    WidgetManager* m = manager;
    ForEachButton([this, m](DialogButton& b) { m->PlaceChildAbove(&b, this); });
}

void Dialog::SetColor(int index, const Color& color)
{
    Widget::SetColor(index, color);
    if (index == DIALOG_COLOR_BUTTON_TEXT)
        ForEachButton([&color](DialogButton& b) { b.SetColor(BUTTON_COLOR_LABEL, color); });
    else if (index == DIALOG_COLOR_BUTTON_TEXT_HILITE)
        ForEachButton([&color](DialogButton& b) { b.SetColor(BUTTON_COLOR_LABEL_HILITE, color); });
}

void Dialog::SetBounds(int newX, int newY, int newWidth, int newHeight)
{
    Widget::SetBounds(newX, newY, newWidth, newHeight);
    const int left = frameInsets.left + contentInsets.left;
    const int right = frameInsets.right + contentInsets.right;
    const int buttonY = newY + newHeight - contentInsets.bottom - frameInsets.bottom - buttonHeight;
    if (yesButton && noButton) {
        const int buttonWidth = (newWidth - 2 * buttonSideMargin - right - left - buttonGap) / 2;
        const int firstX = newX + left + buttonSideMargin;
        yesButton->SetBounds(firstX, buttonY, buttonWidth, buttonHeight);
        noButton->SetBounds(firstX + buttonWidth + buttonGap, buttonY, buttonWidth, buttonHeight);
    } else if (yesButton) {
        yesButton->SetBounds(newX + left, buttonY, newWidth - right - left, buttonHeight);
    }
}

void Dialog::OnMouseDownButton(int px, int py, int, int count)
{
    if (count != 1)
        return; // a single left click or a middle click
    if (WidgetApp* app = TheWidgetApp()) {
        app->SetCursorNum(2);
        app->RefreshCursor();
    }
    grabX = px;
    grabY = py;
    dragging = true;
}

void Dialog::OnMouseDrag(int px, int py)
{
    if (!dragging || !manager)
        return;
    const int oldX = x;
    const int oldY = y;
    const int newX = std::max(-8, std::min(x + px - grabX, manager->width - width + 8));
    const int newY = std::max(-8, std::min(y + py - grabY, manager->height - height + 8));
    grabX = std::max(8, std::min(px + oldX - newX, width - 9));
    grabY = std::max(8, std::min(py + oldY - newY, height - 9));
    MoveTo(newX, newY);
}

void Dialog::OnMouseUpButton(int, int, int, int)
{
    if (!dragging)
        return;
    if (WidgetApp* app = TheWidgetApp()) {
        app->SetCursorNum(0);
        app->RefreshCursor();
    }
    dragging = false;
}

void Dialog::ButtonPress(int buttonId)
{
    if (buttonId != DIALOG_ID_YES && buttonId != DIALOG_ID_NO)
        return;
    if (dialogListener)
        dialogListener->OnDialogButtonPress(id, buttonId);
}

void Dialog::ButtonDepress(int buttonId)
{
    if (buttonId != DIALOG_ID_YES && buttonId != DIALOG_ID_NO)
        return;
    result = buttonId;
    if (dialogListener)
        dialogListener->OnDialogButtonDepress(id, buttonId);
}

} // namespace Quib
