#pragma once
// The four formatted message boxes and the seam behind them. The engine and
// every window report through these; the application installs a presenter
// that shows real dialogs, tests install one that answers.

#include <string>
#include <vector>

namespace zarvo {

enum class MessageKind { Information, Warning, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo };

// Modal results, as the callers test them.
enum ModalResult : int { ResultOk = 1, ResultCancel = 2, ResultYes = 6, ResultNo = 7 };

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Shows text (UTF-8) modally and returns the modal result of the answer.
    virtual int present(MessageKind kind, MessageButtons buttons, const std::string& text) = 0;
};

// Installs the presenter used by the helpers below (not owned); nullptr
// restores the default, which writes the text to standard error and answers
// with the first button of the set (OK or Yes).
void setMessagePresenter(MessagePresenter* presenter);
MessagePresenter& messagePresenter();

// Notes the text of every message the helpers below show while it lives,
// in order; watches may nest, each seeing every message.
class MessageWatch {
public:
    MessageWatch();
    ~MessageWatch();
    MessageWatch(const MessageWatch&) = delete;
    MessageWatch& operator=(const MessageWatch&) = delete;

    const std::vector<std::string>& texts() const { return texts_; }

    // Shows text through the installed presenter, noting it in every watch.
    static int present(MessageKind kind, MessageButtons buttons, const std::string& text);

private:
    MessageWatch* outer_;
    std::vector<std::string> texts_;
};

// printf-style formatting into a text of any length, never truncated. The
// format and %s arguments are UTF-8: callers decode Big5 texts (big5ToUtf8)
// before passing them, so the user reads them as Chinese.
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Information box, OK; returns 1.
int ShowInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Warning box, OK; returns 1.
int ShowWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Confirmation box, OK and Cancel; returns 1 or 2.
int AskOkCancel(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Confirmation box, Yes and No; returns 6 or 7.
int AskYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zarvo
