#include "preview/PreviewForm.h"

#include <filesystem>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include "engine/PageFileName.h"
#include "compose/TestPage.h"
#include "report/TestDataLine.h"
#include "tests/common/Command.h"
#include "tests/windows/preview/PreviewWindows.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/TextInput.h"

namespace zarvo {
namespace {

using test::ModalAnswerer;

class PreviewFormTest : public test::PreviewWindows {
protected:
    // What the window shows of its page: "第n頁 共N頁", then "<" when
    // "上一頁" is enabled and ">" when "下一頁" is.
    std::string indicator() {
        std::string shown = (control<QLabel>(*preview, "Label1").text() + " " +
                             control<QLabel>(*preview, "Label2").text()).toStdString();
        if (control<QPushButton>(*preview, "Button4").isEnabled()) shown += " <";
        if (control<QPushButton>(*preview, "Button3").isEnabled()) shown += " >";
        return shown;
    }
    void click(const char* name) { control<QPushButton>(*preview, name).click(); }
    // A shown preview of the delivery note with its test data.
    void showDeliveryNote() {
        const std::string examples = std::string(ZARVO_SOURCE_DIR) + "/examples/";
        newPreview(0, false);
        writeTestPage(preview->pages(), examples + "delivery_note.txt",
                      splitTestDataLines(test::TempDir::read(examples + "delivery_note_data.txt")));
        preview->show();
        preview->RenderPages();
    }
    void enterPage(const QString& text) {
        QLineEdit& e1 = control<QLineEdit>(*preview, "E1");
        e1.setText(text);
        QTest::keyClick(&e1, Qt::Key_Return);
    }
};

TEST_F(PreviewFormTest, TheIndicatorAndButtonsFollowThePageOnShow) {
    newPreview(1);
    EXPECT_EQ(indicator(), "第1頁 共1頁");

    newPreview(3);
    EXPECT_EQ(indicator(), "第1頁 共3頁 >");
    click("Button3");
    EXPECT_EQ(indicator(), "第2頁 共3頁 < >");
    click("Button3");
    EXPECT_EQ(indicator(), "第3頁 共3頁 <");
    EXPECT_EQ(preview->currentPage(), 2);
    click("Button4");
    EXPECT_EQ(indicator(), "第2頁 共3頁 < >");
    enterPage("1");
    EXPECT_EQ(indicator(), "第1頁 共3頁 >");
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PreviewFormTest, EnterOnARejectedPageNumberChangesNothing) {
    newPreview(3);
    click("Button3");
    for (const char* text : {"", "0", "05", "4", "99999999999999"}) {
        SCOPED_TRACE(text);
        enterPage(QString::fromLatin1(text));
        EXPECT_EQ(indicator(), "第2頁 共3頁 < >");
        EXPECT_EQ(preview->currentPage(), 1);
        EXPECT_EQ(control<QLineEdit>(*preview, "E1").text(), QString::fromLatin1(text));
    }
    enterPage("3");
    EXPECT_EQ(preview->currentPage(), 2);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PreviewFormTest, OnlyDigitsReachThePageNumberTypedOrPasted) {
    newPreview(1);
    QLineEdit& e1 = control<QLineEdit>(*preview, "E1");
    e1.clear();
    test::typeText(e1, QStringLiteral("1a,2 中.3"));
    EXPECT_EQ(e1.text(), QStringLiteral("123"));
    for (const char* pasted : {"x", "4b", " 5"}) {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(pasted));
        e1.paste();
        EXPECT_EQ(e1.text(), QStringLiteral("123")) << pasted;
    }
    QGuiApplication::clipboard()->setText(QStringLiteral("45"));
    e1.paste();
    EXPECT_EQ(e1.text(), QStringLiteral("12345"));
}

TEST_F(PreviewFormTest, ChangingPagesKeepsTheScrollPosition) {
    newPreview(2);
    auto& box = control<QScrollArea>(*preview, "ScrollBox1");
    EXPECT_TRUE(box.horizontalScrollBar()->hasTracking());
    EXPECT_TRUE(box.verticalScrollBar()->hasTracking());
    box.horizontalScrollBar()->setValue(300);
    box.verticalScrollBar()->setValue(500);
    click("Button3");
    click("Button4");
    EXPECT_EQ(box.horizontalScrollBar()->value(), 300);
    EXPECT_EQ(box.verticalScrollBar()->value(), 500);
}

TEST_F(PreviewFormTest, ThePrinterListFollowsTheSpooler) {
    struct Case {
        std::vector<PrinterInfo> printers;
        QStringList items;
        std::string printerName;
    };
    const Case cases[] = {
        {{{"Office", false}, {"Lab", true}}, {"Office", "Lab"}, "Lab"},
        {{{"Office", false}, {"Lab", false}}, {"Office", "Lab"}, "Office"},
        {{}, {}, ""},
    };
    for (const Case& c : cases) {
        usePrinters(c.printers);
        newPreview(1, false);
        QComboBox& list = control<QComboBox>(*preview, "ComboBox1");
        QStringList items;
        for (int i = 0; i < list.count(); ++i) items << list.itemText(i);
        EXPECT_EQ(items, c.items);
        EXPECT_EQ(preview->printerName(), c.printerName);
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PreviewFormTest, LeavingKeepsThePageFilesAndDestructionDeletesThemAtOnce) {
    TPreviewForm& first = newPreview(2);
    EXPECT_EQ(PreviewForm, &first);
    const std::vector<std::string> files = pageFiles();
    click("Button1");
    EXPECT_FALSE(first.isVisible());
    for (const std::string& file : files) EXPECT_TRUE(std::filesystem::exists(file));

    // The designer destroys the window before it makes the next one.
    preview.reset();
    EXPECT_EQ(PreviewForm, nullptr);
    for (const std::string& file : files) EXPECT_FALSE(std::filesystem::exists(file));
    TPreviewForm& second = newPreview(1);
    EXPECT_EQ(PreviewForm, &second);
    EXPECT_TRUE(std::filesystem::exists(pageFiles()[0]));
}

TEST_F(PreviewFormTest, TheFirstPageShowsTheWindowModallyAtTheTopLeft) {
    TPreviewForm& form = newPreview(1, false);
    ModalAnswerer answerer(test::clickText(QStringLiteral("離開")));
    bool c1Hidden = false;
    QPoint place(-1, -1);
    QTimer::singleShot(0, [&] {
        c1Hidden = !control<QComboBox>(form, "c1").isVisible();
        place = form.pos();
    });
    form.RenderPages();
    EXPECT_TRUE(answerer.answered());
    EXPECT_EQ(answerer.seen().className, QStringLiteral("zarvo::TPreviewForm"));
    EXPECT_EQ(answerer.seen().title, QStringLiteral("PreviewForm"));
    EXPECT_TRUE(c1Hidden);
    EXPECT_EQ(place, QPoint(0, 0));
    // The panel and the page, then the status bar below them.
    const QStatusBar& status = control<QStatusBar>(form, "ST_preview");
    EXPECT_GT(status.height(), 0);
    EXPECT_EQ(status.geometry(), QRect(0, 602, 800, status.height()));
    EXPECT_EQ(form.minimumSize(), QSize(800, 602 + status.height()));
    EXPECT_EQ(form.size(), form.minimumSize());
    EXPECT_FALSE(form.isVisible());
}

// The window can be enlarged to see a whole sheet: the page takes the room
// gained, and "整頁" shows the sheet whole, its proportions kept.
TEST_F(PreviewFormTest, AnEnlargedWindowShowsTheWholePage) {
    showDeliveryNote();
    QWidget& image1 = control<QWidget>(*preview, "Image1");
    const QSize page = image1.size();
    EXPECT_TRUE(preview->windowFlags() & Qt::WindowMaximizeButtonHint);

    preview->resize(1200, 1000);
    QScrollArea& scroll = control<QScrollArea>(*preview, "ScrollBox1");
    const QStatusBar& status = control<QStatusBar>(*preview, "ST_preview");
    EXPECT_EQ(scroll.size(), QSize(1200, 1000 - 73 - status.height()));
    EXPECT_EQ(status.geometry().bottom(), 999);
    EXPECT_EQ(image1.size(), page) << "100 %";

    QComboBox& zoom = control<QComboBox>(*preview, "CB_zoom");
    zoom.setCurrentText(QStringLiteral("整頁"));
    const QSize room = scroll.maximumViewportSize();
    EXPECT_TRUE(image1.width() == room.width() || image1.height() == room.height());
    EXPECT_LE(image1.width(), room.width());
    EXPECT_LE(image1.height(), room.height());
    EXPECT_NEAR(double(image1.width()) / image1.height(), double(page.width()) / page.height(), 0.01);
    zoom.setCurrentText(QStringLiteral("100 %"));
    EXPECT_EQ(image1.size(), page);
}

TEST_F(PreviewFormTest, ThePageOnScreenIsTheRenderersImagePixelForPixel) {
    showDeliveryNote();
    QWidget& image1 = control<QWidget>(*preview, "Image1");
    const QImage shown = image1.grab().toImage().convertToFormat(QImage::Format_RGB32);

    const std::string examples = std::string(ZARVO_SOURCE_DIR) + "/examples/";
    const std::string png = (dir.path() / "note.png").string();
    const test::CommandResult rendered = test::runCommand(
        std::string(ZARVO_RENDER) + " --data-dir '" + (dir.path() / "cli").string() + "' --png '" + png +
            "' " + examples + "delivery_note.txt " + examples + "delivery_note_data.txt",
        dir);
    ASSERT_EQ(rendered.status, 0) << rendered.err;
    const QImage expected = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(shown == expected);
    shown.save(QStringLiteral("/tmp/zarvo-preview-image1.png"));
}

TEST_F(PreviewFormTest, TheSecondRowOfThePanelSavesAPdf) {
    newPreview(1);
    const QWidget& p1 = control<QWidget>(*preview, "P1");
    EXPECT_EQ(p1.geometry(), QRect(0, 0, 800, 73));
    EXPECT_EQ(control<QScrollArea>(*preview, "ScrollBox1").geometry(), QRect(0, 73, 800, 602 - 73));
    const auto& save = control<QPushButton>(*preview, "btn_savepdf");
    EXPECT_EQ(save.pos(), QPoint(8, 44));
    EXPECT_EQ(save.text(), QStringLiteral("存成 PDF..."));
    const auto& overStationery = control<QCheckBox>(*preview, "ChB_stationery");
    EXPECT_EQ(overStationery.pos(), QPoint(100, 44));
    EXPECT_EQ(overStationery.text(), QStringLiteral("含底圖"));
    EXPECT_FALSE(overStationery.isEnabled());
    preview->setStationery([](const std::string&) { return PdfSheetOptions{}; });
    EXPECT_TRUE(overStationery.isEnabled());
    preview->grab().save(QStringLiteral("/tmp/zarvo-preview-window.png"));
}

TEST_F(PreviewFormTest, SaveAsPdfWritesEveryPageAsPrintedAndLeavesThePreviewAsItWas) {
    // pdfinfo's size of each page: page k is on paper k - 1.
    const std::string sizes[] = {"595 x 842 pts (A4)", "842 x 595 pts (A4)", "1032 x 729 pts"};
    const std::string pdf = (dir.path() / "saved.pdf").string();
    struct Case {
        const char* what;
        bool chosen;
        bool written;
    };
    const Case cases[] = {{"cancelled", false, false}, {"chosen", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        newPreview(3);
        click("Button3");
        int asked = 0;
        setPdfFileChooser([&](QWidget* parent) -> std::optional<QString> {
            ++asked;
            EXPECT_EQ(parent, preview.get());
            if (!c.chosen) return std::nullopt;
            return QString::fromStdString(pdf);
        });
        click("btn_savepdf");
        setPdfFileChooser({});
        EXPECT_EQ(asked, 1);
        ASSERT_EQ(std::filesystem::exists(pdf), c.written);
        EXPECT_TRUE(spooler->printersUsed.empty());
        EXPECT_EQ(preview->previewMode(), 1);
        EXPECT_EQ(indicator(), "第2頁 共3頁 < >");
        EXPECT_TRUE(messages.shown().empty());
    }
    const test::CommandResult info = test::runCommand("pdfinfo -f 1 -l 3 '" + pdf + "'", dir);
    const std::size_t pages = info.out.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info.out;
    EXPECT_EQ(std::stoi(info.out.substr(pages + 6)), 3);
    for (int page = 0; page < 3; ++page) {
        const std::string line = "Page    " + std::to_string(page + 1) + " size:  " + sizes[page];
        EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
    }
}

TEST_F(PreviewFormTest, PagesThatCannotBeReadAreSaidOncePerPageShown) {
    const std::string damaged = dir.write("damaged.txt", "0\t0\t0\r\nLINE_INFO\t2\r\n0\t1\t1\t1\t9\t9\r\nx\r\n");
    newPreview(0, false);
    writeTestPage(preview->pages(), damaged, {});
    writeTestPage(preview->pages(), reportOnPaper(0), {});
    preview->show();
    preview->RenderPages();
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_NE(messages.texts()[0].find("damaged.txt"), std::string::npos);
    click("Button3");
    click("Button4");
    EXPECT_EQ(messages.texts().size(), 2u);

    std::filesystem::remove(pageFiles()[1]);
    click("Button3");
    ASSERT_EQ(messages.texts().size(), 3u);
    EXPECT_NE(messages.texts()[2].find("無法開啟資料檔"), std::string::npos);
}

}  // namespace
}  // namespace zarvo
