#include "preview/TopLevelError.h"

#include <exception>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace zarvo {

namespace {

// Rethrows the error it is sent, from inside the application's delivery.
class Rethrower : public QObject {
public:
    struct ErrorEvent : QEvent {
        explicit ErrorEvent(std::exception_ptr e) : QEvent(QEvent::User), error(std::move(e)) {}
        std::exception_ptr error;
    };

protected:
    void customEvent(QEvent* event) override {
        std::rethrow_exception(static_cast<ErrorEvent*>(event)->error);
    }
};

}  // namespace

void runHandler(const std::function<void()>& work) {
    std::exception_ptr error;
    try {
        work();
    } catch (...) {
        error = std::current_exception();
    }
    if (!error) return;
    Rethrower rethrower;
    Rethrower::ErrorEvent event(error);
    QCoreApplication::sendEvent(&rethrower, &event);
}

}  // namespace zarvo
