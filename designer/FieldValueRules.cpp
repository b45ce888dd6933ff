#include "designer/FieldValueRules.h"

#include "designer/ReportSections.h"
#include "report/Big5.h"
#include "report/ByteStream.h"
#include "report/ReportReader.h"

namespace zarvo {

namespace {

constexpr NumericField blockFields[] = {
    {"ED_left", "left", false},     {"ED_top", "top", false},        {"ED_width", "width", false},
    {"ED_height", "height", false}, {"ED_rowgap", "rowgap", false},  {"ED_colgap", "colgap", false},
    {"ED_ychar", "ychar", false},   {"ED_xmargin", "xmargin", false}, {"ED_ymargin", "ymargin", false},
};

// The width is a pen code, read as an integer; the points are millimetres.
constexpr NumericField lineFields[] = {
    {"ED_width", "width", true}, {"ED_fx", "x1", false}, {"ED_fy", "y1", false},
    {"ED_tx", "x2", false},      {"ED_ty", "y2", false},
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
