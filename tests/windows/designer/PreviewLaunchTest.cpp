#include "designer/PreviewLaunch.h"

#include <cstdlib>
#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidgetItem>

#include "designer/RowEditors.h"
#include "designer/SourceEditor.h"
#include "databasedialog/DatabaseForm.h"
#include "designer/MainWindow.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "engine/PageFileName.h"
#include "printing/CupsSpooler.h"
#include "report/ConversionError.h"
#include <QLineEdit>

#include "preview/NoFitList.h"
#include "tests/common/Command.h"
#include "document/Big5TextFile.h"
#include "tests/windows/designer/AnsweringFileDialogs.h"
#include "tests/windows/preview/PreviewWindows.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/PrivateCups.h"
#include "tests/support/RasterisedPages.h"
#include "tests/support/StationeryProof.h"
#include "tests/support/DeliveryNoteTables.h"

namespace zarvo {
namespace {

using test::ModalAnswerer;
using test::TempDir;

const std::string fieldShifts = "\t0.000000\t0.000000\t";

class PreviewLaunchTest : public test::PreviewWindows {
protected:
    // Runs Preview on owner; when the preview window shows, action runs on it
    // (by default it is left with "離開"). Returns whether it showed.
    bool launch(const QString& fileName, bool unsaved, const QString& testData,
                ModalAnswerer::Action action = test::clickText(QStringLiteral("離開"))) {
        ModalAnswerer answerer(std::move(action));
        launchPreview(fileName, unsaved, testData, printers, &owner);
        return answerer.answered();
    }
    QString report(const char* name, std::string_view bytes) const {
        return QString::fromStdString(dir.write(name, bytes));
    }
    // The page file of the current preview window.
    std::string pageFile() const { return pageFileName(PreviewForm->dataFileStem(), 0); }
    // zarvo-render's output for args, with its own data directory.
    std::string render(const std::string& args) {
        const test::CommandResult result = test::runCommand(
            std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "cli").string() + "' " + args, dir);
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }
    QImage renderedImage(const std::string& reportAndData) {
        const std::string png = (dir.path() / "rendered.png").string();
        render("--png '" + png + "' " + reportAndData);
        return QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    }
    static QImage shownImage(QWidget& preview) {
        return preview.findChild<QWidget*>(QStringLiteral("Image1"))->grab().toImage().convertToFormat(
            QImage::Format_RGB32);
    }

