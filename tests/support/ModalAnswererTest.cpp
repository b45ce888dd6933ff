#include "tests/support/ModalAnswerer.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace zarvo::test {
namespace {

// A dialog with a standard button box and one plain button of its own.
class SampleDialog : public QDialog {
public:
    SampleDialog() {
        setWindowTitle(QStringLiteral("範例"));
        auto* layout = new QVBoxLayout(this);
        auto* plain = new QPushButton(QStringLiteral("&Y 確定"), this);
        connect(plain, &QPushButton::clicked, this, [this] { done(5); });
        layout->addWidget(plain);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    }
};

TEST(ModalAnswererTest, ClicksAButtonBoxButtonByRole) {
    SampleDialog dialog;
    ModalAnswerer answerer(clickRole(QDialogButtonBox::RejectRole));
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(answerer.answered());
    EXPECT_FALSE(answerer.forced());
    EXPECT_EQ(answerer.seen().title, QStringLiteral("範例"));
    EXPECT_TRUE(answerer.seen().buttonTexts.contains(QStringLiteral("Y 確定")));
}

TEST(ModalAnswererTest, ClicksAPlainButtonByItsTextWithoutMnemonic) {
    SampleDialog dialog;
    ModalAnswerer answerer(clickText(QStringLiteral("Y 確定")));
    EXPECT_EQ(dialog.exec(), 5);
}

TEST(ModalAnswererTest, LeavesTheModalThatWasAlreadyOpenAlone) {
    SampleDialog outer;
    int innerResult = -1;
    // The inner answerer is made while the outer dialog is the active modal.
    ModalAnswerer opener([&](QWidget&) {
        SampleDialog inner;
        ModalAnswerer answerer(clickRole(QDialogButtonBox::AcceptRole));
        innerResult = inner.exec();
        outer.done(9);
    });
    EXPECT_EQ(outer.exec(), 9);
    EXPECT_EQ(innerResult, QDialog::Accepted);
}

TEST(ModalAnswererTest, ClosesByForceAModalTheActionLeavesOpen) {
    SampleDialog dialog;
    ModalAnswerer answerer([](QWidget&) {}, 50);
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(answerer.forced());
}

}  // namespace
}  // namespace zarvo::test
