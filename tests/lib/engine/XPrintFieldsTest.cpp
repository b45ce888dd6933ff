// Captions, blocks, field values and the page data files they travel in.

#include <sys/stat.h>

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/PageFileName.h"
#include "engine/XPrint.h"
#include "platform/Messages.h"
#include "platform/os/DataRoot.h"
#include "report/PageDataFile.h"
#include "report/ReportError.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/lib/engine/TestPreview.h"

namespace zarvo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::TempDir;
using test::TestPreview;

// One block row of ychar 5 mm (22 px at 114 dpi) at left, top, 40 x 10 mm.
std::string block(const std::string& name, float left, float top, float xmargin = 0) {
    return "0\t" + std::to_string(left) + "\t" + std::to_string(top) + "\t40\t10\t0\t0\t0\t0\t5\t" +
           std::to_string(xmargin) + "\t0\t" + name + "\r\n";
}

class XPrintFieldsTest : public ::testing::Test {
protected:
    XPrintFieldsTest() { setDataRootOverride(dir.path().string()); }
    ~XPrintFieldsTest() override { setDataRootOverride(""); }

    std::string reportWith(const std::string& labels, const std::vector<std::string>& blocks) {
        std::string text = "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t" + labels + "BLOCK_INFO\t" +
                           std::to_string(blocks.size()) + "\r\n";
        for (const std::string& row : blocks) text += row;
        return dir.write("form.txt", text);
    }

    // Draws the report into the preview (or a print job) and then the fields.
    void draw(XPrint& engine) {
        if (preview.mode == 1) {
            engine.AttachPreview();
        } else {
            engine.BeginJob();
        }
        engine.DrawLines();
        engine.DrawLabels();
        engine.ReadBlocks();
    }

    TempDir dir;
    TestPreview preview;
    test::RecordingPresenter messages;
};

TEST_F(XPrintFieldsTest, TheLastBlockOfAnEqualNameWinsAndCaseCounts) {
    XPrint engine(reportWith("0\r\n", {block("total", 0, 0), block("total", 20, 10)}), preview.context());
    draw(engine);
    preview.takeLines();
    engine.DrawField("total", "9", 0, 0);
    engine.DrawField("Total", "9", 0, 0);
    // 20 mm = 89 px, 10 mm = 44 px; black data.
    EXPECT_THAT(preview.takeLines(), ElementsAre("text 89 44 39 face=ming h=22.42 turned=0 color=000000"));
    EXPECT_THAT(messages.texts(), ElementsAre("欄位(Total)不存在,請檢查報表檔或原始程式."));
    EXPECT_EQ(preview.repaints, 1);
}

TEST_F(XPrintFieldsTest, NamesLongerThan31BytesMatchNoBlock) {
    const std::string longest(31, 'n');
    const std::string tooLong(32, 'n');
    XPrint engine(reportWith("0\r\n", {block(longest, 0, 0), block(tooLong, 20, 0)}), preview.context());
    draw(engine);
    preview.takeLines();
    engine.DrawField(longest, "1", 0, 0);
    engine.DrawField(tooLong, "2", 0, 0);
    EXPECT_THAT(preview.takeLines(), ElementsAre("text 0 0 31 face=ming h=22.42 turned=0 color=000000"));
    EXPECT_THAT(messages.texts(), ElementsAre("欄位(" + tooLong + ")不存在,請檢查報表檔或原始程式."));
}

TEST_F(XPrintFieldsTest, ABlockCountBeyondTheRowsAllocatesOnlyTheRowsRead) {
    std::string text = "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t2147483647\r\n" +
                       block("only", 0, 0);
    XPrint engine(dir.write("form.txt", text), preview.context());
    draw(engine);
    EXPECT_EQ(engine.blockCount, 1);
    ASSERT_EQ(engine.blocks.size(), 1u);
    EXPECT_LT(engine.blocks.capacity(), 16u);  // nothing reserved by the count
    EXPECT_EQ(engine.problem(), "報表檔在第 5 行提早結束，缺少資料列");
    // The block that was read is still drawn into.
    preview.takeLines();
    engine.DrawField("only", "1", 0, 0);
    EXPECT_EQ(preview.takeLines().size(), 1u);
}

TEST_F(XPrintFieldsTest, AnEnormousCharacterHeightDrawsNothing) {
    // ychar 1e30 mm is held at the largest device height, wider than any frame.
    XPrint engine(reportWith("0\r\n", {"0\t0\t0\t40\t10\t0\t0\t0\t0\t1e30\t0\t0\tbig\r\n"}), preview.context());
    draw(engine);
    preview.takeLines();
    engine.DrawField("big", "1", 0, 0);
    EXPECT_THAT(preview.takeLines(), IsEmpty());
    EXPECT_THAT(messages.texts(), IsEmpty());
}

