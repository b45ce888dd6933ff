#include "report/ReportReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "report/ConversionError.h"
#include "report/ReportError.h"

namespace zarvo {
namespace {

using ::testing::FieldsAre;
using ::testing::HasSubstr;
using ::testing::Optional;

// The message the conversion error carries for header field text.
std::string conversionMessage(std::string_view line) {
    try {
        parseHeader(line);
    } catch (const ConversionError& error) {
        return error.what();
    }
    return "converted";
}

TEST(ConversionError, QuotesTheFieldDecodedFromBig5) {
    const ConversionError error("\xA4\xA4x");  // Big5 for 中, then x
    EXPECT_STREQ(error.what(), "'中x' is not a valid integer value");
    EXPECT_EQ(error.field(), "\xA4\xA4x");
}

TEST(HeaderConversion, AcceptsSignedDecimalsWithLeadingSpaces) {
    EXPECT_EQ(strictToInt("0"), 0);
    EXPECT_EQ(strictToInt("  12"), 12);
    EXPECT_EQ(strictToInt("-5"), -5);
    EXPECT_EQ(strictToInt("+7"), 7);
    EXPECT_EQ(strictToInt("2147483647"), 2147483647);
    EXPECT_EQ(strictToInt("-2147483648"), -2147483647 - 1);
}

TEST(HeaderConversion, RejectsEverythingElseWithTheFieldText) {
    for (const char* text : {"", " ", "12 ", "1.5", "abc", "2147483648", "-2147483649", "+", "+-1",
                             "- 1", "\t1", "0x10", "1,5"}) {
        try {
            strictToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError& error) {
            EXPECT_EQ(error.field(), text);
        }
    }
}

TEST(HeaderParse, ThreeFourAndFiveFields) {
    EXPECT_THAT(parseHeader("0\t10\t20"), FieldsAre(0, 10, 20, 0, 0));
    EXPECT_THAT(parseHeader("0\t10\t20\t3\t4"), FieldsAre(0, 10, 20, 3, 4));
    // A lone fourth field is ignored, whatever it holds.
    EXPECT_THAT(parseHeader("0\t10\t20\t3"), FieldsAre(0, 10, 20, 0, 0));
    EXPECT_THAT(parseHeader("0\t10\t20\tjunk"), FieldsAre(0, 10, 20, 0, 0));
    EXPECT_THAT(parseHeader(" 0\t 10\t  20"), FieldsAre(0, 10, 20, 0, 0));
}

TEST(HeaderParse, BadFieldsFailWithTheirText) {
    EXPECT_EQ(conversionMessage("0 10 20"), "'0 10 20' is not a valid integer value");
    EXPECT_EQ(conversionMessage("0\t10"), "'' is not a valid integer value");
    EXPECT_EQ(conversionMessage(""), "'' is not a valid integer value");
    EXPECT_EQ(conversionMessage("0\t10\t20 "), "'20 ' is not a valid integer value");
    // Field 5 is all the text after the fourth TAB, so a sixth field spoils it.
    EXPECT_EQ(conversionMessage("0\t10\t20\t3\t4\t5"), "'4\t5' is not a valid integer value");
    EXPECT_EQ(conversionMessage("0\t10\t20\t3\t"), "'' is not a valid integer value");
    // Fields are converted in order: the first bad one is reported.
    EXPECT_EQ(conversionMessage("0\tx\ty\t3\t4"), "'x' is not a valid integer value");
}

// Writes report files into a directory of its own.
class ReportReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("zarvo-reader-" + std::to_string(getpid()) + "-" + test->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(std::string_view content) {
        const auto path = (dir_ / "report.txt").string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    // A reader on content with its header already read.
    ReportReader open(std::string_view content) {
        ReportReader reader(write(content));
        reader.readHeader();
        return reader;
    }

    std::filesystem::path dir_;
};

// Everything after the header in one line of text, for comparing layouts.
std::string readAll(ReportReader& reader) {
    std::ostringstream out;
    const auto lines = reader.readKeywordLine();
    for (int i = 0; lines && i < *lines; ++i) {
        if (const auto r = reader.readLineRow()) {
            out << "L " << r->style << ' ' << r->width << ' ' << r->x1 << ' ' << r->y1 << ' '
                << r->x2 << ' ' << r->y2 << '|';
        }
    }
    for (int section = 0; section < 2; ++section) {
        const auto frames = reader.readKeywordLine();
        for (int i = 0; frames && i < *frames; ++i) {
            if (const auto r = reader.readFrameRow()) {
                out << "F " << r->style << ' ' << r->left << ' ' << r->top << ' ' << r->width
                    << ' ' << r->height << ' ' << r->rowgap << ' ' << r->colgap << ' '
                    << r->distributed << ' ' << r->font << ' ' << r->ychar << ' ' << r->xmargin
                    << ' ' << r->ymargin << ' ' << r->label << '|';
            }
        }
    }
    out << reader.problem();
    return out.str();
}

const std::string kCanonical =
    "0\t10\t20\r\n"
    "LINE_INFO\t2\r\n"
    "0\t1\t10\t20\t110\t20\t\r\n"
    "1\t3\t10.5\t20\t10.5\t80\t\r\n"
    "LABEL_STRING\t1\r\n"
    "0\t12\t12.5\t40\t8\t0\t1\t0\t1\t5\t0\t0\t\xA6\x57\xA1\x40\xBA\xD9\r\n"
    "BLOCK_INFO\t1\r\n"
    "2\t60\t30\t10\t40\t1\t0\t2\t3\t4.5\t0\t0\tcustomer\r\n";

TEST_F(ReportReaderTest, ReadsCanonicalRows) {
    ReportReader reader = open(kCanonical);
    EXPECT_THAT(reader.readKeywordLine(), Optional(2));
    EXPECT_THAT(reader.readLineRow(), Optional(FieldsAre(0, 1, 10.0f, 20.0f, 110.0f, 20.0f)));
    EXPECT_THAT(reader.readLineRow(), Optional(FieldsAre(1, 3, 10.5f, 20.0f, 10.5f, 80.0f)));
    EXPECT_THAT(reader.readKeywordLine(), Optional(1));
    // 12 and 12.5 as decimals; the Big5 full-width space stays inside the caption.
    EXPECT_THAT(reader.readFrameRow(),
                Optional(FieldsAre(0, 12.0f, 12.5f, 40.0f, 8.0f, 0.0f, 1.0f, 0, 1, 5.0f, 0.0f,
                                   0.0f, "\xA6\x57\xA1\x40\xBA\xD9")));
    EXPECT_THAT(reader.readKeywordLine(), Optional(1));
    EXPECT_THAT(reader.readFrameRow(),
                Optional(FieldsAre(2, 60.0f, 30.0f, 10.0f, 40.0f, 1.0f, 0.0f, 2, 3, 4.5f, 0.0f,
                                   0.0f, "customer")));
    EXPECT_EQ(reader.problem(), "");
}

TEST_F(ReportReaderTest, LayoutOfFieldsOverLinesDoesNotMatter) {
    ReportReader canonical = open(kCanonical);
    const std::string expected = readAll(canonical);
    ReportReader loose = open(
        "0\t10\t20\n"
        "line_info 2\n\n"
        "0\t\t1\t10\t20\t110\t20\t\t\n"
        "1 3\n10.5  20\n\n10.5\t80\n"
        "\n\nlabel_string\t\t1\n"
        "0\t12\t12.5\t40\t8\t0\t1\t0\t1\t5\t0\t0\t\xA6\x57\xA1\x40\xBA\xD9\n"
        "Block_Info_is_longer_than_nineteen_bytes\v1\f"
        "2 60 30 10 40 1 0 2 3 4.5 0 0 customer");
    EXPECT_EQ(readAll(loose), expected);
}

TEST_F(ReportReaderTest, HeaderLineEnds) {
    const auto header = [&](std::string_view content) { return ReportReader(write(content)).readHeader(); };
    EXPECT_THAT(header("0\t10\t20\r\nLINE_INFO\t0\r\n"), FieldsAre(0, 10, 20, 0, 0));
    EXPECT_THAT(header("0\t10\t20\t3\t4\nLINE_INFO\t0\n"), FieldsAre(0, 10, 20, 3, 4));
    EXPECT_THAT(header("0\t10\t20"), FieldsAre(0, 10, 20, 0, 0));
    EXPECT_THAT(header("0\t10\t20\r"), FieldsAre(0, 10, 20, 0, 0));
    EXPECT_THROW(header("0\t10\t20 \r\n"), ConversionError);
}

TEST_F(ReportReaderTest, OverlongHeaderIsRefusedNotCut) {
    // Leading blanks are allowed, so the bound can be reached by a valid header.
    const std::string atBound =
        "0\t0\t" + std::string(ReportReader::kMaxHeaderBytes - 5, ' ') + "7";
    EXPECT_THAT(ReportReader(write(atBound + "\r\n")).readHeader(), FieldsAre(0, 0, 7, 0, 0));
    ReportReader overlong(write("0\t0\t " + atBound.substr(4) + "\r\nLINE_INFO\t0\r\n"));
    EXPECT_THROW(overlong.readHeader(), ReportError);
}

TEST_F(ReportReaderTest, FilesThatCannotBeOpenedOrRead) {
    const auto missing = (dir_ / "no such report.txt").string();
    try {
        ReportReader reader(missing);
        ADD_FAILURE() << "opened a missing file";
    } catch (const ReportError& error) {
        EXPECT_THAT(error.what(), HasSubstr(missing));
    }
    // A directory opens on Linux but cannot be read: never an empty report.
    EXPECT_THROW(
        {
            ReportReader reader(dir_.string());
            reader.readHeader();
        },
        ReportError);
}

TEST_F(ReportReaderTest, MissingCountsAndMissingSectionsReadAsEmpty) {
    ReportReader templ = open("0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n");
    EXPECT_THAT(templ.readKeywordLine(), Optional(0));
    EXPECT_THAT(templ.readKeywordLine(), Optional(0));
    EXPECT_THAT(templ.readKeywordLine(), Optional(0));
    EXPECT_EQ(templ.problem(), "");

    ReportReader zeros = open("0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\n");
    EXPECT_THAT(zeros.readKeywordLine(), Optional(0));
    EXPECT_THAT(zeros.readKeywordLine(), Optional(0));
    EXPECT_THAT(zeros.readKeywordLine(), Optional(0));  // BLOCK_INFO absent
    EXPECT_EQ(zeros.problem(), "");
}

TEST_F(ReportReaderTest, FractionInAnIntegerFieldShiftsTheRow) {
    ReportReader reader = open("0\t0\t0\r\nLINE_INFO\t1\r\n0\t1.5\t10\t20\t30\t40\t\r\n");
    EXPECT_THAT(reader.readKeywordLine(), Optional(1));
    EXPECT_THAT(reader.readLineRow(), Optional(FieldsAre(0, 1, 0.5f, 10.0f, 20.0f, 30.0f)));
}

TEST_F(ReportReaderTest, DecimalsTakeTheLongestNumberPrefix) {
    ReportReader reader = open(
        "0\t0\t0\r\nLINE_INFO\t1\r\n0\t0\t.5\t-3\t1e2\t+2.5E-1\r\n"
        "LABEL_STRING\t2\r\n"
        "0\t1e-60\t0\t0\t0\t0\t0\t0\t0\t0\t0\t2e\r\n"
        "0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t3E+\r\n");
    EXPECT_THAT(reader.readKeywordLine(), Optional(1));
    EXPECT_THAT(reader.readLineRow(), Optional(FieldsAre(0, 0, 0.5f, -3.0f, 100.0f, 0.25f)));
    EXPECT_THAT(reader.readKeywordLine(), Optional(2));
    // An exponent without digits is not part of the number: it is the next field.
    const auto first = reader.readFrameRow();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->left, 0.0f);  // underflow is a length of zero
    EXPECT_EQ(first->ymargin, 2.0f);
    EXPECT_EQ(first->label, "e");
    const auto second = reader.readFrameRow();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->ymargin, 3.0f);
    EXPECT_EQ(second->label, "E+");
    EXPECT_EQ(reader.problem(), "");
}

TEST_F(ReportReaderTest, CountProblems) {
    ReportReader negative = open("0\t0\t0\r\nLINE_INFO\t-1\r\n");
    EXPECT_EQ(negative.readKeywordLine(), std::nullopt);
    EXPECT_EQ(negative.problem(), "報表檔第 2 行的筆數 -1 不正確，筆數不可為負數");

    ReportReader overflow = open("0\t0\t0\r\nLINE_INFO\r\n\r\n\t2147483648\r\n");
    EXPECT_EQ(overflow.readKeywordLine(), std::nullopt);
    EXPECT_EQ(overflow.problem(), "報表檔第 4 行的資料無法讀取");

    // A count far beyond the rows present costs nothing until rows run out.
    ReportReader huge = open("0\t0\t0\r\nLINE_INFO\t2147483647\r\n0\t0\t1\t1\t2\t2\r\n");
    EXPECT_THAT(huge.readKeywordLine(), Optional(2147483647));
    EXPECT_TRUE(huge.readLineRow());
    EXPECT_EQ(huge.readLineRow(), std::nullopt);
    EXPECT_EQ(huge.problem(), "報表檔在第 3 行提早結束，缺少資料列");
}

TEST_F(ReportReaderTest, TooFewRowsNameTheLastLine) {
    ReportReader reader = open(
        "0\t0\t0\r\nLINE_INFO\t3\r\n0\t0\t1\t1\t2\t2\t\r\n0\t0\t1\t1\t2\t2\t\r\n\r\n");
    EXPECT_THAT(reader.readKeywordLine(), Optional(3));
    EXPECT_TRUE(reader.readLineRow());
    EXPECT_TRUE(reader.readLineRow());
    EXPECT_EQ(reader.readLineRow(), std::nullopt);
    EXPECT_EQ(reader.problem(), "報表檔在第 4 行提早結束，缺少資料列");

    ReportReader midRow = open("0\t0\t0\nLINE_INFO\t1\n0\t0\t1\t1\t2");
    midRow.readKeywordLine();
    EXPECT_EQ(midRow.readLineRow(), std::nullopt);
    EXPECT_EQ(midRow.problem(), "報表檔在第 3 行提早結束，缺少資料列");
}

TEST_F(ReportReaderTest, FailureIsStickyAndKeepsTheFirstProblem) {
    ReportReader reader = open(
        "0\t0\t0\r\nLINE_INFO\t2\r\n0\t0\t1\t1\t2\t2\r\n0\t0\tabc\t1\t2\t2\r\n"
        "LABEL_STRING\t-4\r\n"
        "BLOCK_INFO\t0\r\n");
    EXPECT_THAT(reader.readKeywordLine(), Optional(2));
    EXPECT_TRUE(reader.readLineRow());
    EXPECT_EQ(reader.readLineRow(), std::nullopt);
    EXPECT_EQ(reader.problem(), "報表檔第 4 行的資料無法讀取");
    EXPECT_EQ(reader.readKeywordLine(), std::nullopt);
    EXPECT_EQ(reader.readFrameRow(), std::nullopt);
    EXPECT_EQ(reader.problem(), "報表檔第 4 行的資料無法讀取");
}

TEST_F(ReportReaderTest, UnreadableNumbers) {
    const std::string longNumber = "1" + std::string(70, '0');
    for (const std::string field : {"1e99", "-", ".", "x1", longNumber.c_str()}) {
        SCOPED_TRACE(field);
        ReportReader reader = open("0\t0\t0\nLINE_INFO\t1\n0\t0\t" + field + "\t1\t2\t2\n");
        reader.readKeywordLine();
        EXPECT_EQ(reader.readLineRow(), std::nullopt);
        EXPECT_EQ(reader.problem(), "報表檔第 3 行的資料無法讀取");
    }
}

// What a dialog lets through must read back as the one field it was typed as.
TEST(ReportNumbers, AFieldIsANumberOnlyWhenItReadsWhole) {
    const struct {
        const char* field;
        bool integer;
        bool reads;
    } cases[] = {
        {"12", true, true},       {" -7 ", true, true},      {"1.5", true, false},   {"2147483648", true, false},
        {" 3.50 ", false, true},  {"-1.5e1", false, true},   {".5", false, true},    {"3a2,5", false, false},
        {"15O", false, false},    {"1 2", false, false},     {"2e", false, false},   {"1e99", false, false},
        {"", false, false},       {"\xA2\xAF", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReportReader::readsAsNumber(c.field, c.integer), c.reads) << c.field;
    }
}

TEST(ReportNumbers, TheLineAMessageNames) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {"/r.txt: 報表檔第 12 行的資料無法讀取\n\n其後的內容沒有畫出.", 12},
        {"報表檔在第 3 行提早結束，缺少資料列", 3},
        {"報表檔第 x 行", std::nullopt},
        {"欄位(Total)不存在", std::nullopt},
    };
    for (const auto& [text, line] : cases) EXPECT_EQ(reportLineOf(text), line) << text;
}

TEST_F(ReportReaderTest, TextFieldIsBounded) {
    const auto frameRow = [](std::size_t labelBytes) {
        return "0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t" + std::string(labelBytes, '\xA4') + "\n";
    };
    ReportReader reader = open("0\t0\t0\nLINE_INFO\t0\nLABEL_STRING\t2\n" +
                               frameRow(ReportReader::kMaxTextBytes) +
                               frameRow(ReportReader::kMaxTextBytes + 1));
    reader.readKeywordLine();
    reader.readKeywordLine();
    const auto atBound = reader.readFrameRow();
    ASSERT_TRUE(atBound);
    EXPECT_EQ(atBound->label.size(), ReportReader::kMaxTextBytes);
    EXPECT_EQ(reader.readFrameRow(), std::nullopt);
    EXPECT_EQ(reader.problem(), "報表檔第 5 行的文字超過 65536 個位元組");
}

}  // namespace
}  // namespace zarvo
