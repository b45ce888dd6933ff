#include "designer/FileDialogs.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include "tests/windows/designer/QtPrinters.h"

#include "tests/windows/designer/AnsweringFileDialogs.h"

namespace zarvo {
namespace {

TEST(FileDialogsTest, FiltersBecomeQtNameFilters) {
    const struct {
        const char* filter;
        QStringList qt;
    } cases[] = {
        {"報表文字檔(*.txt)|*.txt|所有檔案(*.*)|*.*", {"報表文字檔 (*.txt)", "所有檔案 (*)"}},
        {"Text|*.txt;*.TXT", {"Text (*.txt *.TXT)"}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(qtNameFilters(QString::fromUtf8(c.filter)), c.qt) << c.filter;
}

TEST(FileDialogsTest, EachDialogProposesTheLastNameChosenThroughIt) {
    test::AnsweringFileDialogs presenter;
    presenter.answers = {QStringLiteral("/a/r.txt"), std::nullopt, QStringLiteral("/b/data")};
    FileNameDialog open(QStringLiteral("OpenDialog1"), FileDialogKind::Open, QStringLiteral("T|*.txt"));
    FileNameDialog save(QStringLiteral("SaveDialog1"), FileDialogKind::Save, QString());

    EXPECT_EQ(open.execute(nullptr), QStringLiteral("/a/r.txt"));
    EXPECT_EQ(open.execute(nullptr), std::nullopt);
    EXPECT_EQ(save.execute(nullptr), QStringLiteral("/b/data"));

    ASSERT_EQ(presenter.requests.size(), 3u);
    EXPECT_EQ(presenter.requests[0].proposedName, QString());
    EXPECT_EQ(presenter.requests[0].filter, QStringLiteral("T|*.txt"));
    EXPECT_EQ(presenter.requests[1].proposedName, QStringLiteral("/a/r.txt"));
    EXPECT_EQ(presenter.requests[2].objectName, QStringLiteral("SaveDialog1"));
    EXPECT_EQ(presenter.requests[2].kind, FileDialogKind::Save);
    EXPECT_EQ(presenter.requests[2].proposedName, QString());
    EXPECT_EQ(open.fileName(), QStringLiteral("/a/r.txt"));
}

TEST(FileDialogsTest, ADialogOpensInItsFolderElseWhereTheLastFileWasChosen) {
    test::AnsweringFileDialogs presenter;
    presenter.answers = {QStringLiteral("/data/june/orders.csv"), std::nullopt, std::nullopt};
    QString report;
    FileNameDialog data(QStringLiteral("DataFileDialog"), FileDialogKind::Open, QString());
    FileNameDialog open(QStringLiteral("OpenDialog1"), FileDialogKind::Open, QString());
    open.setFolder([&report] { return report.isEmpty() ? QString() : QFileInfo(report).absolutePath(); });

    data.execute(nullptr);
    open.execute(nullptr);  // a new report: where the data file was chosen
    report = QStringLiteral("/forms/note.txt");
    open.execute(nullptr);  // the report's folder

    ASSERT_EQ(presenter.requests.size(), 3u);
    EXPECT_EQ(presenter.requests[1].folder, QStringLiteral("/data/june"));
    EXPECT_EQ(presenter.requests[2].folder, QStringLiteral("/forms"));
}

}  // namespace
}  // namespace zarvo
