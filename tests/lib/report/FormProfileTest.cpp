#include "report/FormProfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "report/Big5.h"
#include "report/ProfilePaper.h"
#include "report/StationeryKeys.h"

namespace zarvo {
namespace {

std::string big5(const char* utf8) { return utf8ToBig5(utf8).value(); }

TEST(FormProfileTest, WhatThisVersionDoesNotKnowSurvivesARewriteInOrder) {
    const std::string text =
        "; a comment\n"
        "[Later]\nb=2\na=1\n"
        "[General]\npicture=\"scans/a b.png\"\nmine=@Variant(\\0)\npage=2\n"
        "[Paper]\nwidth=241.3\nheight=139.7\ntractor=yes\n"
        "[Block %5Dx]\nkind=qr\n";
    FormProfile profile = parseFormProfile(text);
    ASSERT_FALSE(profile.stoppingFault()) << profile.stoppingFault()->reason;
    setProfilePaper(profile, customPaper(100, 50.5, "支票"));
    EXPECT_EQ(formProfileText(profile),
              "; a comment\n[Later]\nb=2\na=1\n\n"
              "[General]\npicture=\"scans/a b.png\"\nmine=@Variant(\\0)\npage=2\n\n"
              "[Paper]\nwidth=100\nheight=50.5\ntractor=yes\nname=\"支票\"\n\n"
              "[Block %5Dx]\nkind=qr\n");
    EXPECT_EQ(parseFormProfile(formProfileText(profile)).sections.size(), profile.sections.size());
}

TEST(FormProfileTest, BlockNamesTheIniSyntaxCannotHoldAreEscapedAndReadBackExactly) {
    const struct {
        std::string name;  // Big5
        const char* section;
    } cases[] = {
        {big5("客戶"), "Block 客戶"},
        {"a]b;c=d%", "Block a%5Db%3Bc%3Dd%25"},
        {"#x", "Block %23x"},
        {"a#", "Block a#"},
        {" x ", "Block %20x%20"},
        {"a b", "Block a b"},
        {std::string("t\x01\x7F", 3), "Block t%01%7F"},
        {"\xC6\xA1", nullptr},  // a Big5 code without a Unicode mapping
    };
    FormProfile profile;
    for (const auto& c : cases) {
        const std::string section = blockSectionName(c.name);
        if (c.section) EXPECT_EQ(section, c.section) << c.name;
        EXPECT_EQ(blockNameOf(section), c.name) << section;
        profile.sectionFor(section).set("kind", "qr");
    }
    const FormProfile reread = parseFormProfile(formProfileText(profile));
    for (const auto& c : cases) EXPECT_NE(reread.block(c.name), nullptr) << c.name;
    EXPECT_EQ(blockNameOf("Paper"), std::nullopt);
}

TEST(FormProfileTest, FaultsStopPrintingExceptInTheStationeryKeys) {
    const struct {
        const char* text;
        int stopsAtLine;  // 0: printing goes on
        bool stationeryFault;
    } cases[] = {
        {"[General]\npicture=a.png\ndpi=abc\n", 0, true},
        {"[General]\nno equals sign\n", 0, true},
        {"picture=a.png\n[Other]\nx=\"broken\n", 0, false},
        {"[Paper]\nwidth=241.3\n", 1, false},
        {"[Paper]\nwidth=241.3\nheight=19.9\n", 3, false},
        {"[Paper]\nwidth=1e3\nheight=100\n", 2, false},
        {"[Paper]\nwidth=100\nheight=100\nname=@Variant(\\0)\n", 4, false},
        {"[Block a]\nkind\n", 2, false},
        {"[Detail]\nrows=1\nrows=2\n", 3, false},
        {"[General]\n[General]\n", 0, true},
        {"[]\nx=1\n", 1, false},
        {"[Paper\nwidth=1\n", 1, false},
    };
    for (const auto& c : cases) {
        const FormProfile profile = parseFormProfile(c.text);
        const std::optional<ProfileFault> fault = profile.stoppingFault();
        EXPECT_EQ(fault ? fault->line : 0, c.stopsAtLine) << c.text;
        EXPECT_EQ(profile.stationeryFault() != nullptr, c.stationeryFault) << c.text;
        const FormProfile kept = profile.withoutStoppingFaults();
        EXPECT_FALSE(kept.stoppingFault()) << c.text;
        EXPECT_EQ(kept.stationeryFault() != nullptr, c.stationeryFault) << c.text;
    }
    EXPECT_FALSE(parseFormProfile("\xFF\xFE[General]\n").fileFault.empty());
    EXPECT_FALSE(parseFormProfile(std::string(kMaxProfileBytes + 1, ';')).fileFault.empty());
    EXPECT_EQ(profileFaultMessage("/a/b.zarvo", {3, "height 必須是 20 到 1000 (mm) 的數字", "height"}),
              "表單設定檔 /a/b.zarvo 第 3 行: height 必須是 20 到 1000 (mm) 的數字");
}

TEST(FormProfileTest, AKeptValueReadsBackAsWrittenOrIsAFault) {
    const struct {
        std::string text;
        bool fault;  // the value is refused when read
    } cases[] = {
        {"x=\"\r\r", true},
        {"x=@a\x01b\n", true},
        {"x=\"a\x7F\n", true},
        {"x=\"a\tb\n", false},
        {"x=\"a\rb\"\r\n", false},
        {"x=\"\x01\x02\"\n", false},
    };
    for (const auto& c : cases) {
        const FormProfile read = parseFormProfile(c.text);
        const FormProfile profile = read.withoutStoppingFaults();
        EXPECT_EQ(!read.section("General")->faults.empty(), c.fault) << c.text;
        const std::string once = formProfileText(profile);
        const FormProfile reread = parseFormProfile(once);
        EXPECT_EQ(formProfileText(reread), once) << c.text;
        if (!c.fault) {
            EXPECT_EQ(reread.section("General")->find("x")->value, profile.section("General")->find("x")->value);
        }
    }
}

TEST(FormProfileTest, TheShippedDeliveryNoteIsRewrittenByteForByteWithItsComments) {
    std::ifstream in(std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.zarvo", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    ASSERT_NE(text.find("\n; "), std::string::npos);
    EXPECT_EQ(formProfileText(parseFormProfile(text)), text);
}

TEST(FormProfileTest, APaperIsReadWithItsSizeAsWrittenAndRemovedWhenSetToNone) {
    FormProfile profile = parseFormProfile("[Paper]\nwidth = 241.30\nheight=139.7\nname=\"連續 9½\"\n");
    const std::optional<CustomPaper> paper = profilePaper(profile);
    ASSERT_TRUE(paper);
    EXPECT_EQ(*paper, (CustomPaper{241.3, 139.7, "連續 9½", "241.30x139.7"}));
    setProfilePaper(profile, std::nullopt);
    EXPECT_TRUE(profile.empty());
    EXPECT_EQ(profilePaper(parseFormProfile("")), std::nullopt);
}

TEST(FormProfileTest, ProfilePathReplacesTheLastExtension) {
    EXPECT_EQ(formProfilePathFor("/a/x.y.txt"), "/a/x.y.zarvo");
    EXPECT_EQ(formProfilePathFor("/a.b/.note"), "/a.b/.note.zarvo");
    EXPECT_EQ(formProfilePathFor("/a/note.zarvo"), "");
}

}  // namespace
}  // namespace zarvo
