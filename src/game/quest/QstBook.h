#pragma once
#include "framework/core/Rect.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"
#include "src/game/quest/QstBookPage.h"

#include <string>
#include <vector>

namespace Quib {

class DarkBack;
class Image;
class PsdPicture;
class ScaleButton;

// The journal: a popup book of the records collected in an inventory
// cluster, two pages at a time, laid out from data/gui/notebook/.
class QstBook : public Widget, public ButtonListener {
public:
    static constexpr uint32_t kInkColor = 0xff2b0e00;
    static constexpr float kAppearStep = 0.03f;
    static constexpr int kZOrder = 100;

    // layoutPicture null: the shared notebook layout.
    QstBook(const std::string& journalName, DarkBack* backdrop, PsdPicture* layoutPicture = nullptr);
    // Writes the page back into the notebook record.
    ~QstBook() override;

    void BuildPages();
    // Adds the record to the journal of the active scene's cluster.
    static void AddRecord(const std::string& recordId);
    // The same for a named journal; true when the record was new.
    static bool AddRecordTo(const std::string& journalName, const std::string& recordId);
    // "book_old" for the journal "boat", else "book_new".
    static std::string StyleOf(const std::string& journalName);

    void Update() override;
    void Draw(Graphics& g) override;
    void ButtonDepress(int id) override;
    void Close();

    std::string name;
    PsdPicture* layout = nullptr; // not owned
    float progress = 0.0f;
    float target = 1.0f;
    ScaleButton* closeButton = nullptr; // children
    ScaleButton* leftButton = nullptr;
    ScaleButton* rightButton = nullptr;
    std::string style;
    std::vector<QstBookPage> pages;
    Image* frame = nullptr;
    Image* back = nullptr;
    int32_t backX = 0;
    int32_t backY = 0;
    Image* pageImages[4] = {};
    int32_t pageX[4] = {};
    int32_t pageY[4] = {};
    Rect dateRects[2];
    Rect textRects[2];
    Rect numberRects[2];
    int32_t page = 0;
    DarkBack* backdrop = nullptr; // not owned

private:
    void DrawPage(Graphics& g, int pageIndex);
    bool mRemoved = false;
};

// The MsgBook action's entry point: QstBook::AddRecord.
void AddJournalRecord(const std::string& recordId);

} // namespace Quib
