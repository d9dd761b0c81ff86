#include "src/game/quest/QstBook.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/GameResources.h"
#include "src/Lang.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstBookRecord.h"
#include "src/game/quest/QstScene.h"
#include "src/screens/DarkBack.h"
#include "src/screens/PopupAnimation.h"
#include "src/screens/ScaleButton.h"

#include <algorithm>
#include <cstdlib>

namespace Quib {

namespace {

// Pages a record may span; the text table is finite, this only bounds a
// damaged one.
constexpr int kMaxRecordPages = 100;

bool JournalHasText(const std::string& section, const std::string& key)
{
    return const_cast<IniDocumentW&>(Lang::Instance().Document()).Contains(section, key);
}

Rect LayerRect(PsdPicture* layout, const std::string& name)
{
    Rect r;
    if (layout)
        layout->GetLayerRect(r, name, false);
    return r;
}

} // namespace

QstBook::QstBook(const std::string& journalName, DarkBack* back, PsdPicture* layoutPicture)
    : name(journalName), backdrop(back)
{
    layout = layoutPicture;
    if (!layout) {
        if (GameControllerCommon* common = GameControllerCommon::Existing())
            layout = common->GetSharedPicture(GameControllerCommon::PICTURE_NOTEBOOK);
    }
    zOrder = kZOrder;
    BuildPages();
}

QstBook::~QstBook()
{
    if (NotebookEntry* entry = GetJournalEntry(name)) {
        QstBookRecord record;
        record.Read(*entry);
        record.page = page;
        record.Write(*entry);
    }
    DetachAllChildren(true, false);
}

std::string QstBook::StyleOf(const std::string& journalName)
{
    return journalName == "boat" ? "book_old" : "book_new";
}

void QstBook::BuildPages()
{
    std::vector<int> recordNumbers;
    if (NotebookEntry* entry = GetJournalEntry(name)) {
        QstBookRecord record;
        record.Read(*entry);
        page = record.page;
        record.isNew = false;
        record.Write(*entry);
        for (const auto& [id, count] : record.entries)
            recordNumbers.push_back(std::atoi(id.c_str()));
    }
    style = StyleOf(name);
    const std::string prefix = style + "/";
    pages.clear();

    if (!layout) {
        QUIB_LOG_ERROR("The journal \"%s\" has no layout (data/gui/notebook/)", name);
        return;
    }

    Rect bounds;
    if (PsdPictureLayer* frameLayer = layout->FindLayer("frame")) {
        frame = frameLayer->image;
        bounds = LayerRect(layout, "frame");
    }
    SetBounds(bounds.x, bounds.y, bounds.width, bounds.height);

    if (PsdPictureLayer* backLayer = layout->FindLayer(prefix + "_back")) {
        back = backLayer->image;
        backX = backLayer->x - x;
        backY = backLayer->y - y;
    }

    const Color ink(kInkColor);
    closeButton = CreateScaleButton(*layout, 0, "buttons/close/close_in", "buttons/close/close_ac", this,
                                    Lang::Instance()("Interface", "close"), ink);
    leftButton = CreateScaleButton(*layout, 1, "buttons/arrow_left/arrow_left_in", "buttons/arrow_left/arrow_left_ac",
                                   this, u"", ink);
    rightButton = CreateScaleButton(*layout, 2, "buttons/arrow_right/arrow_right_in",
                                    "buttons/arrow_right/arrow_right_ac", this, u"", ink);
    for (ScaleButton* button : {closeButton, leftButton, rightButton}) {
        if (!button)
            continue;
        button->MoveTo(button->x - x, button->y - y);
        button->homeX -= x;
        button->homeY -= y;
        AttachChild(button);
        AnimatePopupButton(*this, button, progress);
    }

    const char* sides[2] = {"left", "right"};
    for (int s = 0; s < 2; ++s) {
        Rect* targets[3] = {&dateRects[s], &textRects[s], &numberRects[s]};
        const char* kinds[3] = {"date_", "text_", "number_"};
        for (int k = 0; k < 3; ++k) {
            *targets[k] = LayerRect(layout, std::string(kinds[k]) + sides[s]);
            targets[k]->x -= x;
            targets[k]->y -= y;
        }
    }

    const char* pageNames[4] = {"pages/1/1", "pages/1/2", "pages/2/1", "pages/2/2"};
    for (int i = 0; i < 4; ++i) {
        if (PsdPictureLayer* layer = layout->FindLayer(prefix + pageNames[i])) {
            pageImages[i] = layer->image;
            pageX[i] = layer->x - x;
            pageY[i] = layer->y - y;
        }
    }

    Lang& lang = Lang::Instance();
    for (int n : recordNumbers) {
        const std::string recordKey = StrFormat("rec%02d", n);
        for (int j = 0; j < kMaxRecordPages; ++j) {
            QstBookPage sheet;
            const int side = int(pages.size() % 2);
            sheet.textRect = textRects[side];
            if (j == 0)
                sheet.head = lang(style, StrFormat("head%02d", n));
            sheet.text = lang(style, j == 0 ? recordKey : recordKey + StrFormat("_%d", j));
            PsdPictureLayer* note = j == 0 ? layout->FindLayer(prefix + StrFormat("records/note_%02d", n)) : nullptr;
            if (note) {
                const int dx = textRects[side].x - textRects[0].x - x;
                const int dy = textRects[side].y - textRects[0].y - y;
                sheet.note = note->image;
                sheet.noteX = note->x + dx;
                sheet.noteY = note->y + dy;
                const std::string noteText = prefix + StrFormat("records/note_%02d_text", n);
                if (layout->FindLayer(noteText)) {
                    sheet.textRect = LayerRect(layout, noteText);
                    sheet.textRect.x += dx;
                    sheet.textRect.y += dy;
                } else {
                    const int bottom = sheet.textRect.y + sheet.textRect.height;
                    sheet.textRect.y = sheet.noteY + (note->image ? note->image->height : 0) + 10;
                    sheet.textRect.height = std::max(0, bottom - sheet.textRect.y);
                }
            }
            pages.push_back(std::move(sheet));
            if (!JournalHasText(style, recordKey + StrFormat("_%d", j + 1)))
                break;
        }
    }
    page = std::clamp(page, 0, std::max(0, int(pages.size()) - 1));
    page -= page % 2;
}

bool QstBook::AddRecordTo(const std::string& journalName, const std::string& recordId)
{
    if (!QstBookRecord::IsStorableId(recordId)) {
        QUIB_LOG_ERROR("Journal record \"%s\" not added: not a record id", recordId);
        return false;
    }
    NotebookEntry* entry = GetJournalEntry(journalName);
    if (!entry)
        return false;
    QstBookRecord record;
    record.Read(*entry);
    if (record.Has(recordId))
        return false;
    if (record.entries.size() >= QstBookRecord::kMaxRecords) {
        QUIB_LOG_ERROR("The journal \"%s\" is full; record \"%s\" not added", journalName, recordId);
        return false;
    }
    int firstPage = 1;
    for (const auto& e : record.entries)
        firstPage += e.second;

    const std::string style = StyleOf(journalName);
    const int n = std::atoi(recordId.c_str());
    int count = 1;
    while (count < kMaxRecordPages && JournalHasText(style, StrFormat("rec%02d_", n) + StrFormat("%d", count)))
        ++count;
    record.entries.emplace_back(recordId, count);

    if (firstPage <= 2)
        record.page = 0;
    else
        record.page = firstPage % 2 == 0 ? firstPage - 2 : firstPage - 1;
    record.isNew = true;
    record.Write(*entry);
    return true;
}

void QstBook::Update()
{
    Widget::Update();
    if (StepPopupProgress(progress, target) && target == 0.0f && !mRemoved) {
        mRemoved = true;
        RemoveAndDeleteWidget(this);
    }
    for (ScaleButton* button : {closeButton, leftButton, rightButton})
        AnimatePopupButton(*this, button, progress);
    Invalidate();
}

void QstBook::Close()
{
    target = 0.0f;
    DismissBackdrop(backdrop);
}

void QstBook::ButtonDepress(int id)
{
    if (id == 0) {
        Close();
    } else if (id == 1) {
        page = std::max(0, page - 2);
    } else if (id == 2) {
        const int count = int(pages.size());
        if (count > 2) {
            const int lastLeft = count % 2 == 0 ? count - 2 : count - 1;
            page = std::min(page + 2, lastLeft);
        }
    }
}

void QstBook::DrawPage(Graphics& g, int p)
{
    const int side = p % 2;
    const Color ink = ColorWithAlpha(std::clamp(progress, 0.0f, 1.0f), Color(kInkColor));
    if (p >= 0 && p < int(pages.size())) {
        const QstBookPage& sheet = pages[size_t(p)];
        g.font = FONT_TEXT_BOLD;
        g.color = ink;
        const Rect& date = dateRects[side];
        const int headX = date.x + (date.width - g.TextWidth(sheet.head)) / 2;
        g.DrawText(sheet.head, headX, CentredBaseline(date, g.font));
        if (sheet.note)
            g.DrawImageAt(sheet.note, sheet.noteX, sheet.noteY);
        g.font = FONT_TEXT;
        g.color = ink;
        g.DrawWrappedText(sheet.text, sheet.textRect, -1, -1, nullptr);
    }
    g.font = FONT_TEXT_BOLD;
    g.color = ink;
    const Rect& number = numberRects[side];
    const std::u16string label = WStrFormat(u"%d", p + 1);
    const int numberX = side == 0 ? number.x : number.x + number.width - g.TextWidth(label);
    g.DrawText(label, numberX, CentredBaseline(number, g.font));
}

void QstBook::Draw(Graphics& g)
{
    ApplyPopupTransform(g, progress, width, height);
    const Color tint = g.color;
    if (back)
        g.DrawImageAt(back, backX, backY);
    for (int p = page; p <= page + 1; ++p) {
        const int design = p % 4;
        if (pageImages[design])
            g.DrawImageAt(pageImages[design], pageX[design], pageY[design]);
        if (layout) {
            if (PsdPictureLayer* trash = layout->FindLayer(style + StrFormat("/trash/%d", p + 1));
                trash && trash->image)
                g.DrawImageAt(trash->image, trash->x - x, trash->y - y);
        }
    }
    for (int p = page; p <= page + 1; ++p) {
        DrawPage(g, p);
        g.color = tint;
    }
    if (frame)
        g.DrawImageAt(frame, 0, 0);
}

void QstBook::AddRecord(const std::string& recordId)
{
    GameControllerCommon* common = GameControllerCommon::Existing();
    auto* scene = common ? dynamic_cast<QstScene*>(common->activeLevel) : nullptr;
    if (!scene) {
        QUIB_LOG_ERROR("Journal record \"%s\" not added: no scene is active", recordId);
        return;
    }
    if (AddRecordTo(scene->GetClusterName(), recordId) && scene->journalRecordDelegate)
        scene->journalRecordDelegate();
}

void AddJournalRecord(const std::string& recordId)
{
    QstBook::AddRecord(recordId);
}

} // namespace Quib
