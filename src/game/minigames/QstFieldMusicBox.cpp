#include "src/game/minigames/QstFieldMusicBox.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/Sounds.h"
#include "src/game/quest/PsdPictureLayer.h"
#include "src/game/quest/QstPixelAlpha.h"
#include "src/screens/TGameButton.h"

#include <algorithm>
#include <cmath>

namespace Quib {

namespace {

constexpr float kMusicTwoPi = 6.2831855f;

int ImageWidth(const MinigamePicture* p) { return p && p->image ? p->image->width : 0; }
int ImageHeight(const MinigamePicture* p) { return p && p->image ? p->image->height : 0; }

// The play button's pictures and places, as the buttons laid out from a
// layout get them.
void SetButtonPictures(TGameButton* button, const MinigamePicture* normal, const MinigamePicture* over, int fieldX,
                       int fieldY)
{
    PsdPictureLayer normalLayer;
    PsdPictureLayer overLayer;
    normalLayer.image = normal ? normal->image : nullptr;
    normalLayer.x = normal ? int(normal->x) - fieldX : 0;
    normalLayer.y = normal ? int(normal->y) - fieldY : 0;
    overLayer.image = over ? over->image : nullptr;
    overLayer.x = over ? int(over->x) - fieldX : 0;
    overLayer.y = over ? int(over->y) - fieldY : 0;
    button->SetImagesFromLayers(normal ? &normalLayer : nullptr, over ? &overLayer : nullptr);
    // The layers are the box's pictures: they own nothing here.
    normalLayer.image = nullptr;
    overLayer.image = nullptr;
}

} // namespace

QstFieldMusicBox::QstFieldMusicBox(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
}

QstFieldMusicBox::~QstFieldMusicBox()
{
    if (playButton) {
        if (ContainsChild(playButton))
            DetachChild(playButton);
        delete playButton;
        playButton = nullptr;
    }
}

bool QstFieldMusicBox::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    const bool loaded = QstFieldMinigame::DoInitFromXML(element, context);
    notePictures.clear();
    for (int v = 1; v <= kRows; ++v)
        notePictures.push_back(LoadFieldPicture(context, StrFormat("notes/%d", v), this, true));
    for (int page = 0; page < 2; ++page) {
        for (auto& row : pins[size_t(page)])
            row.fill(Pin());
        columns[size_t(page)].fill(Column());
    }
    largeDrumBase = LoadFieldPicture(context, "baraban/_base", this, true);
    smallDrumBase = LoadFieldPicture(context, "baraban_small/_base_small", this, true);
    pinPicture = LoadFieldPicture(context, "buttons/button", this, true);
    pinLight = LoadFieldPicture(context, "_button_light", this, true);
    firstPinX = pinPicture ? int32_t(pinPicture->x) : 0;
    firstPinY = pinPicture ? int32_t(pinPicture->y) : 0;
    const MinigamePicture* right = LoadFieldPicture(context, "buttons/button_right", this, true);
    const MinigamePicture* bottom = LoadFieldPicture(context, "buttons/button_bottom", this, true);
    secondRowX = right ? int32_t(right->x) : firstPinX;
    lastColumnY = bottom ? int32_t(bottom->y) : firstPinY;
    overlays.clear();
    for (const char* overlay : {"baraban_small/_lines2", "baraban/_lines", "_volume", "_kolki", "_volume2"})
        overlays.push_back(LoadFieldPicture(context, overlay, this, true));
    smallMask = LoadFieldPicture(context, "_mask_small", this, true);
    largeMask = LoadFieldPicture(context, "_mask_big", this, true);
    playNormal = LoadFieldPicture(context, "lock_button/lock_in", this, true);
    playHover = LoadFieldPicture(context, "lock_button/lock_ac", this, true);
    if (!HasAllPictures())
        QUIB_LOG_ERROR("Music box \"%s\": the scene picture lacks some of its pictures; those are not drawn", name);
    MakeMelodies();
    ShowMelody(0, 0);
    ShowMelody(1, 1);
    return loaded;
}

bool QstFieldMusicBox::HasAllPictures() const
{
    for (const MinigamePicture* p : notePictures)
        if (!p)
            return false;
    return largeDrumBase && smallDrumBase && pinPicture && pinLight && smallMask && largeMask && playNormal &&
           playHover;
}

