// The journal: records added once with their page counts, the spread it
// opens at, its pages built from the text table, and turning the spreads.
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/QstBook.h"
#include "src/game/quest/QstBookButton.h"
#include "src/game/quest/QstBookRecord.h"
#include "tests/quest/PoolTestSupport.h"

#include <gtest/gtest.h>

namespace Quib::Testing {
namespace {

const char16_t* const kJournalTexts = u"[book_new]\r\n"
                                      u"head01=Day one\r\nrec01=Arrived.\r\n"
                                      u"head02=Day two\r\nrec02=Storm.\r\nrec02_1=Still storm.\r\n"
                                      u"head03=Day three\r\nrec03=Calm.\r\n"
                                      u"head04=Day four\r\nrec04=Sail.\r\n"
                                      u"head05=Day five\r\nrec05=A.\r\nrec05_1=B.\r\nrec05_2=C.\r\nrec05_4=lost\r\n"
                                      u"[book_old]\r\nhead01=Old\r\nrec01=Old one.\r\n"
                                      u"[Interface]\r\nclose=Close\r\n";

class BookTest : public ::testing::Test {
protected:
    BookTest() : texts(kJournalTexts) { Notebook().clear(); }
    ~BookTest() override { Notebook().clear(); }
    static std::map<std::string, std::unique_ptr<NotebookEntry>>& Notebook()
    {
        return GameControllerCommon::Instance().Player().notebook;
    }
    static QstBookRecord Record(const std::string& journal)
    {
        QstBookRecord record;
        record.Read(*GetJournalEntry(journal));
        return record;
    }
    // The journal layout: two pages of 300 x 400 side by side.
    static void MakeLayout(PsdPicture& picture)
    {
        picture.layers.push_back(MakeOpaqueLayer("frame", 100, 50, 700, 500));
        picture.layers.push_back(MakeOpaqueLayer("book_new/_back", 100, 50, 700, 500));
        picture.layers.push_back(MakeOpaqueLayer("book_new/pages/1/1", 140, 80, 300, 400));
        picture.layers.push_back(MakeOpaqueLayer("book_new/pages/1/2", 460, 80, 300, 400));
        picture.layers.push_back(MakeOpaqueLayer("book_new/pages/2/1", 140, 80, 300, 400));
        picture.layers.push_back(MakeOpaqueLayer("book_new/pages/2/2", 460, 80, 300, 400));
        picture.layers.push_back(MakeOpaqueLayer("date_left", 160, 100, 260, 30));
        picture.layers.push_back(MakeOpaqueLayer("date_right", 480, 100, 260, 30));
        picture.layers.push_back(MakeOpaqueLayer("text_left", 160, 140, 260, 300));
        picture.layers.push_back(MakeOpaqueLayer("text_right", 480, 140, 260, 300));
        picture.layers.push_back(MakeOpaqueLayer("number_left", 160, 450, 40, 20));
        picture.layers.push_back(MakeOpaqueLayer("number_right", 700, 450, 40, 20));
        picture.layers.push_back(MakeOpaqueLayer("book_new/records/note_03", 170, 150, 100, 60));
        picture.layers.push_back(MakeOpaqueLayer("buttons/close/close_in", 400, 500, 100, 30));
        picture.layers.push_back(MakeOpaqueLayer("buttons/close/close_ac", 400, 500, 100, 30));
    }

