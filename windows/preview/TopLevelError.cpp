#include "preview/TopLevelError.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QVariant>
#include <QWidget>

#include "report/ConversionError.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

constexpr const char* kOperationProperty = "zarvoOperation";

// Rethrows the error it is sent, from inside the application's delivery,
// on behalf of the object whose handler threw.
class Rethrower : public QObject {
public:
    struct ErrorEvent : QEvent {
        explicit ErrorEvent(std::exception_ptr e) : QEvent(QEvent::User), error(std::move(e)) {}
        std::exception_ptr error;
    };

    explicit Rethrower(QObject* origin) : origin_(origin) {}
    const QObject* origin() const { return origin_; }

protected:
    void customEvent(QEvent* event) override {
        std::rethrow_exception(static_cast<ErrorEvent*>(event)->error);
    }

private:
    QPointer<QObject> origin_;
};

// The operation object itself names, empty when none.
QString ownOperation(const QObject& object) {
    const QVariant named = object.property(kOperationProperty);
    if (named.isValid()) return named.toString();
    if (const auto* action = qobject_cast<const QAction*>(&object)) return operationCaption(action->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(&object)) return operationCaption(button->text());
    return {};
}

}  // namespace

void runHandler(const std::function<void()>& work, QObject* origin) {
    std::exception_ptr error;
    try {
        work();
    } catch (...) {
        error = std::current_exception();
    }
    if (!error) return;
    Rethrower rethrower(origin);
    Rethrower::ErrorEvent event(error);
    QCoreApplication::sendEvent(&rethrower, &event);
}

void nameOperation(QObject& object, const QString& name) { object.setProperty(kOperationProperty, name); }

QString operationCaption(const QString& caption) {
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        // A '&' marks the key letter after it; "&&" is a written ampersand.
        QChar c = caption[i];
        if (c == u'&') {
            if (++i == caption.size()) break;
            c = caption[i];
        }
        text += c;
    }
    static const QRegularExpression keyLetter(QStringLiteral("^[A-Za-z] +(?=\\S)"));
    text.remove(keyLetter);
    text = text.trimmed();
    if (text.endsWith(QStringLiteral("..."))) text.chop(3);
    return text.trimmed();
}

std::string operationOf(const QObject* receiver) {
    if (const auto* rethrower = dynamic_cast<const Rethrower*>(receiver)) receiver = rethrower->origin();
    const QWidget* window = nullptr;
    for (const QObject* object = receiver; object; object = object->parent()) {
        const QString name = ownOperation(*object);
        if (!name.isEmpty()) return name.toStdString();
        if (!window && object->isWidgetType()) window = static_cast<const QWidget*>(object)->window();
    }
    if (window && !window->windowTitle().isEmpty()) return window->windowTitle().toStdString();
    return "這個動作";
}

std::string topLevelErrorText(const std::exception& error, const std::string& operation) {
    if (dynamic_cast<const ReportError*>(&error) || dynamic_cast<const ConversionError*>(&error)) return error.what();
    return "無法完成「" + operation + "」的操作: 程式內部錯誤";
}

std::string unknownErrorText(const std::string& operation) {
    return "無法完成「" + operation + "」的操作: 發生無法辨識的錯誤, 這個動作已中止.";
}

}  // namespace zarvo