void QstFieldMusicBox::MakeMelodies()
{
    for (auto& melody : melodies) {
        melody.clear();
        for (int c = 0; c < kColumns; ++c)
            melody.push_back(int32_t(MersenneNext() % kRows));
    }
}

void QstFieldMusicBox::ShowMelody(int melody, int page)
{
    if (melody < 0 || melody > 2 || page < 0 || page > 1)
        return;
    for (int c = 0; c < kColumns; ++c) {
        const int32_t value = melodies[size_t(melody)][size_t(c)];
        columns[size_t(page)][size_t(c)].notePicture =
            value >= 0 && size_t(value) < notePictures.size() ? notePictures[size_t(value)] : nullptr;
    }
}

void QstFieldMusicBox::Layout()
{
    QstFieldMinigame::Layout();
    if (!layoutDone) {
        layoutDone = true;
        const int32_t oldX = firstPinX;
        const int32_t oldY = firstPinY;
        firstPinX += ImageWidth(pinPicture) / 2;
        firstPinY += ImageHeight(pinPicture) / 2;
        const int32_t dx = secondRowX - oldX;
        const int32_t dy = lastColumnY - oldY;
        for (auto& grid : pins) {
            for (int r = 0; r < kRows; ++r) {
                for (int c = 0; c < kColumns; ++c) {
                    Pin& pin = grid[size_t(r)][size_t(c)];
                    pin.x = firstPinX + r * dx;
                    pin.y = firstPinY + (kColumns - 1 - c) * dy;
                }
            }
        }
        playButton = new TGameButton(kPlayButtonId, this);
        AttachChild(playButton);
    }
    SetButtonPictures(playButton, playNormal, playHover, x, y);
}

void QstFieldMusicBox::UnloadLayers()
{
    QstFieldMinigame::UnloadLayers();
    // The button shows the box's pictures, which are gone now.
    if (playButton) {
        playButton->normalPicture = nullptr;
        playButton->overPicture = nullptr;
        playButton->normalImage = nullptr;
        playButton->overImage = nullptr;
    }
}

void QstFieldMusicBox::ButtonDepress(int id)
{
    if (id == kPlayButtonId)
        StartPlay();
    else
        QstFieldMinigame::ButtonDepress(id);
}

void QstFieldMusicBox::StartPlay()
{
    if (playing)
        return;
    column = 0;
    playPosition = 0.0f;
    playing = true;
}

void QstFieldMusicBox::OnMouseMove(int px, int py)
{
    QstFieldMinigame::OnMouseMove(px, py);
    if (playing)
        return;
    const int w = ImageWidth(pinPicture);
    const int h = ImageHeight(pinPicture);
    for (auto& grid : pins) {
        for (auto& row : grid) {
            for (Pin& pin : row) {
                const int lx = int(float(px) - (float(pin.x) - float(w) * 0.5f - float(x)));
                const int ly = int(float(py) - (float(pin.y) - float(h) * 0.5f - float(y)));
                pin.hovered = pinPicture && PictureAlphaAt(pinPicture->image, lx, ly) > 5;
            }
        }
    }
}

void QstFieldMusicBox::OnMouseLeave()
{
    QstFieldMinigame::OnMouseLeave();
    for (auto& grid : pins)
        for (auto& row : grid)
            for (Pin& pin : row)
                pin.hovered = false;
}

void QstFieldMusicBox::OnMouseDownButton(int px, int py, int button, int count)
{
    QstFieldMinigame::OnMouseDownButton(px, py, button, count);
    if (playing)
        return;
    PinGrid& grid = pins[0];
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            if (!grid[size_t(r)][size_t(c)].hovered)
                continue;
            grid[size_t(r)][size_t(c)].set = true;
            for (int other = 0; other < kRows; ++other)
                if (other != r)
                    grid[size_t(other)][size_t(c)].set = false;
            break;
        }
    }
}

int QstFieldMusicBox::LargeDrumOffset() const
{
    const float h = float(ImageHeight(largeMask)) / 5.0f;
    return int(h * (column == 0 ? playPosition : float(column) - 0.5f + playPosition));
}

void QstFieldMusicBox::ClearPins()
{
    for (auto& row : pins[0]) {
        for (Pin& pin : row) {
            pin.set = false;
            pin.setFade = 0.0f;
        }
    }
}

