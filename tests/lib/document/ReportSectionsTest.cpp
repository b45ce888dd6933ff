#include "document/ReportSections.h"

#include <gtest/gtest.h>

#include "tests/windows/designer/QtPrinters.h"

namespace zarvo {
namespace {

QStringList linesOf(const char* text) { return splitSource(QString::fromUtf8(text)).lines; }

ListRow row(const char* caption, QStringList values) { return {QString::fromUtf8(caption), values}; }

TEST(ReportSectionsTest, SplittingAndJoiningKeepTheTextsEnd) {
    const struct {
        const char* text;
        QStringList lines;
        bool endsWithBreak;
    } cases[] = {
        {"", {}, false},
        {"\n", {""}, true},
        {"a", {"a"}, false},
        {"a\nb\n", {"a", "b"}, true},
        {"a\n\nb", {"a", "", "b"}, false},
    };
    for (const auto& c : cases) {
        const SourceText source = splitSource(QString::fromUtf8(c.text));
        EXPECT_EQ(source.lines, c.lines) << c.text;
        EXPECT_EQ(source.endsWithBreak, c.endsWithBreak) << c.text;
        EXPECT_EQ(joinSource(source), QString::fromUtf8(c.text));
    }
}

TEST(ReportSectionsTest, RowWordsAreCutAtRunsOfTabsAndBlanks) {
    const struct {
        const char* line;
        QStringList words;
    } cases[] = {
        {"", {}},
        {" \t\r\x01 ", {}},
        {"0\t3\t68", {"0", "3", "68"}},
        {"  0 \t\t 3   68\t", {"0", "3", "68"}},
        {"0\t3.50\t07\t名\u3000稱", {"0", "3.50", "07", "名\u3000稱"}},
    };
    for (const auto& c : cases) EXPECT_EQ(rowWords(QString::fromUtf8(c.line)), c.words) << c.line;
}

TEST(ReportSectionsTest, SectionsAreReadByTheirKeywordLines) {
    const struct {
        const char* name;
        const char* text;
        Section section;
        QList<ListRow> rows;
    } cases[] = {
        {"new report", "0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\n", Section::Blocks, {}},
        {"lines take the first word as caption",
         "0\t0\t0\nLINE_INFO\t1\n0\t3\t68\t30.5\t122\t30.5\t\nLABEL_STRING\t0\nBLOCK_INFO\t0\n",
         Section::Lines, {row("0", {"3", "68", "30.5", "122", "30.5"})}},
        {"a line of one word has an empty caption", "LINE_INFO\n7\nLABEL_STRING\n", Section::Lines,
         {row("", {"7"})}},
        {"blocks take the last word, blank lines are no rows",
         "BLOCK_INFO\t5\n\n0\t22\t34\tcustomer\n   \n1\t2\tdate\n", Section::Blocks,
         {row("customer", {"0", "22", "34"}), row("date", {"1", "2"})}},
        {"lower-case keywords with a disagreeing count",
         "0\t0\t0\nline_info 7\n1\t2\nLabel_String\t9\n0\t1\t標題\nblock_info\n0\tx\n",
         Section::Labels, {row("標題", {"0", "1"})}},
        {"a name with a blank gives extra values", "LABEL_STRING\n0\t1\t總 金額\nBLOCK_INFO\n",
         Section::Labels, {row("金額", {"0", "1", "總"})}},
        {"values stay as written", "BLOCK_INFO\n0\t3.50\t07\t+1e3\tname\n", Section::Blocks,
         {row("name", {"0", "3.50", "07", "+1e3"})}},
        {"a keyword inside a row ends the section",
         "LABEL_STRING\n0\t1\ttext_with_block_info\n0\t2\tafter\nBLOCK_INFO\n0\tb\n", Section::Labels, {}},
        {"missing keyword line", "0\t0\t0\nLINE_INFO\nLABEL_STRING\n0\tx\n", Section::Blocks, {}},
        {"only the first keyword line counts", "BLOCK_INFO\n0\ta\nBLOCK_INFO\n0\tb\n", Section::Blocks,
         {row("a", {"0"}), row("BLOCK_INFO", {}), row("b", {"0"})}},
        {"blocks above labels: labels run to the end",
         "LINE_INFO\nBLOCK_INFO\n0\tb\nLABEL_STRING\n0\tl\n", Section::Labels, {row("l", {"0"})}},
        {"blocks above labels: blocks take in the labels",
         "LINE_INFO\nBLOCK_INFO\n0\tb\nLABEL_STRING\n0\tl\n", Section::Blocks,
         {row("b", {"0"}), row("LABEL_STRING", {}), row("l", {"0"})}},
    };
    for (const auto& c : cases) EXPECT_EQ(readSection(linesOf(c.text), c.section), c.rows) << c.name;
}

TEST(ReportSectionsTest, WritingReplacesOnlyTheSection) {
    const QList<ListRow> one{row("n", {"0", "1"})};
    const struct {
        const char* name;
        const char* text;
        Section section;
        QList<ListRow> rows;
        const char* written;
    } cases[] = {
        {"new report gains a counted blocks section", "0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\n",
         Section::Blocks, one, "0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\t1\n0\t1\tn\n"},
        {"blocks drop everything after their keyword line",
         "h\nLINE_INFO\nLABEL_STRING\nblock_info 5\n0\tx\n\n; note\n", Section::Blocks, one,
         "h\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\t1\n0\t1\tn\n"},
        {"labels stop at the blocks keyword line, blank and comment lines go",
         "h\nLINE_INFO\nLabel_String 9\n\n0\tx\n; c\nBLOCK_INFO\n0\tb\n", Section::Labels, one,
         "h\nLINE_INFO\nLABEL_STRING\t1\n0\t1\tn\nBLOCK_INFO\n0\tb\n"},
        {"lines end with a tab and stop at the labels keyword line",
         "h\nLINE_INFO 3\nold\nLABEL_STRING\nBLOCK_INFO", Section::Lines, {row("0", {"1", "2"})},
         "h\nLINE_INFO\t1\n0\t1\t2\t\nLABEL_STRING\nBLOCK_INFO"},
        {"an emptied list leaves a zero count", "LINE_INFO\n0\t1\nLABEL_STRING\n", Section::Lines, {},
         "LINE_INFO\t0\nLABEL_STRING\n"},
        {"a text without a final break still has none", "LINE_INFO\nLABEL_STRING\nBLOCK_INFO",
         Section::Blocks, one, "LINE_INFO\nLABEL_STRING\nBLOCK_INFO\t1\n0\t1\tn"},
        {"a line holding both keywords stays as the blocks keyword line",
         "LINE_INFO\nLABEL_STRING BLOCK_INFO\n0\tb\n", Section::Labels, one,
         "LINE_INFO\nLABEL_STRING\t1\n0\t1\tn\nLABEL_STRING BLOCK_INFO\n0\tb\n"},
        {"missing lines keyword: before the first later keyword line",
         "h\nBLOCK_INFO\n0\tb\nLABEL_STRING\n", Section::Lines, {row("0", {"1"})},
         "h\nLINE_INFO\t1\n0\t1\t\nBLOCK_INFO\n0\tb\nLABEL_STRING\n"},
        {"missing labels keyword: before the blocks keyword line", "h\nLINE_INFO\nBLOCK_INFO\n0\tb\n",
         Section::Labels, one, "h\nLINE_INFO\nLABEL_STRING\t1\n0\t1\tn\nBLOCK_INFO\n0\tb\n"},
        {"missing labels keyword and no blocks: at the end", "h\nLINE_INFO", Section::Labels, one,
         "h\nLINE_INFO\nLABEL_STRING\t1\n0\t1\tn"},
        {"missing blocks keyword: at the end", "h\nLINE_INFO\nLABEL_STRING\n", Section::Blocks, one,
         "h\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\t1\n0\t1\tn\n"},
        {"empty text", "", Section::Blocks, one, "BLOCK_INFO\t1\n0\t1\tn"},
    };
    for (const auto& c : cases) {
        SourceText source = splitSource(QString::fromUtf8(c.text));
        writeSection(source, c.section, c.rows);
        EXPECT_EQ(joinSource(source), QString::fromUtf8(c.written)) << c.name;
    }
}

}  // namespace
}  // namespace zarvo
