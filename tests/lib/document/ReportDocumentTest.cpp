// The document without widgets: the text and the rows brought into
// agreement, a save that is whole or nothing, a recovery copy that brings the
// same document back, and what it says about unsaved work.

#include "document/ReportDocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/FormProfileFile.h"
#include "report/ReportError.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

const QString kReport = QStringLiteral("0\t0\t0\nLINE_INFO\t1\n0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\nLABEL_STRING\nBLOCK_INFO\t1\n0\ta\n");

TEST(ReportDocumentTest, LeavingAPageBringsTextAndRowsIntoAgreement) {
    struct Case {
        const char* name;
        std::function<void(ReportDocument&)> edit;
        QStringList blocks;    // the block captions after reconcile
        QString blockSection;  // the text's blocks section after reconcile
    };
    const std::vector<Case> cases = {
        {"nothing edited", [](ReportDocument&) {}, {"a"}, "BLOCK_INFO\t1\n0\ta\n"},
        {"typed text is read into the rows",
         [](ReportDocument& d) { d.typeText(QString(d.text()).replace("0\ta", "0\tb\n0\tc")); },
         {"b", "c"},
         "BLOCK_INFO\t1\n0\tb\n0\tc\n"},
        {"an edited row is written with the true count",
         [](ReportDocument& d) { d.insertRow(Section::Blocks, 1, ListRow{"z", {"5"}}); },
         {"a", "z"},
         "BLOCK_INFO\t2\n0\ta\n5\tz\n"},
        {"a removed row goes from the text",
         [](ReportDocument& d) { d.removeRow(Section::Blocks, 0); },
         {},
         "BLOCK_INFO\t0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportDocument document;
        document.open(kReport, QString());
        c.edit(document);
        document.reconcile();
        QStringList captions;
        for (const ListRow& row : document.rows(Section::Blocks)) captions.append(row.caption);
        EXPECT_EQ(captions, c.blocks);
        EXPECT_TRUE(document.text().endsWith(c.blockSection)) << document.text().toStdString();
        EXPECT_EQ(document.textToSave(), document.text());
        EXPECT_FALSE(document.rowsEdited(Section::Blocks));
        EXPECT_FALSE(document.textTyped());
    }
}

TEST(ReportDocumentTest, ASaveIsWholeOrLeavesTheDocumentAsItWas) {
    TempDir dir;
    ReportDocument document;
    document.open(kReport, QString());
    document.removeRow(Section::Lines, 0);
    document.setStationery(StationeryKeys{.picture = "x", .dx = 1.5}, QString::fromStdString((dir.path() / "scan.png").string()));

    const QString missing = QString::fromStdString((dir.path() / "no" / "note.txt").string());
    EXPECT_THROW(document.saveAs(missing), ReportError);
    EXPECT_TRUE(document.unsaved());
    EXPECT_EQ(document.fileName(), QString());

    const QString path = QString::fromStdString((dir.path() / "note.txt").string());
    EXPECT_TRUE(document.saveAs(path));
    EXPECT_FALSE(document.unsaved());
    EXPECT_EQ(document.fileName(), path);
    EXPECT_NE(TempDir::read(path.toStdString()).find("LINE_INFO\t0\r\nLABEL_STRING"), std::string::npos);
    // The stationery is kept beside the report, its picture relative to it.
    const std::string profile = TempDir::read((dir.path() / "note.zarvo").string());
    EXPECT_NE(profile.find("picture=scan.png"), std::string::npos) << profile;
    EXPECT_NE(profile.find("dx=1.5"), std::string::npos) << profile;
}

TEST(ReportDocumentTest, ARecoveryCopyBringsBackTheSameUnsavedDocument) {
    ReportDocument document;
    document.open(kReport, QStringLiteral("/forms/note.txt"));
    document.replaceRow(Section::Blocks, 0, ListRow{"total", {"7"}});
    document.setProfile(parseFormProfile("[Paper]\nwidth=241.3\nheight=139.7\n"));
    document.typeTestData(QStringLiteral("total,12"));

    ReportDocument restored;
    restored.restore(document.recoveryCopy());
    EXPECT_EQ(restored.textToSave(), document.textToSave());
    EXPECT_EQ(restored.rows(Section::Blocks), document.rows(Section::Blocks));
    EXPECT_EQ(restored.fileName(), QStringLiteral("/forms/note.txt"));
    EXPECT_EQ(restored.testData(), QStringLiteral("total,12"));
    EXPECT_FALSE(restored.profile()->empty());
    EXPECT_EQ(formProfileText(*restored.profile()), formProfileText(*document.profile()));
    EXPECT_TRUE(restored.unsaved());
    EXPECT_TRUE(restored.typedTestDataUnsaved());
}

TEST(ReportDocumentTest, ItSaysWhenWorkWouldBeLost) {
    ReportDocument document;
    std::vector<bool> said;
    QObject::connect(&document, &ReportDocument::unsavedChanged, [&said](bool unsaved) { said.push_back(unsaved); });
    document.typeTestData(QStringLiteral("a,1"));
    document.testDataSaved(QStringLiteral("data.txt"));
    document.typeTestData(QString());  // emptied: nothing to lose
    document.setHeaderPaperCode(3);    // the program's own write
    document.typeText(document.text() + QStringLiteral("\n"));
    document.startNew();
    EXPECT_EQ(said, (std::vector<bool>{true, false, false, true, false}));
}

}  // namespace
}  // namespace zarvo