void QstFieldMusicBox::Update(float seconds)
{
    QstFieldMinigame::Update(seconds);
    for (int page = 0; page < 2; ++page) {
        for (auto& row : pins[size_t(page)]) {
            for (Pin& pin : row) {
                ApproachFloat(pin.hoverFade, 5.0f * seconds, pin.hovered ? 1.0f : 0.0f);
                ApproachFloat(pin.setFade, 3.0f * seconds, pin.set ? 1.0f : 0.0f);
                ApproachFloat(pin.flash, 2.0f * seconds, 0.0f);
            }
        }
        for (Column& col : columns[size_t(page)])
            ApproachFloat(col.flash, 2.0f * seconds, 0.0f);
    }
    if (!playing)
        return;
    if (advancing) {
        if (ApproachFloat(advanceProgress, 2.0f * seconds, 1.0f)) {
            advanceProgress = 0.0f;
            drumTurns += 1.0f;
            stage += 1;
            advancing = false;
            playing = false;
            ShowMelody(stage, 0);
            if (stage < 2)
                ShowMelody(stage + 1, 1);
        }
        return;
    }
    if (rewinding) {
        if (ApproachFloat(playPosition, 2.0f * seconds, 0.0f)) {
            if (column == 0) {
                rewinding = false;
                playing = false;
            } else {
                playPosition = column == 1 ? 0.5f : 1.0f;
                column -= 1;
            }
        }
        return;
    }
    const float target = (column == 0 || column == kColumns) ? 0.5f : 1.0f;
    if (!ApproachFloat(playPosition, 2.0f * seconds, target))
        return;
    if (column == kColumns) {
        column = 0;
        playPosition = 0.0f;
        if (stage >= 2) {
            playing = false;
            Win();
        } else {
            ClearPins();
            advancing = true;
        }
        return;
    }
    const int c = column;
    PinGrid& grid = pins[0];
    Pin* found = nullptr;
    for (int r = 0; r < kRows && !found; ++r)
        if (grid[size_t(r)][size_t(c)].set)
            found = &grid[size_t(r)][size_t(c)];
    if (found) {
        found->flash = 1.0f;
        const int32_t wanted = melodies[size_t(std::clamp(stage, 0, 2))][size_t(c)];
        const bool right = grid[size_t(wanted)][size_t(c)].set;
        found->right = right;
        if (right) {
            PlaySoundEffect(StrFormat("note_%02d", c + 1));
            columns[0][size_t(c)].flash = 1.0f;
            columns[0][size_t(c)].right = true;
            column += 1;
            playPosition = 0.0f;
            return;
        }
    }
    PlaySoundEffect("wrong_note");
    columns[0][size_t(c)].flash = 1.0f;
    columns[0][size_t(c)].right = false;
    rewinding = true;
}

