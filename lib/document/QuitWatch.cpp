#include "document/QuitWatch.h"

#include <QCoreApplication>
#include <QEvent>

namespace zarvo {

QuitWatch::QuitWatch() {
    if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
}

QuitWatch::~QuitWatch() {
    if (QCoreApplication* application = QCoreApplication::instance()) application->removeEventFilter(this);
}

bool QuitWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) asked_ = true;
    return false;
}

}  // namespace zarvo