TEST_F(XPrintFieldsTest, EachRecordIsDrawnAtItsOwnShift) {
    XPrint engine(reportWith("0\r\n", {block("qty", 10, 0)}), preview.context());
    draw(engine);
    preview.takeLines();
    engine.DrawField("qty", "1", 0, 0);
    engine.DrawField("qty", "2", 0, 8.5f);
    // 8.5 mm = 38 px lower.
    EXPECT_THAT(preview.takeLines(),
                ElementsAre("text 44 0 31 face=ming h=22.42 turned=0 color=000000",
                            "text 44 38 32 face=ming h=22.42 turned=0 color=000000"));
}

TEST_F(XPrintFieldsTest, MarginsNarrowTheFrame) {
    // xmargin 2 in a 40 mm frame at 10 mm: text from 12 mm, a right-aligned
    // number ending one unit inside 48 mm, laid out at 1200 dpi (2267).
    std::string row = "0\t10\t0\t40\t10\t0\t0\t5\t0\t5\t2\t0\tsum\r\n";
    XPrint engine(reportWith("0\r\n", {row}), preview.context());
    draw(engine);
    preview.takeLines();
    engine.DrawField("sum", "7", 0, 0);
    // h = 5 mm = 236, M = 236 - 236/8 = 207, H = 103: x = 2267 - 1 - 103 =
    // 2163, y = (472 - 236) / 2 = 118; on the 114 dpi image (205, 11).
    EXPECT_THAT(preview.takeLines(), ElementsAre("text 205 11 37 face=ming h=22.42 turned=0 color=000000"));
}

TEST_F(XPrintFieldsTest, CaptionsAreRedInPreviewAndBlackOnPaper) {
    const std::string labels = "1\r\n" + block("A", 0, 0);
    XPrint shown(reportWith(labels, {}), preview.context());
    draw(shown);
    EXPECT_THAT(preview.takeLines(), ElementsAre("text 0 0 41 face=ming h=22.42 turned=0 color=ff0000"));

    preview.mode = 0;
    XPrint printed(reportWith(labels, {}), preview.context());
    draw(printed);
    printed.DrawField("missing", "x", 0, 0);
    printed.EndJob();
    EXPECT_THAT(preview.takeLines(), ElementsAre("sheet 0 paper=0 dpi=300",
                                                 "text 0 0 41 face=ming h=59 turned=0 color=000000"));
    EXPECT_THAT(messages.texts(), IsEmpty());  // unknown names are silent on paper
}

TEST_F(XPrintFieldsTest, NewPageStartsPrivatePageFiles) {
    XPrint engine(reportWith("0\r\n", {}), preview.context());
    engine.NewPage();
    engine.NewPage();
    engine.NewPage();
    EXPECT_EQ(preview.pages.lastPage(), 2);
    EXPECT_THAT(preview.items, ElementsAre("1", "2", "3"));
    for (int page = 0; page < 3; ++page) {
        std::string file = pageFileName(preview.pages.stem(), page);
        EXPECT_EQ(TempDir::read(file), engine.reportPath + "\r\n");
        struct stat info {};
        ASSERT_EQ(stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }
    struct stat folder {};
    ASSERT_EQ(stat((dir.path() / "QEL/Tmp").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

TEST_F(XPrintFieldsTest, AddFieldAppendsEncodedRecordsToTheLastPage) {
    XPrint engine(reportWith("0\r\n", {}), preview.context());
    engine.NewPage();
    engine.AddField("total", "", 0, 0);
    engine.AddField("", "", 0, 0);
    EXPECT_EQ(TempDir::read(pageFileName(preview.pages.stem(), 0)),
              engine.reportPath + "\r\ntotal\t0.000000\t0.000000\t\xa1\x40\r\n" +
                  "\t0.000000\t0.000000\t\xa1\x40\r\n");
}

TEST_F(XPrintFieldsTest, ASymlinkAtAPageFileIsNotFollowed) {
    XPrint engine(reportWith("0\r\n", {}), preview.context());
    std::string victim = dir.write("victim.txt", "keep");
    std::filesystem::create_directories(dir.path() / "QEL/Tmp");
    std::filesystem::create_symlink(victim, pageFileName(preview.pages.stem(), 0));
    EXPECT_THROW(engine.NewPage(), ReportError);
    EXPECT_EQ(TempDir::read(victim), "keep");
}

TEST_F(XPrintFieldsTest, RecordsNeedAStartedPage) {
    XPrint engine(reportWith("0\r\n", {}), preview.context());
    EXPECT_THROW(engine.AddField("a", "b", 0, 0), ReportError);
    EXPECT_FALSE(std::filesystem::exists(pageFileName(preview.pages.stem(), -1)));
}

TEST_F(XPrintFieldsTest, AnUnwritableDataDirectoryIsReported) {
    setDataRootOverride((dir.path() / "missing" / "deeper").string());
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    XPrint engine(reportWith("0\r\n", {}), preview.context());
    bool refused = false;
    try {
        engine.NewPage();
    } catch (const ReportError&) {
        refused = true;
    }
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    // root may write anywhere; everyone else must be told.
    if (geteuid() != 0) {
        EXPECT_TRUE(refused);
    }
}

}  // namespace
}  // namespace zarvo
