#include "document/FieldValueRules.h"

#include "document/ReportSections.h"
#include "report/Big5.h"
#include "report/ByteStream.h"
#include "report/ReportReader.h"
#include "report/RowSchema.h"

namespace zarvo {

namespace {

// A control holding column's value, named and read as the column is.
constexpr NumericField field(std::string_view control, const RowColumn& column) {
    return {control, column.name, column.whole};
}
constexpr NumericField field(std::string_view control, FrameColumn column) {
    return field(control, kFrameColumns[std::size_t(zarvo::column(column))]);
}
constexpr NumericField field(std::string_view control, LineColumn column) {
    return field(control, kLineColumns[std::size_t(zarvo::column(column))]);
}

// The style, distribution and font are chosen from lists.
constexpr NumericField blockFields[] = {
    field("ED_left", FrameColumn::Left),       field("ED_top", FrameColumn::Top),
    field("ED_width", FrameColumn::Width),     field("ED_height", FrameColumn::Height),
    field("ED_rowgap", FrameColumn::RowGap),   field("ED_colgap", FrameColumn::ColGap),
    field("ED_ychar", FrameColumn::YChar),     field("ED_xmargin", FrameColumn::XMargin),
    field("ED_ymargin", FrameColumn::YMargin),
};

// The style is chosen from a list; the width is a pen code.
constexpr NumericField lineFields[] = {
    field("ED_width", LineColumn::Width), field("ED_fx", LineColumn::X1), field("ED_fy", LineColumn::Y1),
    field("ED_tx", LineColumn::X2),       field("ED_ty", LineColumn::Y2),
};

bool readsAsNumber(const QString& text, bool integer) {
    // A character Big5 cannot hold is in no number.
    const std::optional<std::string> bytes = utf8ToBig5(text.toStdString());
    return bytes && ReportReader::readsAsNumber(*bytes, integer);
}

bool holdsFieldSpace(const QString& name) {
    for (const QChar c : name)
        if (c.unicode() < 0x80 && isFieldSpace(c.unicode())) return true;
    return false;
}

QString quoted(const QString& what) { return u'「' + what + u'」'; }

}  // namespace

std::span<const NumericField> blockNumericFields() { return blockFields; }

std::span<const NumericField> lineNumericFields() { return lineFields; }

std::optional<QString> firstNonNumber(std::span<const NumericField> order,
                                      const std::function<QString(std::string_view control)>& text) {
    for (const NumericField& field : order) {
        if (!readsAsNumber(text(field.control), field.integer))
            return quoted(QString::fromLatin1(field.name.data(), qsizetype(field.name.size()))) +
                   QStringLiteral("必須是數字");
    }
    return std::nullopt;
}

std::optional<QString> nameProblem(const QString& name, const QString& what) {
    if (holdsFieldSpace(name)) return quoted(what) + QStringLiteral("不能有空白");
    for (const Section section : {Section::Lines, Section::Labels, Section::Blocks}) {
        if (isKeywordLine(name, section))
            return quoted(what) + QStringLiteral("不能含有 ") + sectionKeyword(section);
    }
    return std::nullopt;
}

}  // namespace zarvo
