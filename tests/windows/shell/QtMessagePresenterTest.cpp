#include "shell/QtMessagePresenter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "tests/support/ModalAnswerer.h"

namespace zarvo {
namespace {

using test::ModalAnswerer;

struct BoxCase {
    const char* name;
    MessageKind kind;
    MessageButtons buttons;
    ModalAnswerer::Action answer;
    int expected;
};

void PrintTo(const BoxCase& boxCase, std::ostream* out) { *out << boxCase.name; }

class QtMessagePresenterTest : public testing::TestWithParam<BoxCase> {};

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QStringList buttonTextsOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok: return {QStringLiteral("確定")};
    case MessageButtons::OkCancel: return {QStringLiteral("確定"), QStringLiteral("取消")};
    case MessageButtons::YesNo: return {QStringLiteral("是"), QStringLiteral("否")};
    }
    return {};
}

TEST_P(QtMessagePresenterTest, ShowsARealBoxAndReturnsTheModalResult) {
    const BoxCase& box = GetParam();
    QtMessagePresenter presenter;
    ModalAnswerer answerer(box.answer);

    EXPECT_EQ(presenter.present(box.kind, box.buttons, "尚未存檔, 是否確定離開 ?"), box.expected);

    ASSERT_TRUE(answerer.answered());
    EXPECT_FALSE(answerer.forced());
    EXPECT_EQ(answerer.seen().className, QStringLiteral("QMessageBox"));
    EXPECT_EQ(answerer.seen().text, QStringLiteral("尚未存檔, 是否確定離開 ?"));
    EXPECT_EQ(answerer.seen().icon, iconOf(box.kind));
    QStringList shownButtons = answerer.seen().buttonTexts;
    QStringList expectedButtons = buttonTextsOf(box.buttons);
    shownButtons.sort();
    expectedButtons.sort();
    EXPECT_EQ(shownButtons, expectedButtons);
}

using Kind = MessageKind;
using Buttons = MessageButtons;
using Role = QDialogButtonBox::ButtonRole;

INSTANTIATE_TEST_SUITE_P(
    Answers, QtMessagePresenterTest,
    testing::Values(
        BoxCase{"InfoOk", Kind::Information, Buttons::Ok, test::clickRole(Role::AcceptRole), 1},
        BoxCase{"InfoEsc", Kind::Information, Buttons::Ok, test::pressKey(Qt::Key_Escape), 1},
        BoxCase{"WarningOk", Kind::Warning, Buttons::Ok, test::clickText(QStringLiteral("確定")), 1},
        BoxCase{"WarningClosed", Kind::Warning, Buttons::Ok, test::closeWindow(), 1},
        BoxCase{"OkCancelOk", Kind::Confirmation, Buttons::OkCancel, test::clickRole(Role::AcceptRole), 1},
        BoxCase{"OkCancelCancel", Kind::Confirmation, Buttons::OkCancel, test::clickRole(Role::RejectRole), 2},
        BoxCase{"OkCancelEsc", Kind::Confirmation, Buttons::OkCancel, test::pressKey(Qt::Key_Escape), 2},
        BoxCase{"OkCancelClosed", Kind::Confirmation, Buttons::OkCancel, test::closeWindow(), 2},
        BoxCase{"YesNoYes", Kind::Confirmation, Buttons::YesNo, test::clickRole(Role::YesRole), 6},
        BoxCase{"YesNoNo", Kind::Confirmation, Buttons::YesNo, test::clickRole(Role::NoRole), 7},
        BoxCase{"YesNoEsc", Kind::Confirmation, Buttons::YesNo, test::pressKey(Qt::Key_Escape), 7},
        BoxCase{"YesNoClosed", Kind::Confirmation, Buttons::YesNo, test::closeWindow(), 7}),
    [](const testing::TestParamInfo<BoxCase>& info) { return std::string(info.param.name); });

TEST(QtMessagePresenterLongTextTest, ALongPathIsShownWholeAndTheBoxStaysOnTheScreen) {
    std::string path = "/home/<使用者>/";
    while (path.size() < 5000) path += "報表目錄/";
    const std::string text = "找不到報表檔:\n\n" + path + "\n\n所以無法列印";
    QtMessagePresenter presenter;
    bool shownWhole = false;
    QRect boxGeometry;
    QRect buttonGeometry;
    ModalAnswerer answerer([&](QWidget& modal) {
        for (QLabel* label : modal.findChildren<QLabel*>()) {
            if (label->isVisible() && label->text() == QString::fromStdString(text)) shownWhole = true;
        }
        boxGeometry = modal.frameGeometry();
        QWidget* ok = modal.findChild<QAbstractButton*>();
        buttonGeometry = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        test::clickRole(QDialogButtonBox::AcceptRole)(modal);
    });

    EXPECT_EQ(presenter.present(MessageKind::Warning, MessageButtons::Ok, text), 1);

    ASSERT_TRUE(answerer.answered());
    EXPECT_EQ(answerer.seen().text, QString::fromStdString(text));
    EXPECT_TRUE(shownWhole);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(boxGeometry.height(), screen.height());
    EXPECT_TRUE(screen.contains(buttonGeometry)) << buttonGeometry.y() << " " << buttonGeometry.height();
}

}  // namespace
}  // namespace zarvo
