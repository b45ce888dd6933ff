// zarvo-render with block sections: bad values stop data files and prints
// before anything is drawn, formats draw what the user would have typed,
// and the symbols in a PDF read back with a barcode reader.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "report/Big5.h"
#include "tests/common/Command.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using ::testing::HasSubstr;
using test::CommandResult;
using test::TempDir;

const std::string kExamples = std::string(ZARVO_SOURCE_DIR) + "/examples/";

bool haveTools() {
    return std::system("command -v zbarimg >/dev/null 2>&1 && command -v pdftoppm >/dev/null 2>&1") == 0;
}

class BlockRenderTest : public ::testing::Test {
protected:
    CommandResult render(const std::string& args) {
        return test::runCommand(std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "data").string() +
                                    "' " + args,
                                dir);
    }
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }
    // Rasterises the PDF's first page at dpi into page-1.png.
    void rasterise(const std::string& pdf, int dpi) {
        const CommandResult raster = test::runCommand(
            "pdftoppm -r " + std::to_string(dpi) + " -png -f 1 -l 1 '" + pdf + "' '" + path("page") + "'", dir);
        EXPECT_EQ(raster.status, 0) << raster.err;
    }
    // The codes of one symbology that zbarimg reads in page-1.png. With
    // binary, the one code's bytes as they are (zbarimg puts nothing
    // between codes then); else one a line.
    std::set<std::string> decode(const std::string& symbology, bool binary) {
        const CommandResult read =
            test::runCommand("zbarimg --quiet --raw -Sdisable -S" + symbology + ".enable " +
                                 (binary ? "-Sbinary '" : "'") + path("page-1.png") + "'",
                             dir);
        std::set<std::string> codes;
        if (binary) {
            if (!read.out.empty()) codes.insert(read.out.substr(0, read.out.find_last_not_of('\n') + 1));
            return codes;
        }
        std::istringstream lines(read.out);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty()) codes.insert(line);
        }
        return codes;
    }
    TempDir dir;
};

// A form with a block "total" (amount in capitals) and "no".
std::string amountForm(const TempDir& dir) {
    dir.write("form.zarvo", "[Block total]\nformat=amount-tw\n");
    return dir.write("form.txt",
                     "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t2\r\n"
                     "0\t10\t10\t100\t10\t0\t0\t0\t0\t5\t0\t0\ttotal\r\n"
                     "0\t10\t30\t100\t10\t0\t0\t0\t0\t5\t0\t0\tno\r\n");
}

TEST_F(BlockRenderTest, ABadValueInADataFileStopsEveryOutputBeforeTheFirstPage) {
    const std::string form = amountForm(dir);
    std::string csv = "no,total\r\n";
    for (int record = 1; record <= 25; ++record) {
        csv += "N" + std::to_string(record) + "," + (record == 18 ? "12a" : std::to_string(record * 100)) + "\r\n";
    }
    const std::string data = dir.write("orders.csv", csv);
    const std::string outputs[] = {"--print --pdf '" + path("out.pdf") + "'", "--print --trace",
                                   "--png '" + path("out.png") + "'", "--trace"};
    for (const std::string& output : outputs) {
        const CommandResult result = render(output + " --data '" + data + "' '" + form + "'");
        EXPECT_EQ(result.status, 1) << output;
        EXPECT_EQ(result.err, "第 18 筆資料, 欄位「total」: 「12a」不是金額\n") << output;
        EXPECT_EQ(result.out.find("sheet 0"), std::string::npos) << output;
        EXPECT_EQ(result.out.find("image "), std::string::npos) << output;
    }
    EXPECT_FALSE(std::filesystem::exists(path("out.pdf")));
    EXPECT_FALSE(std::filesystem::exists(path("out-1.png")));
}

TEST_F(BlockRenderTest, APrintOfTestDataStopsAtABadValueAndAPreviewDrawsItAsItCame) {
    const std::string form = amountForm(dir);
    const std::string data = dir.write("data.txt", "no,N1\r\ntotal,12a\r\n");
    const CommandResult pdf = render("--print --pdf '" + path("out.pdf") + "' '" + form + "' '" + data + "'");
    EXPECT_EQ(pdf.status, 1);
    EXPECT_EQ(pdf.err, "第 1 頁, 欄位「total」: 「12a」不是金額\n");
    EXPECT_FALSE(std::filesystem::exists(path("out.pdf")));

    const CommandResult preview = render("--trace '" + form + "' '" + data + "'");
    EXPECT_EQ(preview.status, 0) << preview.err;
    EXPECT_THAT(preview.out, HasSubstr("info 欄位「total」: 「12a」不是金額\n"));
    EXPECT_THAT(preview.out, HasSubstr(" 61 face=ming"));  // the "a" of the value as it came
}

