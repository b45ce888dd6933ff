#include "compose/PrintFeedback.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(PrintFeedbackTest, NamesTheSheetsThePrinterAndEveryJobInOrder) {
    struct Case {
        PrintReceipt receipt;
        std::string text;
    };
    const Case cases[] = {
        {{"office", 3, {17, 18}, {}}, "已送出 3 張到 office (工作 17, 18)"},
        {{"office", 1, {5}, {}}, "已送出 1 張到 office (工作 5)"},
        {{"印表機/副本", 12, {3, 4, 9}, {"第 1 頁超出"}}, "已送出 12 張到 印表機/副本 (工作 3, 4, 9)"},
        {{"PDF", 2, {}, {}}, "已送出 2 張到 PDF"},
    };
    for (const Case& c : cases) EXPECT_EQ(printedText(c.receipt), c.text);
}

}  // namespace
}  // namespace zarvo
