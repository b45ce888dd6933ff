#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <string>

#include "report/Big5.h"
#include "tests/common/RecordingPresenter.h"

namespace zarvo {
namespace {

using test::RecordingPresenter;

TEST(MessagesTest, EachHelperShowsItsKindAndButtonsAndReturnsTheAnswer) {
    RecordingPresenter messages;
    for (const int answer : {ResultOk, ResultOk, ResultCancel, ResultNo}) messages.answer(answer);

    EXPECT_EQ(ShowInfo("info %d", 1), ResultOk);
    EXPECT_EQ(ShowWarning("warning %d", 2), ResultOk);
    EXPECT_EQ(AskOkCancel("尚未存檔, 是否確定離開 ?"), ResultCancel);
    EXPECT_EQ(AskYesNo("尚未存檔, 是否列印硬碟上的舊報表檔 ?"), ResultNo);

    const auto& shown = messages.shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].kind, MessageKind::Information);
    EXPECT_EQ(shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(shown[0].text, "info 1");
    EXPECT_EQ(shown[1].kind, MessageKind::Warning);
    EXPECT_EQ(shown[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(shown[1].text, "warning 2");
    EXPECT_EQ(shown[2].kind, MessageKind::Confirmation);
    EXPECT_EQ(shown[2].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(shown[2].text, "尚未存檔, 是否確定離開 ?");
    EXPECT_EQ(shown[3].kind, MessageKind::Confirmation);
    EXPECT_EQ(shown[3].buttons, MessageButtons::YesNo);
}

TEST(MessagesTest, ALongPathIsShownWhole) {
    RecordingPresenter messages;
    std::string path = "/home/使用者/";
    while (path.size() < 5000) path += "報表目錄/";
    path += "出貨單.txt";

    ShowWarning("找不到報表檔:\n\n%s\n\n所以無法列印", path.c_str());

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "找不到報表檔:\n\n" + path + "\n\n所以無法列印");
}

TEST(MessagesTest, ABig5FieldNameIsShownAsChinese) {
    RecordingPresenter messages;
    const std::string big5Name = "\xA4\xE9\xB4\xC1";  // 日期
    ShowInfo("欄位(%s)不存在,請檢查報表檔或原始程式.", big5ToUtf8(big5Name).c_str());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "欄位(日期)不存在,請檢查報表檔或原始程式.");
}

TEST(MessagesTest, FormatMessageKeepsEveryConversion) {
    const std::string longValue(10000, 'x');
    EXPECT_EQ(formatMessage("%s|%d%%|%s", "第一", 42, longValue.c_str()),
              "第一|42%|" + longValue);
    EXPECT_EQ(formatMessage("%s", ""), "");
}

TEST(MessagesTest, WithoutAPresenterTheTextGoesToStandardErrorAndTheFirstButtonAnswers) {
    MessagePresenter* installed = &messagePresenter();
    setMessagePresenter(nullptr);
    testing::internal::CaptureStderr();
    const int okCancel = AskOkCancel("離開 %s ?", "Zarvo");
    const int yesNo = AskYesNo("列印 ?");
    const std::string written = testing::internal::GetCapturedStderr();
    setMessagePresenter(installed);

    EXPECT_EQ(okCancel, ResultOk);
    EXPECT_EQ(yesNo, ResultYes);
    EXPECT_EQ(written, "離開 Zarvo ?\n列印 ?\n");
}

}  // namespace
}  // namespace zarvo