TEST_F(BlockRenderTest, TheDeliveryNotesTotalInWordsIsTheOneThatWasTypedBefore) {
    // The same form without its profile, the words typed in the test data;
    // the seal, which has nothing to do with the words, kept.
    const std::string plain = dir.write("note.txt", TempDir::read(kExamples + "delivery_note.txt"));
    dir.write("note.zarvo", "[Block seal]\nkind=image\npicture=delivery_note_seal.svg\n");
    dir.write("delivery_note_seal.svg", TempDir::read(kExamples + "delivery_note_seal.svg"));
    const std::string words = *utf8ToBig5("total_words,新臺幣肆萬壹仟壹佰捌拾柒元整");
    const std::string amount = "total_words,41187";
    std::string data = TempDir::read(kExamples + "delivery_note_data.txt");
    ASSERT_NE(data.find(amount), std::string::npos);
    data.replace(data.find(amount), amount.size(), words);
    const std::string typed = dir.write("typed.txt", data);
    for (const std::string mode : {"--trace", "--print --trace"}) {
        const CommandResult formatted =
            render(mode + " '" + kExamples + "delivery_note.txt' '" + kExamples + "delivery_note_data.txt'");
        const CommandResult expected = render(mode + " '" + plain + "' '" + typed + "'");
        ASSERT_EQ(formatted.status, 0) << formatted.err;
        ASSERT_EQ(expected.status, 0) << expected.err;
        EXPECT_EQ(formatted.out, expected.out) << mode;
    }
}

// 25 records of amounts written in capitals by the profile print as the
// same report without its profile given the words, typed by hand.
TEST_F(BlockRenderTest, AmountsInCapitalsFromADataFilePrintAsTheWordsTypedByHand) {
    const std::pair<const char*, const char*> amounts[] = {
        {"105", "壹佰零伍元整"},
        {"1,010", "壹仟零壹拾元整"},
        {"100001", "壹拾萬零壹元整"},
        {"12345.67", "壹萬貳仟參佰肆拾伍元陸角柒分"},
        {"12.05", "壹拾貳元零伍分"},
    };
    std::string raw = "customer,total_words\r\n";
    std::string words = raw;
    for (int record = 0; record < 25; ++record) {
        const auto& [amount, written] = amounts[record % 5];
        const std::string customer = "客戶" + std::to_string(record + 1);
        raw += customer + ",\"" + amount + "\"\r\n";
        words += customer + ",新臺幣" + written + "\r\n";
    }
    // The same form without its profile but for the seal, which has
    // nothing to do with the words.
    const std::string plain = dir.write("plain.txt", TempDir::read(kExamples + "delivery_note.txt"));
    dir.write("plain.zarvo", "[Block seal]\nkind=image\npicture=delivery_note_seal.svg\n");
    dir.write("delivery_note_seal.svg", TempDir::read(kExamples + "delivery_note_seal.svg"));
    const CommandResult formatted = render("--print --trace --data '" + dir.write("raw.csv", raw) + "' '" +
                                           kExamples + "delivery_note.txt'");
    const CommandResult expected =
        render("--print --trace --data '" + dir.write("words.csv", words) + "' '" + plain + "'");
    ASSERT_EQ(formatted.status, 0) << formatted.err;
    ASSERT_EQ(expected.status, 0) << expected.err;
    EXPECT_NE(formatted.out.find("sheet 24 "), std::string::npos);
    EXPECT_EQ(formatted.out, expected.out);
}

// The digits of 12345 in ten digit boxes: the last five cells, each
// digit's centre within one printer dot of its cell's centre.
TEST_F(BlockRenderTest, DigitsLandCentredInTheLastCellsOfTheirBoxes) {
    // One block of 100 mm from x = 20 mm, characters of 5 mm.
    const std::string form = dir.write("cells.txt", "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t1\r\n"
                                                    "0\t20\t30\t100\t10\t0\t0\t0\t0\t5\t0\t0\tamount\r\n");
    dir.write("cells.zarvo", "[Block amount]\ncells=10\n");
    const std::string data = dir.write("cells_data.txt", "amount,12345\r\n");
    constexpr int kDpi = 600;
    const CommandResult result = render("--print --trace --dpi 600 '" + form + "' '" + data + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    // The trace's font model: a one-byte character advances half of h - h / 8.
    const int height = static_cast<int>(5 * 1200 / 25.4);
    const double advance = (height - height / 8) / 2.0 * kDpi / 1200;
    std::istringstream lines(result.out);
    std::string line;
    int digit = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("text ", 0) != 0) continue;
        std::istringstream fields(line.substr(5));
        double x = 0;
        fields >> x;
        const double cellCentreMm = 20 + (5 + digit + 0.5) * 10;
        EXPECT_NEAR(x + advance / 2, cellCentreMm * kDpi / 25.4, 1.0) << line;
        ++digit;
    }
    EXPECT_EQ(digit, 5);
}

