// The scene format's reading conventions, error routing and element paths,
// and writing cursors that create elements only when written to.
#include "src/game/quest/QstXmlElement.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>
#include <vector>

namespace Quib {
namespace {

// Collects what a reader reports; answers false like every engine handler.
struct XmlErrorLog {
    std::vector<std::string> texts;
    std::vector<TiXmlElement*> elements;

    QstXmlErrorHandler Handler()
    {
        return {this, [](void* self, const std::string& text, TiXmlElement* element) {
                    auto* log = static_cast<XmlErrorLog*>(self);
                    log->texts.push_back(text);
                    log->elements.push_back(element);
                    return false;
                }};
    }
};

class QstXmlElementTest : public ::testing::Test {
protected:
    TiXmlElement* Parse(const char* text)
    {
        doc.Parse(text);
        EXPECT_FALSE(doc.Error()) << doc.ErrorDesc();
        return doc.RootElement();
    }
    TiXmlDocument doc;
    XmlErrorLog log;
};

TEST_F(QstXmlElementTest, RequiredAttributesReportTheirNameAndDefaultedOnesDoNot)
{
    QstXmlElement e(Parse(R"(<State name="" hint="h" count="12" big="99999999999" f="2.5x" flag="1"/>)"),
                    log.Handler());
    std::string out = "untouched";
    EXPECT_TRUE(e.GetAttr("name", out));
    EXPECT_EQ(out, ""); // present though empty
    EXPECT_TRUE(e.HasAttr("name"));
    out = "untouched";
    EXPECT_FALSE(e.GetAttr("missing", out));
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(e.GetAttrDefault("missing", "dflt"), "dflt");
    EXPECT_EQ(e.GetAttrDefault("hint", std::string("dflt")), "h");
    EXPECT_EQ(e.GetAttrInt("count", 7), 12);
    EXPECT_EQ(e.GetAttrInt("missing", 7), 7);
    EXPECT_EQ(e.GetAttrInt("big", 0), 2147483647); // saturates instead of overflowing
    EXPECT_FLOAT_EQ(e.GetAttrFloat("f", 0.0f), 2.5f);
    EXPECT_FLOAT_EQ(e.GetAttrFloat("missing", 1.5f), 1.5f);
    unsigned u = 3;
    EXPECT_FALSE(e.GetAttrUInt("missing", u));
    EXPECT_EQ(u, 3u);
    float f = 0.0f;
    EXPECT_FALSE(e.GetAttrFloatOpt("nofloat", f));
    bool b = false;
    EXPECT_TRUE(e.GetAttrBoolOpt("flag", b));
    EXPECT_TRUE(b);
    EXPECT_FALSE(e.GetAttrBoolOpt("nobool", b));
    EXPECT_EQ(e.GetAttrText("quiet", false), nullptr);

    const std::vector<std::string> expected = {
        "Attribute \"missing\" not found", "Attribute \"missing\" not found", "Attribute \"nofloat\" not found",
        "Attribute \"nobool\" not found"};
    EXPECT_EQ(log.texts, expected);
    for (TiXmlElement* element : log.elements)
        EXPECT_EQ(element, doc.RootElement());
}

TEST_F(QstXmlElementTest, OnlyTheTextOneIsTrue)
{
    QstXmlElement e(Parse(R"(<S a="1" b="01" c="true" d="yes" e="0" f=""/>)"), log.Handler());
    struct Case {
        const char* name;
        bool expected;
    };
    for (const Case& c : {Case{"a", true}, Case{"b", false}, Case{"c", false}, Case{"d", false}, Case{"e", false},
                          Case{"f", false}}) {
        EXPECT_EQ(e.GetAttrBool(c.name, true), c.expected) << c.name;
    }
    EXPECT_TRUE(e.GetAttrBool("absent", true));
    EXPECT_FALSE(e.GetAttrBool("absent", false));
}

TEST_F(QstXmlElementTest, DescribeWalksFromTheOutermostElementDown)
{
    TiXmlElement* root = Parse(R"(<Scene><Item name="box"><State name="open"><OnClick/></State></Item>)"
                               R"(<Field id="f1"><Visible key="k"/></Field></Scene>)");
    TiXmlElement* onClick = root->FirstChildElement("Item")->FirstChildElement("State")->FirstChildElement();
    EXPECT_EQ(QstXmlElement::Describe(onClick, nullptr), "Scene/Item(\"box\")/State(\"open\")/OnClick");
    TiXmlElement* visible = root->FirstChildElement("Field")->FirstChildElement();
    EXPECT_EQ(QstXmlElement::Describe(visible, "key"), "Scene/Field(id=\"f1\")/Visible(key=\"k\")");
    EXPECT_EQ(QstXmlElement::Describe(visible, ""), "Scene/Field(id=\"f1\")/Visible");
}

TEST_F(QstXmlElementTest, ReportErrorHandsTheElementToTheHandler)
{
    TiXmlElement* root = Parse("<Scene/>");
    QstXmlElement e(root, log.Handler());
    QstXmlElement child(root, e); // copies the handler
    EXPECT_FALSE(child.ReportError("bad"));
    ASSERT_EQ(log.texts.size(), 1u);
    EXPECT_EQ(log.texts[0], "bad");
    EXPECT_EQ(log.elements[0], root);
}

TEST_F(QstXmlElementTest, WritingCursorsCreateTheirElementsOnlyWhenWritten)
{
    QstXmlElement root(log.Handler(), nullptr, "Scene");
    QstXmlElement field(log.Handler(), &root, "Field");
    QstXmlElement group(log.Handler(), &field, "VisibleGroup");
    EXPECT_EQ(root.element, nullptr);
    EXPECT_EQ(group.element, nullptr);

    QstXmlElement unused(log.Handler(), &root, "Item");
    (void)unused; // nothing written: nothing created

    group.SetAttrBool("visible", false);
    group.SetAttrInt("n", -4);
    field.SetAttr("popup", "name");
    field.SetAttrTrue("CloseHidden");
    ASSERT_NE(root.element, nullptr);
    TiXmlDocument out;
    out.LinkEndChild(root.element);
    TiXmlPrinter printer;
    out.Accept(&printer);
    EXPECT_EQ(std::string(printer.CStr()),
              "<Scene>\n    <Field name=\"popup\" CloseHidden=\"1\">\n"
              "        <VisibleGroup visible=\"0\" n=\"-4\" />\n    </Field>\n</Scene>\n");
    EXPECT_TRUE(log.texts.empty());
}

} // namespace
} // namespace Quib
