#include "src/screens/AboutScreen.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "src/GameApp.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/PsdPicture.h"
#include "src/screens/MainMenu.h"

#include <algorithm>

namespace Quib {

namespace {

constexpr int kWrapWidth = 1024;

int AppHeightOr768()
{
    GameApp* app = GetGameApp();
    return app ? app->AppHeight() : 768;
}

int AppWidthOr1024()
{
    GameApp* app = GetGameApp();
    return app ? app->AppWidth() : 1024;
}

bool GameComplete()
{
    GameControllerCommon* common = GameControllerCommon::Existing();
    return common && common->Player().gameComplete;
}

} // namespace

AboutScreen::AboutScreen() : BaseBoard(false), layout(std::make_unique<PsdPicture>("data/gui/credits/", true))
{
    scrolling = true;
    Init();
}

AboutScreen::~AboutScreen()
{
    creditsImage.reset();
    layout.reset();
    DetachAllChildren(true, false);
}

void AboutScreen::Init()
{
    Lang& lang = Lang::Instance();
    const std::u16string head1 = lang("Credits", "Head1");
    const std::u16string text1 = lang("Credits", "Text1");
    const std::u16string head2 = lang("Credits", "Head2");
    const std::u16string text2 = lang("Credits", "Text2");
    closingText = lang("Credits", "Continue");
    clickText = lang("Credits", "Click");

    Font* bold = FONT_TEXT_BOLD;
    Font* plain = FONT_TEXT;
    const int appWidth = AppWidthOr1024();
    const int appHeight = AppHeightOr768();
    Graphics measure;
    measure.clipRect = Rect(0, 0, appWidth, appHeight);
    measure.font = bold;
    const int head1Width = measure.TextWidth(head1);
    const int head2Width = measure.TextWidth(head2);
    const int advance = bold ? bold->LineAdvance() : 0;
    measure.font = plain;
    int widest1 = 0;
    int widest2 = 0;
    const int height1 = plain ? measure.MeasureWrappedText(kWrapWidth, text1, -1, &widest1) : 0;
    const int height2 = plain ? measure.MeasureWrappedText(kWrapWidth, text2, -1, &widest2) : 0;

    const int widest = std::max({head1Width, head2Width, widest1, widest2});
    const int imageWidth = widest + 1;
    const int imageHeight = 2 * advance + height1 + height2 + 1;
    creditsImage = std::make_unique<MemoryImage>();
    creditsImage->Resize(imageWidth, imageHeight);
    if (bold && plain) {
        std::unique_ptr<Graphics> g(NewGraphicsForImage(creditsImage.get()));
        g->ClearArea(imageWidth, imageHeight);
        g->color = Color::White;
        g->font = bold;
        const int baseline1 = bold->Ascent();
        g->DrawText(head1, (widest - head1Width) / 2, baseline1);
        g->font = plain;
        // Wrapped at the measuring width, centred on the image, so that the
        // lines break where they were measured.
        const int wrapX = (widest - kWrapWidth) / 2;
        g->DrawWrappedText(text1, Rect(wrapX, baseline1 + bold->Descent(), kWrapWidth, 0), -1, 0, nullptr);
        g->font = bold;
        const int baseline2 = baseline1 + height1 + bold->Ascent();
        g->DrawText(head2, (widest - head2Width) / 2, baseline2);
        g->font = plain;
        g->DrawWrappedText(text2, Rect(wrapX, baseline2 + bold->Descent(), kWrapWidth, 0), -1, 0, nullptr);
    }

    scrollPosition = float(appHeight);
    fadeLayer = layout->FindLayer("fade");
    logosLayer = layout->FindLayer("logos");
    if (fadeLayer)
        fadeLayer->drawn = false;
    if (logosLayer)
        logosLayer->drawn = false;
}

void AboutScreen::Update()
{
    if (scrolling)
        scrollPosition -= kScrollStep;
    const int logosHeight = logosLayer && logosLayer->image ? logosLayer->image->height : 0;
    const int creditsHeight = creditsImage ? creditsImage->height : 0;
    if (scrollPosition < -float(logosHeight + creditsHeight))
        scrolling = false;
    Invalidate();
}

void AboutScreen::Draw(Graphics& g)
{
    layout->DrawAll(g);
    const int imageHeight = creditsImage ? creditsImage->height : 0;
    const int imageY = int(scrollPosition);
    if (creditsImage && creditsImage->width > 0)
        g.DrawImageAt(creditsImage.get(), (width - creditsImage->width) / 2, imageY);
    int logosY = imageY + imageHeight + 10;
    int logosHeight = 0;
    if (logosLayer && logosLayer->image) {
        logosHeight = logosLayer->image->height;
        g.DrawImageAt(logosLayer->image, logosLayer->x, logosY);
    }
    const int y2 = logosY + logosHeight + 10;
    g.color = Color::White;
    Font* head = FONT_HEAD;
    g.font = head;
    const int top = height / 2 + y2 - (head ? head->Ascent() : 0);
    if (GameComplete() && head)
        g.DrawWrappedText(closingText, Rect(0, top, width, 0), -1, 0, nullptr);
    g.font = FONT_TEXT_BOLD;
    if (g.font)
        g.DrawWrappedText(clickText, Rect(0, top + height / 4, width, 0), -1, 0, nullptr);
    layout->DrawLayer(fadeLayer, g, Point());
}

void AboutScreen::OnMouseDownButton(int, int, int, int)
{
    // One switch however fast the clicks come.
    if (!leaving) {
        leaving = true;
        ShowMainMenu();
    }
    scrolling = false;
}

void ShowCredits()
{
    if (GameApp* app = GetGameApp())
        app->SwitchToBoard(new AboutScreen());
}

} // namespace Quib
