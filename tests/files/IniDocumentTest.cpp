#include "tests/files/IniTestUtil.h"

#include <gtest/gtest.h>

#include <functional>

namespace Quib {
namespace {

using namespace Testing;

const char* const kDoc = "# top\n[A]\na1=1\na2=2\n[B]\nb1=3\n";
const char* const kNamedOnly = "[A]\na1=1\n[B]\nb1=3\n";

// Every entry's position is its index, every section's index its place.
void ExpectNumbered(IniDocument& doc)
{
    for (int32_t s = 0; s < doc.SectionCount(); ++s) {
        EXPECT_EQ(doc.SectionAt(s)->index, s);
        const auto& order = doc.SectionAt(s)->order;
        for (size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(order[i]->position, i);
    }
}

std::string Walk(IniIterator it)
{
    std::string out;
    for (; it != IniDocument::End(); it.Advance())
        out += std::to_string(it.State()) + it.Name() + " ";
    return out;
}

TEST(IniDocument, IteratorsWalkByMask)
{
    IniDocument doc;
    ParseInto(doc, kDoc);
    EXPECT_EQ(Walk(doc.Begin()), "1 4# top 1A 2a1 2a2 1B 2b1 ");
    EXPECT_EQ(Walk(IniIterator::BeginMasked(doc, INI_KEY)), "2a1 2a2 2b1 ");
    EXPECT_EQ(Walk(IniIterator::BeginMasked(doc, INI_SECTION)), "1 1A 1B ");
    EXPECT_EQ(Walk(IniIterator::BeginMasked(doc, INI_COMMENT)), "4# top ");
    // A found section walks its own entries, then ends.
    IniIterator a = doc.FindSection("a");
    EXPECT_EQ(a.State(), INI_SECTION);
    EXPECT_EQ(a.Name(), "A");
    a.Advance();
    EXPECT_EQ(Walk(a), "2a1 2a2 ");
    EXPECT_EQ(doc.FindSection("missing"), IniDocument::End());
    EXPECT_EQ(doc.Begin(false), IniDocument::End());

    IniDocument empty;
    EXPECT_EQ(empty.Begin(), IniDocument::End());
    EXPECT_EQ(IniIterator::BeginMasked(empty, INI_KEY), IniDocument::End());
}

TEST(IniDocument, FindKeyWithoutRegardToCase)
{
    IniDocument doc;
    ParseInto(doc, kDoc);
    IniIterator key = doc.FindKey("b", "B1");
    ASSERT_NE(key, IniDocument::End());
    EXPECT_EQ(key.State(), INI_KEY);
    EXPECT_EQ(key.Name(), "b1");
    EXPECT_EQ(key.Value(), "3");
    EXPECT_EQ(key, doc.FindKey("B", "b1"));
    EXPECT_EQ(doc.FindKey("C", "b1"), IniDocument::End());
    EXPECT_EQ(doc.FindKey("B", "a1"), IniDocument::End());
    EXPECT_EQ(doc.FindKey("", "# top"), IniDocument::End());  // comments are no keys
}

TEST(IniDocument, EraseSectionTakesItsKeysAndRenumbers)
{
    IniDocument doc;
    ParseInto(doc, "[A]\na1=1\n[B]\nb1=3\nb2=4\n[C]\nc1=5\n");
    EXPECT_TRUE(doc.EraseSection("b"));
    EXPECT_EQ(Describe(doc), "[A] a1=1|[C] c1=5");
    ExpectNumbered(doc);
    EXPECT_EQ(doc.FindKey("B", "b1"), IniDocument::End());
    EXPECT_EQ(doc.FindKey("C", "c1").Value(), "5");
    EXPECT_FALSE(doc.EraseSection("B"));
    // A section added again starts empty.
    doc.AddSection("B");
    EXPECT_EQ(Describe(doc), "[A] a1=1|[C] c1=5|[B]");
}

struct InsertCase {
    const char* label;
    const char* text;
    std::function<std::pair<IniIterator, bool>(IniDocument&)> insert;
    std::string expected;
    bool inserted;
    std::string resultName;
};

TEST(IniDocument, InsertionPositions)
{
    auto key = [](const char* name) {
        IniEntry e;
        e.kind = INI_KEY;
        e.name = name;
        e.value = "n";
        return e;
    };
    auto comment = [](const char* text) {
        IniEntry e;
        e.kind = INI_COMMENT;
        e.name = text;
        e.flags = INI_COMMENT_LINE_START;
        return e;
    };
    const InsertCase cases[] = {
        {"section at the end", kDoc, [](IniDocument& d) { return d.InsertSection("C", IniDocument::End()); },
         "[] #1{# top}|[A] a1=1 a2=2|[B] b1=3|[C]", true, "C"},
        {"section before A", kDoc, [](IniDocument& d) { return d.InsertSection("C", d.FindSection("A")); },
         "[] #1{# top}|[C]|[A] a1=1 a2=2|[B] b1=3", true, "C"},
        {"section never before the unnamed one", kDoc,
         [](IniDocument& d) { return d.InsertSection("C", d.Begin()); },
         "[] #1{# top}|[C]|[A] a1=1 a2=2|[B] b1=3", true, "C"},
        {"section at the front", kNamedOnly, [](IniDocument& d) { return d.InsertSection("C", d.Begin()); },
         "[C]|[A] a1=1|[B] b1=3", true, "C"},
        {"existing section", kDoc, [](IniDocument& d) { return d.InsertSection("b", IniDocument::End()); },
         "[] #1{# top}|[A] a1=1 a2=2|[B] b1=3", false, "B"},
        {"unnamed section goes first", kNamedOnly,
         [](IniDocument& d) { return d.InsertSection("", d.FindSection("B")); }, "[]|[A] a1=1|[B] b1=3", true, ""},
        {"key at the end", kDoc, [&](IniDocument& d) { return d.InsertEntry(key("k"), IniDocument::End()); },
         "[] #1{# top}|[A] a1=1 a2=2|[B] b1=3 k=n", true, "k"},
        {"key at a section ends the section before", kDoc,
         [&](IniDocument& d) { return d.InsertEntry(key("k"), d.FindSection("B")); },
         "[] #1{# top}|[A] a1=1 a2=2 k=n|[B] b1=3", true, "k"},
        {"key at the first section goes to the unnamed one", kNamedOnly,
         [&](IniDocument& d) { return d.InsertEntry(key("k"), d.FindSection("A")); },
         "[] k=n|[A] a1=1|[B] b1=3", true, "k"},
        {"key before a key", kDoc, [&](IniDocument& d) { return d.InsertEntry(key("k"), d.FindKey("A", "a2")); },
         "[] #1{# top}|[A] a1=1 k=n a2=2|[B] b1=3", true, "k"},
        {"comment before a key", kDoc,
         [&](IniDocument& d) { return d.InsertEntry(comment("; c"), d.FindKey("A", "a1")); },
         "[] #1{# top}|[A] #1{; c} a1=1 a2=2|[B] b1=3", true, "; c"},
        {"existing key keeps its value", kDoc,
         [&](IniDocument& d) { return d.InsertEntry(key("B1"), IniDocument::End()); },
         "[] #1{# top}|[A] a1=1 a2=2|[B] b1=3", false, "b1"},
        {"into an empty document", "", [&](IniDocument& d) { return d.AddKey("k", "v", IniDocument::End()); },
         "[] k=v", true, "k"},
    };
    for (const InsertCase& c : cases) {
        IniDocument doc;
        ParseInto(doc, c.text);
        auto [it, inserted] = c.insert(doc);
        EXPECT_EQ(Describe(doc), c.expected) << c.label;
        EXPECT_EQ(inserted, c.inserted) << c.label;
        EXPECT_EQ(it.Name(), c.resultName) << c.label;
        ExpectNumbered(doc);
    }
}

TEST(IniDocument, GetOrAddKeyAppendsToTheSection)
{
    IniDocument doc;
    ParseInto(doc, kDoc);
    IniIterator added = doc.GetOrAddKey(doc.FindSection("A"), "new");
    EXPECT_EQ(added.State(), INI_KEY);
    EXPECT_TRUE(added.SetValue("x"));
    IniIterator existing = doc.GetOrAddKey(doc.FindSection("b"), "B1");
    EXPECT_EQ(existing.Value(), "3");
    doc.GetOrAddKey(doc.AddSection("C"), "c");
    EXPECT_EQ(Describe(doc), "[] #1{# top}|[A] a1=1 a2=2 new=x|[B] b1=3|[C] c=");
    ExpectNumbered(doc);
    EXPECT_FALSE(doc.FindSection("A").SetValue("no value on a section"));
}

} // namespace
} // namespace Quib
