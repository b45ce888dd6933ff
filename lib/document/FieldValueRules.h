#pragma once
// What the editor dialogs require of a filled value so that the row reads
// back as typed: numbers the report reader takes, and names that stay one
// field of their row. Plain rules, without widgets.

#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include <QString>

namespace zarvo {

// A field that must hold a number: its control's object name, the value's
// name in messages and whether the reader takes it as an integer.
struct NumericField {
    std::string_view control;
    std::string_view name;
    bool integer;
};

// The block and label dialog's numeric fields, in checking order.
std::span<const NumericField> blockNumericFields();
// The line dialog's numeric fields, in checking order.
std::span<const NumericField> lineNumericFields();

// "「left」必須是數字" for the first field of order whose text(control) the
// report reader would not read whole as its number; nullopt when all do.
std::optional<QString> firstNonNumber(std::span<const NumericField> order,
                                      const std::function<QString(std::string_view control)>& text);

// Why name (a block name or a label's caption, called what in the message)
// would not read back as one field of its row: a blank, TAB or line break
// in it ("「label」不能有空白"; the full-width space is allowed), or a
// section keyword in any case, which would make its row a keyword line.
// nullopt when it is sound.
std::optional<QString> nameProblem(const QString& name, const QString& what);

}  // namespace zarvo