    QWidget owner;
    const std::string plainReport = "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n";
};

TEST_F(PreviewLaunchTest, TheQuestionAndTheMissingFileWarningComeFirst) {
    const QString existing = report("r.txt", plainReport);
    const QString missing = QString::fromStdString((dir.path() / "missing.txt").string());
    const std::string question = "尚未存檔, 是否列印硬碟上的舊報表檔 ?";
    auto notFound = [](const QString& name) { return "找不到報表檔:\n\n" + name.toStdString() + "\n\n所以無法列印"; };
    struct Case {
        const char* what;
        QString fileName;
        bool unsaved;
        int answer;
        std::vector<std::string> texts;
        bool shows;
    };
    const Case cases[] = {
        {"saved", existing, false, ResultYes, {}, true},
        {"unsaved, Yes", existing, true, ResultYes, {question}, true},
        {"unsaved, No", existing, true, ResultNo, {question}, false},
        {"missing file", missing, false, ResultYes, {notFound(missing)}, false},
        {"unsaved new document, Yes", QString(), true, ResultYes, {question, notFound(QString())}, false},
    };
    for (const Case& c : cases) {
        test::RecordingPresenter recorded;
        recorded.answer(c.answer);
        const QPointer<TPreviewForm> before = PreviewForm;
        EXPECT_EQ(launch(c.fileName, c.unsaved, QString()), c.shows) << c.what;
        EXPECT_EQ(recorded.texts(), c.texts) << c.what;
        if (!recorded.shown().empty()) {
            EXPECT_EQ(recorded.shown().back().kind, c.shows || c.answer == ResultNo ? MessageKind::Confirmation
                                                                                     : MessageKind::Warning)
                << c.what;
        }
        EXPECT_EQ(before.isNull() && PreviewForm, c.shows) << c.what;
    }
}

// Each line, blank ones included, becomes one record in order; the window is
// the owner's, in preview mode, with the one page.
TEST_F(PreviewLaunchTest, EveryTestDataLineBecomesOneRecordOfPageOne) {
    const std::pair<const char*, std::string> lines[] = {
        {"name,value", "name" + fieldShifts + "value"},
        {" \tname \t,\t value ", "name" + fieldShifts + "value"},
        {"a b,c", "b" + fieldShifts + "c"},
        {"single", fieldShifts + "single"},
        {"name,", "name" + fieldShifts + "\xa1\x40"},
        {"", fieldShifts + "\xa1\x40"},
        {"\xe9\x87\x91\xe9\xa1\x8d,\xe4\xb8\x80", "\xaa\xf7\xc3\x42" + fieldShifts + "\xa4\x40"},  // 金額,一
    };
    QString testData;
    std::string expected = dir.path().string() + "/r.txt\r\n";
    for (const auto& [line, record] : lines) {
        testData += QString::fromUtf8(line) + QLatin1Char('\n');
        expected += record + "\r\n";
    }
    ASSERT_TRUE(launch(report("r.txt", plainReport), false, testData));
    EXPECT_EQ(TempDir::read(pageFile()), expected);
    EXPECT_EQ(PreviewForm->parentWidget(), &owner);
    EXPECT_EQ(PreviewForm->previewMode(), 1);
    EXPECT_EQ(PreviewForm->lastPage(), 0);
    EXPECT_FALSE(PreviewForm->isVisible());
}

TEST_F(PreviewLaunchTest, EmptyTestDataShowsTheBareForm) {
    const std::string note = std::string(ZARVO_SOURCE_DIR) + "/examples/delivery_note.txt";
    QImage shown;
    ASSERT_TRUE(launch(QString::fromStdString(note), false, QString(), [&](QWidget& preview) {
        shown = shownImage(preview);
        preview.close();
    }));
    EXPECT_EQ(TempDir::read(pageFile()), note + "\r\n");
    EXPECT_TRUE(shown == renderedImage(note));
}

TEST_F(PreviewLaunchTest, ACharacterBig5LacksIsNamedAndTheLastPreviewStays) {
    const QString file = report("r.txt", plainReport);
    ASSERT_TRUE(launch(file, false, QStringLiteral("a,1")));
    const QPointer<TPreviewForm> before = PreviewForm;
    const std::string page = TempDir::read(pageFile());

    test::RecordingPresenter recorded;
    EXPECT_FALSE(launch(file, false, QStringLiteral("a,2\nb,\u00e9")));
    EXPECT_EQ(recorded.texts(),
              std::vector<std::string>{"第 2 行的字元「é」(U+00E9) 無法以 Big5 儲存, 所以無法用這些測試資料預視."});
    EXPECT_EQ(PreviewForm, before);
    EXPECT_EQ(TempDir::read(pageFile()), page);
}

// The old window's files go before the new one writes, so a second preview
// in the same second (the same file names) keeps its own page.
TEST_F(PreviewLaunchTest, EachPreviewReplacesTheLastAndKeepsItsOwnPage) {
    const QString file = report("r.txt", plainReport);
    ASSERT_TRUE(launch(file, false, QStringLiteral("a,1")));
    const std::string first = pageFile();
    ASSERT_TRUE(launch(file, false, QStringLiteral("a,2")));
    if (pageFile() != first) {
        EXPECT_FALSE(std::filesystem::exists(first));
    }
    EXPECT_EQ(TempDir::read(pageFile()), file.toStdString() + "\r\na" + fieldShifts + "2\r\n");
}

TEST_F(PreviewLaunchTest, AHeaderTheEngineCannotReadStopsBeforeAnyPageIsWritten) {
    const QString good = report("r.txt", plainReport);
    ASSERT_TRUE(launch(good, false, QStringLiteral("a,1")));
    const std::string oldPage = pageFile();
    const QString bad = report("bad.txt", "x\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\r\n");
    EXPECT_THROW(launch(bad, false, QStringLiteral("a,1")), ConversionError);
    // The new window's stem is held by an empty page 0 until a page is written.
    const auto written = [](const std::string& file) {
        return std::filesystem::exists(file) && std::filesystem::file_size(file) > 0;
    };
    EXPECT_FALSE(written(oldPage));
    EXPECT_FALSE(written(pageFile()));
    EXPECT_EQ(PreviewForm->lastPage(), -1);
    EXPECT_FALSE(PreviewForm->isVisible());
}

// Inserts every row it is asked for as the block "amount".
class AmountBlock : public RowEditors {
public:
    void editBlockRow(QTreeWidgetItem* row, int& confirmed, const QString&) override {
        const QStringList texts = QString::fromLatin1("amount\t0\t20\t10\t60\t10\t0\t0\t0\t0\t6\t0\t0").split('\t');
        for (int i = 0; i < texts.size(); ++i) row->setText(i, texts[i]);
        confirmed = 1;
    }
    void editLineRow(QTreeWidgetItem*, int&) override {}
};

// New writes the line and label keyword lines without counts; a form of
// blocks alone keeps them so and still previews and prints its blocks.
TEST_F(PreviewLaunchTest, AFormOfBlocksOnlySavesPreviewsAndPrints) {
    AmountBlock editor;
    test::AnsweringFileDialogs dialogs;
    MainWindow window(printers);
    window.setRowEditors(&editor);
    window.show();
    window.btn_BinsertClick();
    const std::string saved = (dir.path() / "blocks.txt").string();
    dialogs.answers.push_back(QString::fromStdString(saved));
    window.SaveAs1Click();
    EXPECT_EQ(TempDir::read(saved), "0\t0\t0\r\nLINE_INFO\r\nLABEL_STRING\r\nBLOCK_INFO\t1\r\n"
                                    "0\t20\t10\t60\t10\t0\t0\t0\t0\t6\t0\t0\tamount\r\n");
    window.ME_data->setPlainText(QStringLiteral("amount,1234\n"));
    const std::string data = dir.write("data.txt", "amount,1234\r\n");

    QImage shown;
    bool printed = false;
    ModalAnswerer previewAndPrint([&](QWidget& preview) {
        shown = shownImage(preview);
        ModalAnswerer everyPage([&](QWidget& dialog) {
            dialog.findChild<QRadioButton*>(QStringLiteral("RB3"))->setChecked(true);
            dialog.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        });
        preview.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        printed = everyPage.answered();
        preview.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    window.Print1Click();
    ASSERT_TRUE(previewAndPrint.answered());
    EXPECT_TRUE(printed);
    EXPECT_TRUE(messages.shown().empty());
    const std::string reportAndData = "'" + saved + "' '" + data + "'";
    EXPECT_TRUE(shown == renderedImage(reportAndData));
    EXPECT_EQ(spooler->jobs(), (std::vector<std::vector<int>>{{1}}));
    const std::string printTrace = render("--print --trace " + reportAndData);
    EXPECT_NE(printTrace.find("\ntext "), std::string::npos);
    EXPECT_EQ(spooler->trace(), printTrace);
}

// A data file previews one page a record of the report as saved; "全部"
// prints them as one job of three sheets on a real queue, and their page
// files go with the window.
TEST_F(PreviewLaunchTest, ADataFilePreviewsOnePageARecordAndPrintsThemInOneJob) {
    test::PrivateCups cups;
    cups.addQueue("Office");
    cups.setDefault("Office");
    CupsSpooler system;
    printers.use(system);
    test::AnsweringFileDialogs dialogs;
    MainWindow window(printers);
    window.show();
    dialogs.answers.push_back(report("note.txt", TempDir::read(std::string(ZARVO_SOURCE_DIR) +
                                                               "/examples/delivery_note.txt")));
    window.Open1Click();
    dialogs.answers.push_back(QString::fromStdString(dir.write("orders.csv", "customer,qty1\nA,1\nB,2\nC,3\n")));
    QString count;
    std::string stem;
    ModalAnswerer previewAndPrint([&](QWidget& preview) {
        count = preview.findChild<QLabel*>(QStringLiteral("Label2"))->text();
        stem = PreviewForm->dataFileStem();
        ModalAnswerer everyPage([&](QWidget& dialog) {
            dialog.findChild<QRadioButton*>(QStringLiteral("RB3"))->setChecked(true);
            dialog.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        });
        preview.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        preview.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    window.btn_previewfileClick();
    ASSERT_TRUE(previewAndPrint.answered());
    EXPECT_EQ(count, QStringLiteral("共3頁"));
    const auto jobs = cups.waitForJobs(1);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(test::PrivateCups::sheetCount(jobs[0]), 3);
    EXPECT_EQ(cups.jobCount(), 1u);
    delete PreviewForm;
    for (int page = 0; page < 3; ++page) EXPECT_FALSE(std::filesystem::exists(pageFileName(stem, page)));
}

// A value longer than its frame is listed with its record while the
// preview is open, and a double-click shows its page.
TEST_F(PreviewLaunchTest, ValuesTheirFramesCannotHoldAreListedBesideThePreview) {
    test::AnsweringFileDialogs dialogs;
    MainWindow window(printers);
    window.show();
    dialogs.answers.push_back(report("note.txt", TempDir::read(std::string(ZARVO_SOURCE_DIR) +
                                                               "/examples/delivery_note.txt")));
    window.Open1Click();
    std::string csv = "no,customer\n";
    for (int record = 1; record <= 9; ++record) {
        csv += "A" + std::to_string(record) + "," + (record == 7 ? std::string(150, 'W') : "Wang") + "\n";
    }
    dialogs.answers.push_back(QString::fromStdString(dir.write("orders.csv", csv)));
    QStringList listed;
    QString page;
    ModalAnswerer look([&](QWidget& preview) {
        auto* list = preview.findChild<NoFitList*>(QStringLiteral("LV_nofit"));
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !list->checking(); }, 20000));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            listed << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
        }
        if (list->topLevelItemCount() > 0) emit list->itemDoubleClicked(list->topLevelItem(0), 0);
        page = preview.findChild<QLineEdit*>(QStringLiteral("E1"))->text();
        preview.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    window.btn_previewfileClick();
    ASSERT_TRUE(look.answered());
    EXPECT_EQ(listed, QStringList{QStringLiteral("第 7 筆|customer|") + QString(150, 'W')});
    EXPECT_EQ(page, QStringLiteral("7"));
}

// With detail rows each page is a sheet of an order, named beside its number.
TEST_F(PreviewLaunchTest, ADataFileOfOrdersNamesEachSheetByOrderAndSheet) {
    test::AnsweringFileDialogs dialogs;
    MainWindow window(printers);
    window.show();
    const std::string examples = std::string(ZARVO_SOURCE_DIR) + "/examples/";
    dir.write("note.zarvo", TempDir::read(examples + "delivery_note.zarvo"));
    dir.write("delivery_note_seal.svg", TempDir::read(examples + "delivery_note_seal.svg"));
    dialogs.answers.push_back(report("note.txt", TempDir::read(examples + "delivery_note.txt")));
    window.Open1Click();
    std::string csv = "no,item\n";
    for (int n = 1; n <= 12; ++n) csv += "A1,P" + std::to_string(n) + "\n";
    dialogs.answers.push_back(QString::fromStdString(dir.write("orders.csv", csv + "B7,Q1\n")));
    QStringList shown;
    ModalAnswerer paging([&](QWidget& preview) {
        const auto* number = preview.findChild<QLabel*>(QStringLiteral("Label1"));
        const auto* sheet = preview.findChild<QLabel*>(QStringLiteral("Label_sheet"));
        for (int page = 0; page < 3; ++page) {
            shown.append(number->text() + " " + sheet->text());
            preview.findChild<QPushButton*>(QStringLiteral("Button3"))->click();
        }
        preview.close();
    });
    window.btn_previewfileClick();
    ASSERT_TRUE(paging.answered());
    EXPECT_EQ(shown, (QStringList{QStringLiteral("第1頁 A1 1/2"), QStringLiteral("第2頁 A1 2/2"),
                                  QStringLiteral("第3頁 B7 1/1")}));
}

// 資料庫預視... asks the query's parameters, then previews the rows it
// gives: the first order of the delivery note from an SQLite file.
TEST_F(PreviewLaunchTest, ADatabasePreviewAsksTheParametersAndShowsTheRowsTheyGive) {
    test::AnsweringFileDialogs dialogs;
    MainWindow window(printers);
    window.show();
    const std::string examples = std::string(ZARVO_SOURCE_DIR) + "/examples/";
    const std::string script = dir.write("tables.sql", test::deliveryNoteTables(ZARVO_SOURCE_DIR));
    ASSERT_EQ(std::system(("sqlite3 '" + (dir.path() / "orders.db").string() + "' < '" + script + "'").c_str()), 0);
    std::string query = test::deliveryNoteGroupedQuery();
    query.replace(query.find(" ORDER BY"), 0, " WHERE o.no = :no");
    dir.write("delivery_note_seal.svg", TempDir::read(examples + "delivery_note_seal.svg"));
    dir.write("note.zarvo", TempDir::read(examples + "delivery_note.zarvo") +
                                "\n[Database]\ndriver=sqlite\ndatabase=orders.db\nquery=\"" + query + "\"\n");
    dialogs.answers.push_back(report("note.txt", TempDir::read(examples + "delivery_note.txt")));
    window.Open1Click();
    ASSERT_EQ(window.btn_dbpreview->text(), QStringLiteral("資料庫預視..."));
    QStringList shown;
    std::unique_ptr<ModalAnswerer> preview;
    QString asked;
    ModalAnswerer question([&](QWidget& dialog) {
        asked = dialog.findChild<QLabel*>()->text();
        dialog.findChild<QLineEdit*>()->setText(QStringLiteral("SH1130614027"));
        preview = std::make_unique<ModalAnswerer>([&](QWidget& window) {
            const auto* sheet = window.findChild<QLabel*>(QStringLiteral("Label_sheet"));
            for (int page = 0; page < 3; ++page) {
                shown.append(sheet->text());
                window.findChild<QPushButton*>(QStringLiteral("Button3"))->click();
            }
            window.close();
        }, 20000);
        static_cast<QDialog&>(dialog).accept();
    });
    window.btn_dbpreviewClick();
    ASSERT_TRUE(question.answered());
    EXPECT_EQ(asked, QStringLiteral("查詢的參數 :no 的值:"));
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->answered());
    EXPECT_EQ(shown, (QStringList{QStringLiteral("SH1130614027 1/3"), QStringLiteral("SH1130614027 2/3"),
                                  QStringLiteral("SH1130614027 3/3")}));
}

// "資料庫..." writes what its dialog keeps into the profile as one undo step.
TEST_F(PreviewLaunchTest, TheDatabaseDialogWritesTheProfileAsOneUndoStep) {
    test::AnsweringFileDialogs dialogs;
    MainWindow window(printers);
    window.show();
    dialogs.answers.push_back(report("note.txt", TempDir::read(std::string(ZARVO_SOURCE_DIR) +
                                                               "/examples/delivery_note.txt")));
    window.Open1Click();
    ASSERT_FALSE(window.document().unsaved());
    QString shown;
    ModalAnswerer fill([&](QWidget& dialog) {
        shown = dialog.objectName();
        if (shown != QStringLiteral("TDatabaseForm")) return;
        auto& form = static_cast<TDatabaseForm&>(dialog);
        form.ED_database->setText(QStringLiteral("orders.db"));
        form.ME_query->setPlainText(QStringLiteral("SELECT * FROM orders WHERE no = :no"));
        form.btn_ok->click();
    });
    window.btn_databaseClick();
    ASSERT_TRUE(fill.answered());
    ASSERT_EQ(shown, QStringLiteral("TDatabaseForm"));
    const ProfileSection* section = window.document().profile()->section("Database");
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(*section->value("query"), "SELECT * FROM orders WHERE no = :no");
    EXPECT_TRUE(window.document().unsaved());
    window.TabSheet6->layoutView->editor().undo();
    EXPECT_EQ(window.document().profile()->section("Database"), nullptr);
}

// A CSV of detail rows needs the column that makes one order: asked for
// among its columns, written into the profile as one undo step and saved
// with the report, so that the preview goes on.
TEST_F(PreviewLaunchTest, ACsvOfDetailRowsWithoutAGroupAsksForItsColumn) {
    test::AnsweringFileDialogs dialogs;
    MainWindow window(printers);
    window.show();
    const std::string examples = std::string(ZARVO_SOURCE_DIR) + "/examples/";
    std::string profile = TempDir::read(examples + "delivery_note.zarvo");
    profile.erase(profile.find("group=no\n"), 9);
    const std::string profilePath = dir.write("note.zarvo", profile);
    dir.write("delivery_note_seal.svg", TempDir::read(examples + "delivery_note_seal.svg"));
    dialogs.answers.push_back(report("note.txt", TempDir::read(examples + "delivery_note.txt")));
    window.Open1Click();
    dialogs.answers.push_back(QString::fromStdString(examples + "delivery_note_orders.csv"));
    std::unique_ptr<ModalAnswerer> preview;
    QString preselected;
    ModalAnswerer question([&](QWidget& dialog) {
        auto* columns = dialog.findChild<QComboBox*>();
        preselected = columns->currentText();
        columns->setCurrentText(QStringLiteral("no"));
        preview = std::make_unique<ModalAnswerer>(test::clickText(QStringLiteral("離開")));
        static_cast<QDialog&>(dialog).accept();
    });
    window.btn_previewfileClick();
    ASSERT_TRUE(question.answered());
    EXPECT_EQ(preselected, QStringLiteral("no")) << "the first column";
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->answered());
    EXPECT_FALSE(window.document().unsaved());
    EXPECT_NE(TempDir::read(profilePath).find("group=no"), std::string::npos);
    EXPECT_TRUE(window.document().history().canUndo());
}

// While one of the preview window's own dialogs is open, driven faster than
// a person could, the window neither closes nor is replaced by a new
// preview: the dialog returns into the same window.
TEST_F(PreviewLaunchTest, ThePreviewStaysWhileItsOwnDialogIsOpen) {
    const QString existing = report("r.txt", plainReport);
    struct Case {
        const char* dialog;
        std::function<void(QWidget& preview, const std::function<void()>& whileOpen)> open;
    };
    const Case cases[] = {
        {"存成 PDF",
         [](QWidget& preview, const std::function<void()>& whileOpen) {
             setPdfFileChooser([&whileOpen](QWidget*) -> std::optional<QString> {
                 whileOpen();
                 return std::nullopt;
             });
             preview.findChild<QPushButton*>(QStringLiteral("btn_savepdf"))->click();
             setPdfFileChooser({});
         }},
        {"列印",
         [](QWidget& preview, const std::function<void()>& whileOpen) {
             ModalAnswerer printRange([&whileOpen](QWidget& dialog) {
                 whileOpen();
                 dialog.close();
             });
             preview.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
             EXPECT_TRUE(printRange.answered());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialog);
        int attempts = 0;
        EXPECT_TRUE(launch(existing, false, QString(), [&](QWidget& preview) {
            const QPointer<QWidget> shown = &preview;
            c.open(preview, [&] {
                ++attempts;
                preview.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
                QTest::keyClick(&preview, Qt::Key_Escape);
                launchPreview(existing, false, QString(), printers, &owner);
                EXPECT_EQ(PreviewForm, shown.data());
                EXPECT_TRUE(preview.isVisible());
            });
            ASSERT_TRUE(shown);
            EXPECT_TRUE(preview.isVisible());
            preview.close();
        }));
        EXPECT_EQ(attempts, 1);
    }
}

// A preview that stops at a line of the report leaves the source page's
// cursor on that line; a second preview meanwhile waits for the first.
TEST_F(PreviewLaunchTest, AReportThatStopsDrawingPutsTheSourceCursorOnItsLine) {
    test::AnsweringFileDialogs dialogs;
    MainWindow window(printers);
    window.show();
    dialogs.answers.push_back(report("bad.txt", "0\t0\t0\r\nLINE_INFO\t2\r\n0\t1\t10\t20\t110\t20\r\n"
                                                "0\t1\tabc\t1\t2\t2\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n"));
    window.Open1Click();
    window.PageControl1->setCurrentWidget(window.TabSheet3);
    QPointer<QWidget> shown;
    ModalAnswerer closeWhenTold([&](QWidget& preview) {
        shown = &preview;
        QTest::qWaitFor([&] { return !messages.shown().empty(); });
        window.Print1Click();
        EXPECT_TRUE(shown);  // not deleted under itself
        preview.close();
    });
    window.Print1Click();
    ASSERT_TRUE(closeWhenTold.answered());
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find("報表檔第 4 行的資料無法讀取"), std::string::npos);
    EXPECT_EQ(window.ME_text->textCursor().blockNumber(), 0);
    window.PageControl1->setCurrentWidget(window.TabSheet1);
    EXPECT_EQ(window.ME_text->textCursor().blockNumber(), 3);
}

// Printers whose margins are known: "Office" has them, "Lab" does not.
class MarginSpooler : public test::JobSpooler {
public:
    MarginSpooler() : JobSpooler({{"Office", true}, {"Lab", false}}) {}
    std::optional<SheetMargins> sheetMargins(const std::string& printer, const SheetPaper&) override {
        if (printer == "Office") return SheetMargins{5, 7, 4, 9};
        return std::nullopt;
    }
};

TEST_F(PreviewLaunchTest, APdfOverTheStationeryHasThePictureUnderTheFormAtThePrintersCorner) {
    struct Case {
        const char* report;
        const char* printer;
        QPointF originMm;  // where the form starts on the sheet as it lies
    };
    const Case cases[] = {
        {"delivery_note", "Office", {5, 7}},
        // A landscape form lies turned: its left margin is the sheet's bottom one.
        {"statement_b4", "Office", {9, 5}},
        {"delivery_note", "Lab", {0, 0}},
    };
    MarginSpooler margins;
    printers.use(margins);
    constexpr int kDpi = 127;
    const QRect picture = test::pictureArea(kDpi);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.report) + " on " + c.printer);
        const std::string report = test::reportOverStationery(dir.path(), c.report);
        const QString data =
            decodeBig5Text(TempDir::read((dir.path() / (std::string(c.report) + "_data.txt")).string())).replace("\r\n", "\n");
        std::vector<QImage> saved;  // without the stationery, then over it
        ASSERT_TRUE(launch(QString::fromStdString(report), false, data, [&](QWidget& window) {
            control<QComboBox>(window, "ComboBox1").setCurrentText(QString::fromLatin1(c.printer));
            auto& overStationery = control<QCheckBox>(window, "ChB_stationery");
            EXPECT_TRUE(overStationery.isEnabled());
            for (const bool over : {false, true}) {
                const std::filesystem::path pdf = dir.path() / (over ? "over.pdf" : "plain.pdf");
                setPdfFileChooser([&](QWidget*) { return QString::fromStdString(pdf.string()); });
                overStationery.setChecked(over);
                control<QPushButton>(window, "btn_savepdf").click();
                for (const QImage& page : test::rasterisedPages(pdf, kDpi, dir.path())) saved.push_back(page);
            }
            setPdfFileChooser({});
            window.close();
        }));
        ASSERT_EQ(saved.size(), 2u);
        const QImage& plain = saved[0];
        const QImage& over = saved[1];
        EXPECT_TRUE(messages.shown().empty());
        // Printed black, not the preview's red.
        EXPECT_GT(test::pixelsBetween(plain, plain.rect(), 0, 40), 0);
        const int pictureSize = picture.width() * picture.height();
        EXPECT_LT(test::pixelsBetween(plain, picture, test::kPictureGrayLow, test::kPictureGrayHigh), pictureSize / 10);
        EXPECT_GT(test::pixelsBetween(over, picture, test::kPictureGrayLow, test::kPictureGrayHigh), pictureSize / 2);
        // The data there is drawn over the picture.
        EXPECT_GT(test::pixelsBetween(over, picture, 0, 40), 0);
        const QPoint shift = (c.originMm * kDpi / 25.4).toPoint();
        const QRect expected = test::formInkBounds(plain).translated(shift);
        const QRect found = test::formInkBounds(over);
        EXPECT_FALSE(expected.isEmpty());
        for (const auto& [edge, wanted] : {std::pair{found.left(), expected.left()}, {found.top(), expected.top()},
                                           {found.right(), expected.right()}, {found.bottom(), expected.bottom()}}) {
            EXPECT_NEAR(edge, wanted, 1) << "form ink " << found.x() << "," << found.y() << " " << found.width() << "x"
                                         << found.height();
        }
    }
}

}  // namespace
}  // namespace zarvo
