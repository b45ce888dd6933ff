#include "document/FieldStyleInput.h"

#include "report/Big5.h"
#include "report/TestDataLine.h"

namespace zarvo {

FrameRow frameRowOf(const std::string& big5Name, const QStringList& values) {
    const auto number = [&values](int field) { return field < values.size() ? values[field].toFloat() : 0.0f; };
    FrameRow row;
    row.style = static_cast<int>(number(0));
    row.left = number(1);
    row.top = number(2);
    row.width = number(3);
    row.height = number(4);
    row.rowgap = number(5);
    row.colgap = number(6);
    row.distributed = static_cast<int>(number(7));
    row.font = static_cast<int>(number(8));
    row.ychar = number(9);
    row.xmargin = number(10);
    row.ymargin = number(11);
    row.label = big5Name;
    return row;
}

std::string testDataValue(const QStringList& lines, const std::string& big5Name) {
    std::string value;
    for (const QString& line : lines) {
        const std::optional<std::string> bytes = utf8ToBig5(line.toStdString());
        if (!bytes) continue;
        const TestDataField field = readTestDataLine(*bytes);
        if (field.name == big5Name) value = field.value;
    }
    return value;
}

FormProfile withBlockSection(FormProfile profile, const std::string& sectionName, const ProfileSection& chosen) {
    profile.removeSection(sectionName);
    if (!chosen.entries.empty()) profile.sectionFor(chosen.name) = chosen;
    return profile;
}

}  // namespace zarvo
