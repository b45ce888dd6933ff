#include "designer/zarvo2.h"

namespace zarvo {

Tzarvo2_Form* zarvo2_Form = nullptr;

Tzarvo2_Form::Tzarvo2_Form(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Zarvo v2.1"));
}

}  // namespace zarvo
