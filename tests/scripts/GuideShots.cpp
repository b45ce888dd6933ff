// The pictures of the user's guide, taken from the program's own windows:
// the permanent windows of start-up with the sample reports open, each
// dialog opened by its real command and caught while it is shown.
//
//   zarvo-guideshots --shots DIR   writes DIR/NAME.png with DIR/NAME.png.json
//                                  (the window's object name and size)
//   zarvo-guideshots --dump        prints, as JSON, every picture's window
//                                  and size and every object name met
//
// Both walk the same scenes, so the guide's pictures and the dump that the
// test compares them with come from one path. The settings, state, cache
// and data folders are temporary; the printers are made up ("office", the
// default, with 4.2 mm margins, and "label"). The examples are copied, never
// written. Nothing here is part of the program.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "designer/FileDialogs.h"
#include "designer/MainWindow.h"
#include "layout/FieldProposalPanel.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "service/OriginAccess.h"
#include "servicetray/OriginsForm.h"
#include "platform/Messages.h"
#include "shell/QtMessagePresenter.h"
#include "shell/Startup.h"
#include "shell/ZarvoApplication.h"
#include "tests/common/MarginSpooler.h"
#include "tests/common/WornCaptionForm.h"
#include "tests/support/ModalAnswerer.h"

namespace {

using namespace zarvo;
namespace fs = std::filesystem;

// Answers the file dialogs from a queue; an empty queue cancels.
class QueuedFiles : public FileDialogPresenter {
public:
    std::optional<QString> choose(const FileDialogRequest&) override {
        if (answers.empty()) return std::nullopt;
        const QString path = answers.front();
        answers.erase(answers.begin());
        return path;
    }
    std::vector<QString> answers;
};

struct Shot {
    QString window;
    int width = 0;
    int height = 0;
};

class Camera {
public:
    Camera(QString dir, bool dump) : dir_(std::move(dir)), dump_(dump) {}

    // Lets the window settle, then keeps its picture (or its names).
    void take(const QString& name, QWidget& window) {
        QTest::qWait(400);
        collectNames(window);
        const Shot shot{window.objectName(), window.width(), window.height()};
        shots_[name] = shot;
        if (dump_) return;
        const QImage image = window.grab().toImage();
        const QString png = dir_ + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!image.save(png)) fail("cannot write " + png.toStdString());
        QJsonObject side{{QStringLiteral("window"), shot.window},
                         {QStringLiteral("width"), shot.width},
                         {QStringLiteral("height"), shot.height}};
        QFile json(png + QStringLiteral(".json"));
        if (!json.open(QIODevice::WriteOnly)) fail("cannot write " + json.fileName().toStdString());
        json.write(QJsonDocument(side).toJson());
        std::cerr << "shot " << name.toStdString() << ' ' << shot.window.toStdString() << ' ' << shot.width
                  << 'x' << shot.height << '\n';
    }

    // Runs command, which opens a modal dialog named window, and takes the
    // dialog's picture before closing it (after then, when given).
    void takeModal(const QString& name, const QString& window, const std::function<void()>& command,
                   const std::function<void(QWidget&)>& then = {}, const std::function<void(QWidget&)>& before = {}) {
        bool seen = false;
        test::ModalAnswerer answerer(
            [&](QWidget& modal) {
                if (modal.objectName() != window)
                    fail("expected " + window.toStdString() + ", found " + modal.objectName().toStdString() +
                         " (" + modal.windowTitle().toStdString() + ")");
                seen = true;
                if (before) before(modal);
                take(name, modal);
                if (then) then(modal);
                else modal.close();
            },
            30000);
        command();
        QTest::qWait(50);
        if (!seen) fail("no window " + window.toStdString() + " for " + name.toStdString());
    }

    // Every object name under the top-level windows now.
    void collectAll() {
        for (QWidget* top : QApplication::topLevelWidgets()) collectNames(*top);
    }

    void printDump() const {
        QJsonObject shots;
        for (const auto& [name, shot] : shots_)
            shots[name] = QJsonObject{{QStringLiteral("window"), shot.window},
                                      {QStringLiteral("width"), shot.width},
                                      {QStringLiteral("height"), shot.height}};
        QJsonArray names;
        for (const QString& name : names_) names.append(name);
        const QJsonObject all{{QStringLiteral("shots"), shots}, {QStringLiteral("names"), names}};
        std::cout << QJsonDocument(all).toJson().toStdString();
    }

