#include "report/IniDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo {
namespace {

TEST(IniDocumentTest, CommentsBlanksAndUnknownKeysStayWhereTheyStand) {
    const struct {
        const char* text;
        const char* written;  // nullptr: the text itself
    } cases[] = {
        {"; top\n[A]\n# about x\nx=1\nunknown=@Variant(\\0)\n\n; end\n", nullptr},
        {"[A]\nx=1\n\n\n; b\n[B]\ny=\"a, b\"\n", nullptr},
        {"[A]\nx=1\n[B]\ny=2\n", "[A]\nx=1\n\n[B]\ny=2\n"},
        {"x=1\r\n; c\r\n[General]\ny=2\r\n", "[General]\nx=1\n; c\ny=2\n"},
        {"[A]\n  ; indented \t\r\n \t\nx=a b\n", "[A]\n  ; indented\n\nx=a b\n"},
        {"[Empty]\n; gone with it?\n[B]\ny=1", "; gone with it?\n[B]\ny=1\n"},
        {"; only a comment\n", ""},
        {"[A]\nx=\"a\\x1\"\n; c\r\r\n", "[A]\nx=\"a\\x1\"\n; c\n"},
    };
    for (const auto& c : cases) {
        const std::string written = iniText(parseIni(c.text));
        EXPECT_EQ(written, c.written ? c.written : c.text) << c.text;
        EXPECT_EQ(iniText(parseIni(written)), written) << c.text;
    }
}

TEST(IniDocumentTest, FaultsNameTheirLine) {
    const struct {
        const char* text;
        int line;
        const char* reason;
    } cases[] = {
        {"[A]\nx=1\nnonsense\n", 3, "這一行不是「名稱=值」"},
        {"[A]\n=1\n", 2, "這一行不是「名稱=值」"},
        {"; c\n\n[A\nx=1\n", 3, "段落名稱不正確"},
        {"[A]\nx=1\nx=2\n", 3, "x 重複"},
        {"[A]\n[B]\n[A]\n", 3, "段落 [A] 重複"},
        {"x=\"\r\r", 1, "x 的值含有控制字元"},
        {"[A]\nx=1\n", 0, nullptr},
    };
    for (const auto& c : cases) {
        const IniDocument document = parseIni(c.text);
        const IniFault* fault = document.firstFault();
        EXPECT_EQ(fault ? fault->line : 0, c.line) << c.text;
        if (fault && c.reason) EXPECT_EQ(fault->reason, c.reason) << c.text;
    }
}

TEST(IniDocumentTest, EditsKeepTheCommentsOfWhatStays) {
    IniDocument document = parseIni("[A]\n; about x\nx=1\n; about y\ny=2\n");
    IniSection& section = document.sectionFor("A");
    section.remove("x");
    section.set("y", "3");
    section.set("z", "a\"b");
    document.sectionFor("New").set("k", "v");
    EXPECT_EQ(iniText(document), "[A]\n; about x\n; about y\ny=3\nz=\"a\\\"b\"\n\n[New]\nk=v\n");
    document.sectionFor("A").remove("z");
    document.sectionFor("A").remove("y");
    EXPECT_EQ(iniText(document), "[New]\nk=v\n");
    EXPECT_EQ(percentDecoded("a%5db%7C%zz%4"), "a]b|%zz%4");
}

}  // namespace
}  // namespace zarvo
