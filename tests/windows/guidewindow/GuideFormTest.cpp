#include "guidewindow/GuideForm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include "tests/common/TempDir.h"
#include "tests/support/ModalAnswerer.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;

const fs::path kGuide = fs::path(ZARVO_SOURCE_DIR) / "docs/guide";

class GuideFormTest : public testing::Test {
protected:
    ~GuideFormTest() override { closeGuide(); }

    static QString page() { return guideForm()->TB_guide->source().fileName(); }
    static QString text() { return guideForm()->TB_guide->toPlainText(); }
    static void click(const char* link) { emit guideForm()->TB_guide->anchorClicked(QUrl(QString::fromUtf8(link))); }
    static QPushButton& button(const char* name) {
        return *guideForm()->findChild<QPushButton*>(QString::fromLatin1(name));
    }
};

TEST_F(GuideFormTest, LinksBetweenPagesGoBackAndForthAndBackToTheContents) {
    showGuide("formats.md");
    ASSERT_NE(guideForm(), nullptr);
    EXPECT_EQ(guideForm()->objectName(), QStringLiteral("GuideForm"));
    EXPECT_TRUE(guideForm()->isVisible());
    EXPECT_EQ(page(), QStringLiteral("formats.md"));
    EXPECT_TRUE(text().contains(QStringLiteral("金額大寫"))) << text().toStdString();

    button("btn_contents").click();
    EXPECT_EQ(page(), QStringLiteral("index.md"));
    click("quick-start.md");
    EXPECT_EQ(page(), QStringLiteral("quick-start.md"));
    EXPECT_TRUE(text().contains(QStringLiteral("快速開始"))) << text().toStdString();
    button("btn_back").click();
    EXPECT_EQ(page(), QStringLiteral("index.md"));
    EXPECT_TRUE(text().contains(QStringLiteral("疑難排解"))) << text().toStdString();
    ASSERT_TRUE(button("btn_forward").isEnabled());
    button("btn_forward").click();
    EXPECT_EQ(page(), QStringLiteral("quick-start.md"));

    // The same window again, at another page.
    GuideForm* const first = guideForm();
    showGuide("calibration.md");
    EXPECT_EQ(guideForm(), first);
    EXPECT_EQ(page(), QStringLiteral("calibration.md"));
}

// Every picture of every page is read from the guide's folder, relative to its page.
TEST_F(GuideFormTest, EveryPageDrawsItsPictures) {
    showGuide("index.md");
    int pictures = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kGuide)) {
        if (entry.path().extension() != ".md") continue;
        click(entry.path().filename().c_str());
        ASSERT_EQ(page().toStdString(), entry.path().filename().string());
        QTextDocument& document = *guideForm()->TB_guide->document();
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                const QTextCharFormat format = fragment.fragment().charFormat();
                if (!format.isImageFormat()) continue;
                const QString name = format.toImageFormat().name();
                EXPECT_FALSE(guideForm()->TB_guide->loadResource(QTextDocument::ImageResource, QUrl(name)).isNull())
                    << entry.path().filename() << ": " << name.toStdString();
                ++pictures;
            }
    }
    EXPECT_GT(pictures, 0);
}

// A screenshot wider than the window is drawn at the window's width.
TEST_F(GuideFormTest, APictureWiderThanTheWindowIsShrunkToFit) {
    test::TempDir dir;
    fs::create_directories(dir.path() / "images");
    QImage wide(2000, 500, QImage::Format_RGB32), narrow(300, 100, QImage::Format_RGB32);
    wide.fill(Qt::white);
    narrow.fill(Qt::white);
    ASSERT_TRUE(wide.save(QString::fromStdString((dir.path() / "images/wide.png").string())));
    ASSERT_TRUE(narrow.save(QString::fromStdString((dir.path() / "images/narrow.png").string())));
    dir.write("index.md", "# 目錄\n\n![寬](images/wide.png)\n\n![窄](images/narrow.png)\n");
    GuideForm form;
    form.showPage(dir.path(), {}, "index.md");
    std::map<QString, double> widths;
    QTextDocument& document = *form.TB_guide->document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextImageFormat format = fragment.fragment().charFormat().toImageFormat();
            if (format.isValid()) widths[format.name()] = format.width();
        }
    ASSERT_EQ(widths.size(), 2u);
    EXPECT_GT(widths[QStringLiteral("images/wide.png")], 0);
    EXPECT_LT(widths[QStringLiteral("images/wide.png")], form.width());
    EXPECT_EQ(widths[QStringLiteral("images/narrow.png")], 0);  // its own size
}

TEST_F(GuideFormTest, AMissingGuideOrPageIsSaidInChinese) {
    GuideForm form;
    const std::vector<fs::path> tried{"/nowhere/share/zarvo/guide", "/nowhere/docs/guide"};
    form.showPage(std::nullopt, tried, "index.md");
    const QString said = form.TB_guide->toPlainText();
    EXPECT_TRUE(said.startsWith(QStringLiteral("找不到使用手冊"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("/nowhere/docs/guide"))) << said.toStdString();
    EXPECT_FALSE(form.btn_contents->isEnabled());

    form.showPage(kGuide, tried, "no-such-page.md");
    EXPECT_TRUE(form.TB_guide->toPlainText().startsWith(QStringLiteral("找不到使用手冊的這一頁")))
        << form.TB_guide->toPlainText().toStdString();
}

// Over a modal dialog the guide is modal itself, so it can be read; beside
// the windows it is not, and it never keeps the program running.
TEST_F(GuideFormTest, TheGuideIsModalOnlyOverAModalDialog) {
    showGuide("index.md");
    EXPECT_EQ(guideForm()->windowModality(), Qt::NonModal);
    EXPECT_FALSE(guideForm()->testAttribute(Qt::WA_QuitOnClose));

    QDialog dialog;
    Qt::WindowModality over = Qt::NonModal;
    QWidget* active = nullptr;
    test::ModalAnswerer answerer([&](QWidget& modal) {
        showGuide("calibration.md");
        over = guideForm()->windowModality();
        active = QApplication::activeModalWidget();
        guideForm()->close();
        modal.close();
    });
    dialog.exec();
    EXPECT_TRUE(answerer.answered());
    EXPECT_EQ(over, Qt::ApplicationModal);
    EXPECT_EQ(active, guideForm());
}

}  // namespace
}  // namespace zarvo