    [[noreturn]] static void fail(const std::string& why) {
        std::cerr << "zarvo-guideshots: " << why << '\n';
        std::_Exit(1);
    }

private:
    void collectNames(QObject& object) {
        if (!object.objectName().isEmpty() && !object.objectName().startsWith(QLatin1String("qt_")))
            names_.insert(object.objectName());
        for (QObject* child : object.children()) collectNames(*child);
    }

    QString dir_;
    bool dump_;
    std::map<QString, Shot> shots_;
    std::set<QString> names_;
};

void copyExamples(const fs::path& from, const fs::path& to) {
    for (const auto& entry : fs::directory_iterator(from))
        if (entry.is_regular_file()) fs::copy_file(entry.path(), to / entry.path().filename());
}

void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

QString q(const fs::path& path) { return QString::fromStdString(path.string()); }

// The row of list whose columns hold text.
QTreeWidgetItem* row(QTreeWidget& list, const QString& text) {
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        for (int c = 0; c < list.columnCount(); ++c)
            if (list.topLevelItem(i)->text(c) == text) return list.topLevelItem(i);
    Camera::fail("no row " + text.toStdString());
}

void chooseZoom(LayoutPage& page, const QString& text) {
    const int index = page.ZoomBox->findText(text);
    if (index < 0) Camera::fail("no zoom " + text.toStdString());
    page.ZoomBox->setCurrentIndex(index);
    emit page.ZoomBox->activated(index);
    QTest::qWait(300);
}

// Shows page of the main window afresh, so that it takes the report and
// test data as they are now.
void showPage(MainWindow& main, QWidget* page) {
    main.PageControl1->setCurrentWidget(main.TabSheet1);
    main.PageControl1->setCurrentWidget(page);
    QTest::qWait(300);
}

void choosePrinter(LayoutPage& page, const QString& text) {
    const int index = page.CB_printer->findText(text);
    if (index < 0) Camera::fail("no printer " + text.toStdString());
    page.CB_printer->setCurrentIndex(index);
    emit page.CB_printer->activated(index);
    QTest::qWait(300);
}

// Nothing selected, the view at the sheet's top-left corner.
void unselected(LayoutPage& page) {
    QTest::keyClick(page.layoutView, Qt::Key_Escape);
    page.layoutView->horizontalScrollBar()->setValue(0);
    page.layoutView->verticalScrollBar()->setValue(0);
    QTest::qWait(200);
}

