#include "shell/VersionWindow.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>

#include "tests/support/ModalAnswerer.h"

namespace zarvo {
namespace {

using test::ModalAnswerer;

QPoint centredPosition(QSize size) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {screen.x() + (screen.width() - size.width()) / 2,
            screen.y() + (screen.height() - size.height()) / 2};
}

TEST(VersionWindowTest, WindowHasItsCaptionSizeBorderIconsAndPlace) {
    Tvinfo window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Zarvo 版本更新記錄"));
    EXPECT_EQ(window.size(), QSize(662, 443));
    EXPECT_EQ(window.pos(), centredPosition(QSize(662, 443)));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(window.font().pixelSize(), 11);
    EXPECT_EQ(QFontInfo(window.font()).styleHint(), QFont::SansSerif);
}

TEST(VersionWindowTest, MemoFillsTheWindowReadOnlyInTheChineseFace) {
    Tvinfo window;
    window.show();
    QPlainTextEdit* memo = window.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    ASSERT_EQ(memo, window.Memo1);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->geometry(), window.rect());
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(memo->verticalScrollBar()->isVisible());
    EXPECT_TRUE(memo->horizontalScrollBar()->isVisible());
    const QFontInfo face(memo->font());
    EXPECT_EQ(face.family(), QStringLiteral("AR PL UMing TW"));
    EXPECT_EQ(face.pixelSize(), 13);
    // The face really holds the ideographs, so the memo shows glyphs, not boxes.
    const QFontMetrics metrics(memo->font());
    for (const QChar ideograph : QStringLiteral("詳細繪製說明如下"))
        EXPECT_TRUE(metrics.inFont(ideograph)) << int(ideograph.unicode());
}

TEST(VersionWindowTest, MemoHoldsTheHistoryThenTheFormatInOrder) {
    Tvinfo window;
    const QString text = window.Memo1->toPlainText();
    const char* const inOrder[] = {
        "v2.0", "2000-3-24", "A3", "v2.1", "2000-7-12", "測試資料",
        "詳細繪製說明如下",
        "size xoffset  yoffset", "LINE_INFO", "style  width  x1  y1  x2  y2",
        "LABEL_STRING", "BLOCK_INFO",
        "5: A3 橫印", "印表機原點", "三個關鍵字",
        "0: 由左至右, 由上到下", "3: 由上到下, 由左至右",
        "只在 distributed 為 0 時有作用",
        "0: 否", "4: 水平靠中",
        "0: 細明體", "3: 標楷體(1-byte 轉 90 度)",
        "一般為 0", "Tab",
        "數字靠右", "垂直分佈邊界對齊", "水平分佈邊界對齊"};
    qsizetype from = 0;
    for (const char* const part : inOrder) {
        const qsizetype at = text.indexOf(QString::fromUtf8(part), from);
        ASSERT_GE(at, 0) << part << " missing or out of order";
        from = at + 1;
    }
}

TEST(VersionWindowTest, HelpOpensAModalWindowThatIsDestroyedOnClose) {
    QPointer<Tvinfo> opened;
    ModalAnswerer answerer([&](QWidget& modal) {
        opened = qobject_cast<Tvinfo*>(&modal);
        EXPECT_EQ(vinfo, opened.data());
        modal.close();
    });

    showVersionWindow();

    ASSERT_TRUE(answerer.answered());
    EXPECT_EQ(answerer.seen().className, QStringLiteral("zarvo::Tvinfo"));
    EXPECT_TRUE(opened.isNull());
    EXPECT_EQ(vinfo, nullptr);
}

TEST(VersionWindowTest, HelpAfterClosingBuildsAFreshCentredWindow) {
    QPointer<Tvinfo> first;
    ModalAnswerer moveAndEscape([&](QWidget& modal) {
        first = qobject_cast<Tvinfo*>(&modal);
        modal.move(0, 0);
        test::pressKey(Qt::Key_Escape)(modal);
    });
    showVersionWindow();
    ASSERT_TRUE(moveAndEscape.answered());
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(vinfo, nullptr);

    QPoint secondPosition;
    ModalAnswerer look([&](QWidget& modal) {
        secondPosition = modal.pos();
        modal.close();
    });
    showVersionWindow();
    ASSERT_TRUE(look.answered());
    EXPECT_EQ(secondPosition, centredPosition(QSize(662, 443)));
    EXPECT_EQ(vinfo, nullptr);
}

}  // namespace
}  // namespace zarvo
