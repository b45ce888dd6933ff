#include "platform/Messages.h"

#include <cstdarg>
#include <cstdio>

namespace zarvo {

namespace {

// Without a window system the text goes to standard error and the box is
// taken as answered with its first button.
class StderrPresenter : public MessagePresenter {
public:
    int present(MessageKind, MessageButtons buttons, const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return buttons == MessageButtons::YesNo ? ResultYes : ResultOk;
    }
};

StderrPresenter defaultPresenter;
MessagePresenter* installed = nullptr;
MessageWatch* innermostWatch = nullptr;

// Measures the formatted text first so that the buffer always holds it whole.
std::string formatArguments(const char* format, va_list args) {
    va_list measuring;
    va_copy(measuring, args);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    // A conversion the C library cannot perform still leaves the user a message.
    if (length < 0) return format;
    std::string text(static_cast<std::size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

}  // namespace

MessageWatch::MessageWatch() : outer_(innermostWatch) { innermostWatch = this; }

MessageWatch::~MessageWatch() { innermostWatch = outer_; }

int MessageWatch::present(MessageKind kind, MessageButtons buttons, const std::string& text) {
    for (MessageWatch* watch = innermostWatch; watch; watch = watch->outer_) watch->texts_.push_back(text);
    return messagePresenter().present(kind, buttons, text);
}

void setMessagePresenter(MessagePresenter* presenter) { installed = presenter; }

MessagePresenter& messagePresenter() { return installed ? *installed : defaultPresenter; }

std::string formatMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatArguments(format, args);
    va_end(args);
    return text;
}

// Each helper formats before presenting, so va_end runs even when a
// presenter throws.
int ShowInfo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatArguments(format, args);
    va_end(args);
    return MessageWatch::present(MessageKind::Information, MessageButtons::Ok, text);
}

int ShowWarning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatArguments(format, args);
    va_end(args);
    return MessageWatch::present(MessageKind::Warning, MessageButtons::Ok, text);
}

int AskOkCancel(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatArguments(format, args);
    va_end(args);
    return MessageWatch::present(MessageKind::Confirmation, MessageButtons::OkCancel, text);
}

int AskYesNo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = formatArguments(format, args);
    va_end(args);
    return MessageWatch::present(MessageKind::Confirmation, MessageButtons::YesNo, text);
}

}  // namespace zarvo