void waitFor(const std::function<bool()>& done, int ms, const char* what) {
    for (int waited = 0; !done(); waited += 50) {
        if (waited > ms) Camera::fail(std::string("timed out waiting for ") + what);
        QTest::qWait(50);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QString shotDir;
    bool dump = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--shots" && i + 1 < argc) shotDir = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--dump") dump = true;
    }
    if (shotDir.isEmpty() == !dump) {
        std::cerr << "usage: zarvo-guideshots --shots DIR | --dump\n";
        return 2;
    }
    // Everything the program keeps goes into a folder of this run.
    const fs::path home = fs::temp_directory_path() / ("zarvo-guideshots-" + std::to_string(::getpid()));
    fs::remove_all(home);
    for (const char* sub : {"config", "state", "cache", "data", "runtime", "報表"}) fs::create_directories(home / sub);
    fs::permissions(home / "runtime", fs::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_STATE_HOME", (home / "state").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
    const fs::path work = home / "報表";
    copyExamples(fs::path(ZARVO_SOURCE_DIR) / "examples", work);

    ZarvoApplication application(argc, argv);
    // One style and face under Xvfb and offscreen alike, so that the
    // pictures and the dump give every window the same size.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(QFont(QStringLiteral("AR PL UMing TW"), 10));
    QIcon::setThemeName(QStringLiteral("hicolor"));
    QtMessagePresenter presenter;
    setMessagePresenter(&presenter);
    QueuedFiles files;
    setFileDialogPresenter(&files);
    test::MarginSpooler printers({{"office", true}, {"label", false}},
                                 {{"office", SheetMargins{4.2, 4.2, 4.2, 4.2}}});
    Camera camera(shotDir, dump);
    {
        StartupWindows windows(startupSteps(), printers);
        MainWindow& main = *zarvo2_Form;
        main.resize(1000, 700);
        main.show();
        QTest::qWait(300);
        LayoutPage& layout = *main.TabSheet6;

        // The delivery note, its test data and its stationery: a PDF of the
        // blank form that lies 1.5 mm right of and 1 mm below its place.
        const fs::path note = work / "delivery_note.txt";
        {
            const std::string render = std::string(ZARVO_RENDER) + " --print --pdf '" +
                                       (work / "stationery.pdf").string() + "' '" + note.string() + "' >/dev/null";
            if (std::system(render.c_str()) != 0) Camera::fail("zarvo-render could not draw the stationery");
            std::ifstream profile(work / "delivery_note.zarvo");
            const std::string kept((std::istreambuf_iterator<char>(profile)), std::istreambuf_iterator<char>());
            write(work / "delivery_note.zarvo", "picture=stationery.pdf\ndx=1.5\ndy=1\n\n" + kept +
                                                    "\n[Database]\ndriver=sqlite\ndatabase=orders.db\n"
                                                    "query=\"SELECT * FROM orders WHERE no = :no\"\n"
                                                    "items=\"SELECT * FROM items WHERE order_no = :no\"\n");
        }
        main.openFile(q(note));
        showPage(main, main.TabSheet2);
        camera.take(QStringLiteral("main-window"), main);

        files.answers = {q(work / "delivery_note_data.txt")};
        main.btn_readdataClick();
        main.PageControl1->setCurrentWidget(main.TabSheet3);
        camera.take(QStringLiteral("test-data"), main);

        camera.takeModal(QStringLiteral("preview"), QStringLiteral("PreviewForm"), [&] { main.Print1Click(); });

        // The Layout page over the stationery, every row selected.
        showPage(main, main.TabSheet6);
        chooseZoom(layout, QStringLiteral("頁寬"));
        unselected(layout);
        camera.take(QStringLiteral("layout-stationery"), main);
        chooseZoom(layout, QStringLiteral("200 %"));
        unselected(layout);
        layout.layoutView->setFocus();
        QTest::keyClick(layout.layoutView, Qt::Key_A, Qt::ControlModifier);
        camera.take(QStringLiteral("layout-selected"), main);
        camera.takeModal(QStringLiteral("position"), QStringLiteral("TPositionForm"),
                         [&] { layout.btn_position->click(); });
        camera.takeModal(QStringLiteral("detail-dialog"), QStringLiteral("TDetailForm"),
                         [&] { layout.btn_detail->click(); });

        // The field dialog of the total in words.
        main.PageControl1->setCurrentWidget(main.TabSheet2);
        main.ListView1->clearSelection();
        QTreeWidgetItem* words = row(*main.ListView1, QStringLiteral("total_words"));
        words->setSelected(true);
        main.ListView1->setCurrentItem(words);
        camera.takeModal(QStringLiteral("field-dialog"), QStringLiteral("TFieldForm"), [&] { main.btn_BfieldClick(); });

        // The field dialog of the company's seal, a picture.
        main.ListView1->clearSelection();
        QTreeWidgetItem* seal = row(*main.ListView1, QStringLiteral("seal"));
        seal->setSelected(true);
        main.ListView1->setCurrentItem(seal);
        camera.takeModal(QStringLiteral("picture-dialog"), QStringLiteral("TFieldForm"), [&] { main.btn_BfieldClick(); });

        camera.takeModal(QStringLiteral("calibration"), QStringLiteral("CalibrationForm"),
                         [&] { main.MU_calibrateClick(); });

        // Many orders from one CSV file.
        main.PageControl1->setCurrentWidget(main.TabSheet3);
        files.answers = {q(work / "delivery_note_orders.csv")};
        camera.takeModal(QStringLiteral("orders-preview"), QStringLiteral("PreviewForm"),
                         [&] { main.btn_previewfileClick(); });

        // The database of the delivery note's orders, as its profile names it.
        camera.takeModal(QStringLiteral("database"), QStringLiteral("TDatabaseForm"),
                         [&] { main.btn_databaseClick(); });

        // The e-invoice proof's codes at 250 %.
        main.openFile(q(work / "einvoice_proof.txt"));
        files.answers = {q(work / "einvoice_proof_data.txt")};
        main.btn_readdataClick();
        showPage(main, main.TabSheet6);
        choosePrinter(layout, QStringLiteral("（無）紙張左上角"));
        chooseZoom(layout, QStringLiteral("整頁"));
        unselected(layout);
        camera.take(QStringLiteral("einvoice-layout"), main);
        main.btn_clearClick();

        // Continuous paper, and the dialog of a paper of one's own.
        main.openFile(q(work / "continuous_delivery.txt"));
        files.answers = {q(work / "continuous_delivery_data.txt")};
        main.btn_readdataClick();
        showPage(main, main.TabSheet6);
        chooseZoom(layout, QStringLiteral("整頁"));
        unselected(layout);
        camera.take(QStringLiteral("continuous-layout"), main);
        camera.takeModal(QStringLiteral("paper-form"), QStringLiteral("TPaperForm"), [&] {
            const int custom = layout.CB_paper->findText(QStringLiteral("自訂..."), Qt::MatchStartsWith);
            layout.CB_paper->setCurrentIndex(custom);
            emit layout.CB_paper->activated(custom);
        });
        main.btn_clearClick();

        // A new form from a worn scan of a bill and a CSV of two bills.
        const test::WornCaptionForm bill = test::wornCaptionForm();
        bill.scan.save(q(work / "bill-scan.png"));
        write(work / "bill.txt", "0\t0\t0\r\nLINE_INFO\t0\r\nLABEL_STRING\t0\r\nBLOCK_INFO\t0\r\n");
        write(work / "bill.zarvo", "picture=bill-scan.png\n");
        write(work / "bills.csv",
              "單號,客戶名稱,請款日期,品名,數量,單價,金額\r\n"
              "R001,祥和國際貿易股份有限公司台北市信義區分公司,2024-06-14,不鏽鋼螺絲 M6,200,3,600\r\n"
              "R001,,,平墊圈 M6,200,1,200\r\n"
              "R002,大同五金行,2024-06-15,六角螺帽 M8,50,4,200\r\n");
        main.openFile(q(work / "bill.txt"));
        showPage(main, main.TabSheet6);
        chooseZoom(layout, QStringLiteral("頁寬"));
        waitFor([&] { return layout.btn_detect->isEnabled(); }, 20000, "the scan");
        layout.btn_detect->click();
        FieldProposalPanel* panel = layout.findChild<FieldProposalPanel*>();
        if (!panel) Camera::fail("no proposals list");
        waitFor([&] { return !panel->busy() && !panel->reading(); }, 60000, "the proposals");
        chooseZoom(layout, QStringLiteral("頁寬"));
        camera.take(QStringLiteral("scan-proposals"), main);
        files.answers = {q(work / "bills.csv")};
        panel->btn_namesfrom->click();
        QTest::qWait(300);
        panel->LV_proposed->setCurrentItem(panel->LV_proposed->topLevelItem(2));
        panel->LV_proposed->editItem(panel->LV_proposed->topLevelItem(2), 0);
        QTest::qWait(300);
        camera.take(QStringLiteral("scan-names"), main);
        if (auto* editor = panel->findChild<QComboBox*>(QStringLiteral("CB_column")))
            QTest::keyClick(editor, Qt::Key_Escape);
        else
            Camera::fail("no drop-down of columns in the proposals list");
        panel->btn_acceptall->click();
        QTest::qWait(300);
        layout.ChB_names->setChecked(true);
        camera.take(QStringLiteral("scan-added"), main);
        // The group column typed, then 確定.
        camera.takeModal(
            QStringLiteral("scan-detail"), QStringLiteral("TDetailForm"), [&] { layout.btn_detail->click(); },
            [&](QWidget& dialog) {
                QTest::qWait(100);
                dialog.findChild<QPushButton*>(QStringLiteral("btn_ok"))->click();
            },
            [&](QWidget& dialog) {
                auto* group = dialog.findChild<QComboBox*>(QStringLiteral("CB_group"));
                if (!group) Camera::fail("no CB_group");
                group->setCurrentText(QStringLiteral("單號"));
            });
        files.answers = {q(work / "bills.csv")};
        layout.btn_checkdata->click();
        waitFor([&] { return layout.LV_nofit->topLevelItemCount() > 0 &&
                             !layout.LV_nofit->topLevelItem(0)->text(0).contains(QStringLiteral("檢查中")); },
                20000, "the check of the data");
        chooseZoom(layout, QStringLiteral("頁寬"));
        QTest::keyClick(layout.layoutView, Qt::Key_Escape);
        camera.take(QStringLiteral("scan-checkdata"), main);

        // Saved, then the data file's preview: one page a bill.
        main.Save1Click();
        showPage(main, main.TabSheet3);
        files.answers = {q(work / "bills.csv")};
        camera.takeModal(QStringLiteral("scan-preview"), QStringLiteral("PreviewForm"),
                         [&] { main.btn_previewfileClick(); });

        // The print service's list of web pages that may print: one from
        // service.conf, one the person allowed.
        {
            OriginAccess origins({{"https://erp.example.com"}, (home / "paired-origins").string()});
            TOriginsForm form(origins, {"https://erp.example.com"});
            form.show();
            camera.take(QStringLiteral("origins"), form);
            form.close();
        }

        camera.collectAll();
        if (dump) camera.printDump();
        // Leaves without closing the windows, so no question about unsaved work is asked.
        std::fflush(stdout);
        std::fflush(stderr);
        fs::remove_all(home);
        std::_Exit(0);
    }
}