void QstFieldMusicBox::Draw(Graphics& g)
{
    QstFieldMinigame::Draw(g);
    g.SaveState();
    const Color base = BeginPuzzlePass(g);
    const float fx = float(x);
    const float fy = float(y);
    int B = LargeDrumOffset();
    float A = float(ImageHeight(smallMask)) * advanceProgress;

    g.SaveState();
    if (largeDrumBase && largeDrumBase->image) {
        const MinigamePicture* p = largeDrumBase;
        g.ReplaceClip(int(p->x) - x, int(p->y) - y, p->image->width, p->image->height);
        g.DrawImageAt(p->image, int(p->x - fx), int(p->y - fy) + B);
        g.DrawImageAt(p->image, int(p->x - fx), int(p->y - fy) + B - p->image->height);
    }
    if (smallDrumBase && smallDrumBase->image && smallMask && smallMask->image && smallMask->image->height > 0) {
        const MinigamePicture* p = smallDrumBase;
        const float maskH = float(smallMask->image->height);
        const float u = float(p->image->height) / maskH;
        const float w = drumTurns + advanceProgress;
        const float k = u > 0.0f ? std::trunc(w / u) : 0.0f;
        const int s = int(maskH * (w - u * k));
        g.ReplaceClip(int(smallMask->x) - x, int(smallMask->y) - y, smallMask->image->width, smallMask->image->height);
        g.DrawImageAt(p->image, int(p->x - fx), int(p->y - fy) + s);
        g.DrawImageAt(p->image, int(p->x - fx), int(p->y - fy) + s - p->image->height);
    }
    g.RestoreState();

    g.SaveState();
    for (int page = 0; page < 2; ++page) {
        if (page == 1) {
            A -= float(ImageHeight(smallMask));
            B -= ImageHeight(largeMask);
        }
        if (smallMask && smallMask->image) {
            g.ReplaceClip(int(smallMask->x) - x, int(smallMask->y) - y, smallMask->image->width,
                          smallMask->image->height);
            for (int c = 0; c < kColumns; ++c) {
                const Column& col = columns[size_t(page)][size_t(c)];
                const MinigamePicture* note = col.notePicture;
                const MinigamePicture* place = size_t(c) < notePictures.size() ? notePictures[size_t(c)] : nullptr;
                if (!note || !note->image || !place || !place->image)
                    continue;
                const int nx = int((place->x + float(place->image->width) * 0.5f) - float(note->image->width) * 0.5f - fx);
                const int ny = int(note->y - fy + A);
                g.colorizeImages = true;
                g.drawMode = DRAWMODE_NORMAL;
                g.color = base;
                g.DrawImageAt(note->image, nx, ny);
                if (col.flash != 0.0f) {
                    const float p = 0.5f - std::cos(kMusicTwoPi * col.flash) * 0.5f;
                    if (col.right) {
                        g.drawMode = DRAWMODE_ADDITIVE;
                        g.color = MultiplyColors(base, ColorWithAlpha(p * 0.3f, Color::White));
                    } else {
                        g.color = MultiplyColors(base, ColorWithAlpha(p * 0.3f, Color(255, 0, 0, 255)));
                    }
                    g.DrawImageAt(note->image, nx, ny);
                    g.drawMode = DRAWMODE_NORMAL;
                }
            }
        }
        if (largeMask && largeMask->image && pinPicture && pinPicture->image) {
            g.ReplaceClip(int(largeMask->x) - x, int(largeMask->y) - y, largeMask->image->width,
                          largeMask->image->height);
            Image* pinImage = pinPicture->image;
            for (const auto& row : pins[size_t(page)]) {
                for (const Pin& pin : row) {
                    const int px = int(float(pin.x) - float(pinImage->width) * 0.5f - fx);
                    const int py = int(float(pin.y) - float(pinImage->height) * 0.5f - fy) + B;
                    g.drawMode = DRAWMODE_NORMAL;
                    g.color = base;
                    g.DrawImageAt(pinImage, px, py);
                    if (pin.hoverFade != 0.0f) {
                        g.drawMode = DRAWMODE_ADDITIVE;
                        g.color = MultiplyColors(base, ColorWithAlpha(pin.hoverFade * 0.3f, Color::White));
                        g.DrawImageAt(pinImage, px, py);
                        g.drawMode = DRAWMODE_NORMAL;
                    }
                    if (pin.setFade == 0.0f || !pinLight || !pinLight->image)
                        continue;
                    Image* light = pinLight->image;
                    const int lx = int(float(pin.x) - float(light->width) * 0.5f - fx);
                    const int ly = int(float(pin.y) - float(light->height) * 0.5f - fy) + B;
                    g.color = MultiplyColors(base, ColorWithAlpha(pin.setFade, Color::White));
                    g.DrawImageAt(light, lx, ly);
                    const float p = 0.5f - std::cos(kMusicTwoPi * pin.flash) * 0.5f;
                    const float q = std::min(p * 0.6f * pin.setFade, 0.6f);
                    if (q != 0.0f) {
                        if (pin.right) {
                            g.drawMode = DRAWMODE_ADDITIVE;
                            g.color = MultiplyColors(base, ColorWithAlpha(q, Color::White));
                        } else {
                            g.color = MultiplyColors(base, ColorWithAlpha(q, Color(255, 0, 0, 255)));
                        }
                        g.DrawImageAt(light, lx, ly);
                        g.drawMode = DRAWMODE_NORMAL;
                    }
                }
            }
        }
    }
    g.RestoreState();
    g.color = base;
    for (const MinigamePicture* overlay : overlays)
        DrawPicture(g, overlay);
    g.RestoreState();
}

} // namespace Quib