    PoolLogCapture log;
    PoolTextsScope texts;
};

TEST_F(BookTest, RecordIsAddedOnceWithItsPageCount)
{
    EXPECT_TRUE(QstBook::AddRecordTo("harbour", "5"));
    EXPECT_FALSE(QstBook::AddRecordTo("harbour", "5"));
    const QstBookRecord record = Record("harbour");
    ASSERT_EQ(record.entries.size(), 1u);
    EXPECT_EQ(record.entries[0], (std::pair<std::string, int32_t>("5", 3)));
    EXPECT_TRUE(record.isNew);
}

TEST_F(BookTest, JournalOpensAtTheSpreadOfTheNewestRecord)
{
    struct Step {
        const char* id;
        int page;
    };
    // Records of 1, 2 and 1 pages; the fourth starts on page 5, the spread
    // of pages 5 and 6 (page index 4).
    for (const Step& step : {Step{"1", 0}, Step{"2", 0}, Step{"3", 2}, Step{"4", 4}}) {
        QstBook::AddRecordTo("harbour", step.id);
        EXPECT_EQ(Record("harbour").page, step.page) << step.id;
    }
}

TEST_F(BookTest, RecordKeepsItsOrderPastTenEntries)
{
    NotebookEntry entry;
    QstBookRecord record;
    for (int i = 12; i > 0; --i)
        record.entries.emplace_back(std::to_string(i), i % 3 + 1);
    record.page = 6;
    record.isNew = true;
    record.Write(entry);
    QstBookRecord back;
    back.Read(entry);
    EXPECT_EQ(back.entries, record.entries);
    EXPECT_EQ(back.page, 6);
    EXPECT_TRUE(back.isNew);
}

TEST_F(BookTest, RecordIdsAreKeptAsText)
{
    EXPECT_TRUE(QstBook::AddRecordTo("harbour", "pier_lamp"));
    EXPECT_TRUE(QstBook::AddRecordTo("harbour", "pier_boat"));
    EXPECT_TRUE(QstBook::AddRecordTo("harbour", "07"));
    EXPECT_TRUE(QstBook::AddRecordTo("harbour", "7"));
    EXPECT_FALSE(QstBook::AddRecordTo("harbour", "a,b"));
    EXPECT_FALSE(QstBook::AddRecordTo("harbour", ""));
    const QstBookRecord record = Record("harbour");
    ASSERT_EQ(record.entries.size(), 4u);
    EXPECT_EQ(record.entries[0].first, "pier_lamp");
    EXPECT_EQ(record.entries[3].first, "7");
    EXPECT_TRUE(log.Contains("Journal record \"a,b\" not added"));
}

TEST_F(BookTest, PagesFollowTheTextsAndAlternateSides)
{
    QstBook::AddRecordTo("harbour", "2");
    QstBook::AddRecordTo("harbour", "3");
    QstBook::AddRecordTo("harbour", "5");
    PsdPicture layout;
    MakeLayout(layout);
    QstBook book("harbour", nullptr, &layout);
    EXPECT_FALSE(Record("harbour").isNew);
    EXPECT_EQ(book.x, 100);
    EXPECT_EQ(book.width, 700);
    ASSERT_EQ(book.pages.size(), 6u);
    const std::vector<std::u16string> heads = {u"Day two", u"", u"Day three", u"Day five", u"", u""};
    const std::vector<std::u16string> bodies = {u"Storm.", u"Still storm.", u"Calm.", u"A.", u"B.", u"C."};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(book.pages[i].head, heads[i]) << i;
        EXPECT_EQ(book.pages[i].text, bodies[i]) << i;
        EXPECT_EQ(book.pages[i].textRect.x, i % 2 == 0 ? 60 : 380) << i;
    }
    // Record 3 has a note on the left page: the text starts below it.
    ASSERT_NE(book.pages[2].note, nullptr);
    EXPECT_EQ(book.pages[2].noteX, 70);
    EXPECT_EQ(book.pages[2].noteY, 100);
    EXPECT_EQ(book.pages[2].textRect.y, 100 + 60 + 10);
    EXPECT_EQ(book.pages[2].textRect.y + book.pages[2].textRect.height, 90 + 300);
    // Record 5 starts on page index 3, the right page of the spread at 2.
    EXPECT_EQ(book.page, 2);
}

TEST_F(BookTest, ArrowsTurnSpreadsWithinTheJournal)
{
    for (const char* id : {"1", "2", "3", "4"})
        QstBook::AddRecordTo("harbour", id); // five pages
    PsdPicture layout;
    MakeLayout(layout);
    {
        QstBook book("harbour", nullptr, &layout);
        ASSERT_EQ(book.pages.size(), 5u);
        book.page = 0;
        book.ButtonDepress(1);
        EXPECT_EQ(book.page, 0);
        book.ButtonDepress(2);
        book.ButtonDepress(2);
        EXPECT_EQ(book.page, 4);
        book.ButtonDepress(2);
        EXPECT_EQ(book.page, 4);
        book.ButtonDepress(1);
        EXPECT_EQ(book.page, 2);
    }
    EXPECT_EQ(Record("harbour").page, 2);
}

TEST_F(BookTest, TheBoatHasTheOldBook)
{
    EXPECT_EQ(QstBook::StyleOf("boat"), "book_old");
    EXPECT_EQ(QstBook::StyleOf("harbour"), "book_new");
    QstBook::AddRecordTo("boat", "1");
    EXPECT_EQ(Record("boat").entries[0].second, 1);
}

TEST_F(BookTest, JournalWithoutLayoutIsEmptyButSafe)
{
    QstBook::AddRecordTo("harbour", "1");
    QstBook book("nowhere", nullptr, nullptr);
    EXPECT_TRUE(book.pages.empty() || book.layout);
    book.ButtonDepress(2);
    book.Close();
    for (int i = 0; i < 40; ++i)
        book.Update();
    EXPECT_EQ(book.progress, 0.0f);
}

TEST_F(BookTest, AttentivePulsesBetweenPointNineAndOne)
{
    QstBookButton button(nullptr);
    EXPECT_EQ(button.scale, 0.7f);
    button.attention = true;
    float low = 2.0f, high = 0.0f;
    for (int i = 0; i < 400; ++i) {
        button.Update();
        if (i > 30) {
            low = std::min(low, button.scale);
            high = std::max(high, button.scale);
        }
    }
    EXPECT_NEAR(low, 0.9f, 0.001f);
    EXPECT_NEAR(high, 1.0f, 0.001f);
    button.attention = false;
    for (int i = 0; i < 30; ++i)
        button.Update();
    EXPECT_FLOAT_EQ(button.scale, 0.7f);
    EXPECT_EQ(button.phase, 0.0f);
}

} // namespace
} // namespace Quib::Testing
