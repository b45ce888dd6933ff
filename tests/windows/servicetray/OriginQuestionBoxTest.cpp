// The question put when a web page asks to print: asked from a server
// thread, shown on the tray's, answered once whichever way it ends.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

#include "servicetray/OriginQuestionBox.h"
#include "tests/support/QtTestMain.h"
#include "tests/windows/servicetray/EventWait.h"

namespace zarvo {
namespace {

using test::waitFor;
using namespace std::chrono_literals;

QAbstractButton* buttonNamed(QMessageBox& box, const char* name) {
    return box.findChild<QAbstractButton*>(QLatin1String(name));
}

TEST(OriginQuestionBoxTest, TheAnswerGoesBackOnceWhicheverWayTheBoxEnds) {
    struct Case {
        const char* name;
        std::chrono::milliseconds timeout;
        std::function<void(TOriginQuestion&, QMessageBox&)> act;  // nothing: let the time run out
        bool yes;
    };
    const Case cases[] = {
        {"允許", 120s, [](TOriginQuestion&, QMessageBox& box) { buttonNamed(box, "btn_allow")->click(); }, true},
        {"不允許", 120s, [](TOriginQuestion&, QMessageBox& box) { buttonNamed(box, "btn_deny")->click(); }, false},
        {"closed", 120s, [](TOriginQuestion&, QMessageBox& box) { box.close(); }, false},
        {"time out", 50ms, {}, false},
        {"withdrawn", 120s, [](TOriginQuestion& question, QMessageBox&) { question.withdraw(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOriginQuestion question(c.timeout);
        std::atomic<int> answers = 0;
        std::atomic<bool> yes = false;
        // Asked as the server asks, from a thread of its own.
        std::thread server([&] {
            question.ask("https://erp.example.com", [&](bool answer) {
                yes = answer;
                ++answers;
            });
        });
        server.join();
        ASSERT_TRUE(waitFor([&] { return !question.openBoxes().empty() || answers > 0; }));
        if (c.act) {
            ASSERT_EQ(question.openBoxes().size(), 1u);
            QMessageBox& box = *question.openBoxes().front();
            EXPECT_EQ(box.objectName(), "OriginQuestionBox");
            EXPECT_EQ(box.text(), "允許 https://erp.example.com 使用本機印表機列印嗎?");
            EXPECT_FALSE(box.isModal());
            c.act(question, box);
        }
        EXPECT_TRUE(waitFor([&] { return answers > 0 && question.openBoxes().empty(); }));
        // Nothing more comes, not even when the question goes.
        QCoreApplication::processEvents();
        question.withdraw();
        EXPECT_EQ(answers, 1);
        EXPECT_EQ(yes, c.yes);
    }
}

TEST(OriginQuestionBoxTest, AfterTheQuestionsAreWithdrawnTheAnswerIsNoAtOnce) {
    TOriginQuestion question(120s);
    question.withdraw();
    std::optional<bool> answer;
    question.ask("https://erp.example.com", [&](bool yes) { answer = yes; });
    EXPECT_EQ(answer, false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(question.openBoxes().empty());
}

}  // namespace
}  // namespace zarvo
