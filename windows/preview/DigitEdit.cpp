#include "preview/DigitEdit.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace zarvo {

void acceptDigitsOnly(QLineEdit& edit, int maxLength) {
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    edit.setValidator(new QRegularExpressionValidator(digits, &edit));
    if (maxLength > 0) edit.setMaxLength(maxLength);
}

}  // namespace zarvo