TEST_F(BlockRenderTest, AQrCodeAndACode128InAPdfReadBackAt300Dpi) {
    if (!haveTools()) GTEST_SKIP() << "zbarimg or pdftoppm missing";
    dir.write("codes.zarvo",
              "[Block qr]\nkind=qr\nmodule=0.5\nencoding=utf-8\n[Block bars]\nkind=code128\nmodule=0.3\nheight=12\n");
    const std::string form = dir.write("codes.txt",
                                       "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t2\r\n"
                                       "0\t20\t20\t60\t60\t0\t0\t0\t0\t3\t0\t0\tqr\r\n"
                                       "0\t20\t100\t120\t25\t0\t0\t0\t0\t3\t0\t0\tbars\r\n");
    const std::string qr = "出貨單:SH1130614027:41187";
    const std::string data = dir.write("data.txt", *utf8ToBig5("qr," + qr + "\r\nbars,SH-1130614-027\r\n"));
    const CommandResult result = render("--print --pdf '" + path("codes.pdf") + "' '" + form + "' '" + data + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    rasterise(path("codes.pdf"), 300);
    EXPECT_EQ(decode("qrcode", true), std::set<std::string>{qr});
    EXPECT_EQ(decode("code128", true), std::set<std::string>{"SH-1130614-027"});
}

// The bounding box of the fills whose left edge lies in [from, to).
struct Box {
    long left = 1 << 30, top = 1 << 30, right = 0, bottom = 0;
};
Box fillsBetween(const std::string& trace, long from, long to, long minTop) {
    Box box;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("fill ", 0) != 0) continue;
        std::istringstream in(line.substr(5));
        long l = 0, t = 0, r = 0, b = 0;
        in >> l >> t >> r >> b;
        if (l < from || l >= to || t < minTop) continue;
        box = {std::min(box.left, l), std::min(box.top, t), std::max(box.right, r), std::max(box.bottom, b)};
    }
    return box;
}

TEST_F(BlockRenderTest, TheEInvoiceProofsThreeCodesReadBackAndItsQrCodesMatch) {
    const std::string report = kExamples + "einvoice_proof.txt";
    const std::string data = kExamples + "einvoice_proof_data.txt";
    const CommandResult trace = render("--print --trace '" + report + "' '" + data + "'");
    ASSERT_EQ(trace.status, 0) << trace.err;
    EXPECT_THAT(trace.out, testing::StartsWith("sheet 0 paper=9 dpi=300 size=57x90\n"));
    // Below the bar code (48 mm = 566 px), split at the middle of the roll.
    const Box left = fillsBetween(trace.out, 0, 337, 566), right = fillsBetween(trace.out, 337, 673, 566);
    EXPECT_EQ(left.top, right.top);
    EXPECT_EQ(left.right - left.left, right.right - right.left);
    EXPECT_EQ(left.bottom - left.top, right.bottom - right.top);
    EXPECT_LT(left.right, right.left);

    if (!haveTools()) GTEST_SKIP() << "zbarimg or pdftoppm missing";
    const CommandResult pdf = render("--print --pdf '" + path("proof.pdf") + "' '" + report + "' '" + data + "'");
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    // Code 39's narrow bars of 0.17 mm are two pixels at 300 dpi, too few
    // for the reader to tell them from its 2:1 wide bars; 600 reads all.
    rasterise(path("proof.pdf"), 600);
    EXPECT_EQ(decode("code39", true), std::set<std::string>{"11306AB123456781234"});
    const std::set<std::string> codes = decode("qrcode", false);
    ASSERT_EQ(codes.size(), 2u);
    std::string leftCode, rightCode;
    for (const std::string& code : codes) {
        if (code.rfind("AB12345678", 0) == 0) leftCode = code;
        if (code.rfind("**", 0) == 0) rightCode = code;
    }
    // Invoice number, ROC date, random code, sales and total in hex, buyer
    // and seller, a 24-character verification field, then ':' fields.
    EXPECT_EQ(leftCode.substr(0, 77), "AB1234567811306148357" "00000683" "000006D6" "24549210" "53219870"
                                      "dGVzdGluZ0VJbnZvaWNlUVI=");
    EXPECT_EQ(leftCode[77], ':');
    EXPECT_THAT(rightCode, HasSubstr("美式咖啡:1:95"));
}

}  // namespace
}  // namespace zarvo
