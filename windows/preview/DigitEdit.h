#pragma once
// Entry fields that take page numbers and counts.

class QLineEdit;

namespace zarvo {

// Lets only the digits 0 to 9 into edit, typed or pasted (a paste holding
// anything else is refused whole); maxLength > 0 limits its length.
void acceptDigitsOnly(QLineEdit& edit, int maxLength = 0);

}  // namespace zarvo
