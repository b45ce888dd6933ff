#include "document/LayoutBinding.h"

#include <charconv>
#include <variant>

#include "document/Big5TextFile.h"
#include "engine/FormProfileFile.h"
#include "layoutmodel/BlockSections.h"
#include "layoutmodel/Millimetres.h"
#include "layoutmodel/RowShape.h"
#include "report/RowSchema.h"

namespace zarvo {

namespace {

RowText rowText(const ListRow& row) {
    RowText text{row.caption.toStdString(), {}};
    for (const QString& value : row.values) text.values.push_back(value.toStdString());
    return text;
}

ListRow listRowOf(const RowText& row) {
    ListRow list{QString::fromStdString(row.caption), {}};
    for (const std::string& value : row.values) list.values.append(QString::fromStdString(value));
    return list;
}

// The Big5 bytes of text, each character Big5 cannot hold written as "?":
// the drawing goes on while the user mends it.
std::string drawableBig5(QString text) {
    for (;;) {
        auto encoded = encodeBig5Text(text);
        if (auto* bytes = std::get_if<std::string>(&encoded)) return std::move(*bytes);
        const char32_t bad = std::get<UnencodableCharacter>(encoded).character;
        text.replace(QString::fromUcs4(&bad, 1), QStringLiteral("?"));
    }
}

// A new row's texts: the positions of shape, every other field empty, as
// the list pages' new rows are.
ListRow newRow(const NewShape& shape, int valueCount) {
    ListRow row{QString(), QStringList(valueCount, QString())};
    const auto put = [&row](int field, double mm) { row.values[field] = QString::fromStdString(formatTenths(mm)); };
    if (shape.kind == RowKind::Line) {
        put(valueIndex(LineColumn::X1), shape.start.x);
        put(valueIndex(LineColumn::Y1), shape.start.y);
        put(valueIndex(LineColumn::X2), shape.end.x);
        put(valueIndex(LineColumn::Y2), shape.end.y);
    } else {
        const RectMm frame = rectFromCorners(shape.start, shape.end);
        put(valueIndex(FrameColumn::Left), frame.left);
        put(valueIndex(FrameColumn::Top), frame.top);
        put(valueIndex(FrameColumn::Width), frame.right - frame.left);
        put(valueIndex(FrameColumn::Height), frame.bottom - frame.top);
    }
    return row;
}

}  // namespace

Section sectionOf(RowKind kind) {
    switch (kind) {
    case RowKind::Line: return Section::Lines;
    case RowKind::Label: return Section::Labels;
    case RowKind::Block:
    case RowKind::Form: break;
    }
    return Section::Blocks;
}

RowKind rowKindOf(Section section) {
    switch (section) {
    case Section::Lines: return RowKind::Line;
    case Section::Labels: return RowKind::Label;
    case Section::Blocks: return RowKind::Block;
    }
    return RowKind::Block;
}

std::string LayoutBinding::reportBytes() { return reportBytes([](RowRef) { return true; }); }

std::string LayoutBinding::reportBytes(const std::function<bool(RowRef)>& keep) {
    return drawableBig5(document_.textWithRows([&keep](Section section, qsizetype index) {
        return keep(RowRef{rowKindOf(section), int(index)});
    }));
}

std::shared_ptr<const FormProfile> LayoutBinding::profile() { return document_.profile(); }

RowText LayoutBinding::formRow() {
    return RowText{std::to_string(document_.headerPaperCode()), {formProfileText(*document_.profile())}};
}

std::optional<RowText> LayoutBinding::fieldStyleRow(RowRef row) {
    if (row.kind != RowKind::Block) return std::nullopt;
    return dialogs_.fieldStyleRow(row.index);
}

void LayoutBinding::applyFormRow(const RowText& row) {
    int code = 0;
    if (std::from_chars(row.caption.data(), row.caption.data() + row.caption.size(), code).ec == std::errc()) {
        document_.setHeaderPaperCode(code);
    }
    document_.setProfile(
        profileFromText(row.values.empty() ? std::string() : row.values.front()).withoutStoppingFaults());
}

std::string LayoutBinding::reportName() {
    return document_.fileName().isEmpty() ? std::string("(未存檔的新報表)") : document_.fileName().toStdString();
}

std::vector<std::string> LayoutBinding::testDataLines(std::string& problem) {
    std::vector<std::string> lines;
    const QStringList texts = document_.testData().split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i == texts.size() - 1 && texts[i].isEmpty()) break;
        auto encoded = encodeBig5Text(texts[i]);
        if (auto* bytes = std::get_if<std::string>(&encoded)) {
            lines.push_back(std::move(*bytes));
        } else if (problem.empty()) {
            const char32_t bad = std::get<UnencodableCharacter>(encoded).character;
            problem = QStringLiteral("測試資料第 %1 行的「%2」無法以 Big5 表示, 該行不顯示")
                          .arg(i + 1)
                          .arg(QString::fromUcs4(&bad, 1))
                          .toStdString();
        }
    }
    return lines;
}

std::vector<RowText> LayoutBinding::rows(RowKind kind) {
    std::vector<RowText> rows;
    for (const ListRow& row : document_.rows(sectionOf(kind))) rows.push_back(rowText(row));
    return rows;
}

void LayoutBinding::rowsChanged(const EditStep& step) {
    for (const RowChange& change : step) {
        if (change.kind == RowKind::Form) {
            if (change.after) applyFormRow(*change.after);
            document_.markUnsaved();
            continue;
        }
        const Section section = sectionOf(change.kind);
        if (change.before && change.after) {
            document_.replaceRow(section, change.index, listRowOf(*change.after));
        } else if (change.before) {
            document_.removeRow(section, change.index);
        } else if (change.after) {
            document_.insertRow(section, change.index, listRowOf(*change.after));
        }
    }
}

void LayoutBinding::currentRowChanged(std::optional<RowRef> row) {
    if (row) dialogs_.showCurrentRow(sectionOf(row->kind), row->index);
}

EditStep LayoutBinding::editRow(RowRef row) {
    const Section section = sectionOf(row.kind);
    if (row.index < 0 || row.index >= document_.rows(section).size()) return {};
    ListRow edited = document_.rows(section)[row.index];
    const RowText before = rowText(edited);
    if (!dialogs_.editRow(section, row.index, false, edited)) return {};
    // A confirmed dialog is an edit even when it changed nothing.
    document_.replaceRow(section, row.index, edited);
    const RowText after = rowText(edited);
    if (after == before) return {};
    EditStep step{RowChange{row.kind, row.index, before, after}};
    const EditStep form = followBlockRows(step);
    step.insert(step.end(), form.begin(), form.end());
    return step;
}

EditStep LayoutBinding::followBlockRows(const EditStep& step) {
    std::vector<std::string> names;
    for (const ListRow& row : document_.rows(Section::Blocks)) names.push_back(row.caption.toStdString());
    const std::optional<FormProfile> after = profileFollowingBlocks(*document_.profile(), step, names);
    if (!after) return {};
    RowText before = formRow();
    document_.setProfile(*after);
    document_.markUnsaved();
    return {RowChange{RowKind::Form, 0, std::move(before), formRow()}};
}

bool LayoutBinding::dialogOpen() const { return dialogs_.dialogOpen(); }

EditStep LayoutBinding::addRow(const NewShape& shape) {
    const Section section = sectionOf(shape.kind);
    const qsizetype index = document_.rows(section).size();
    ListRow row = newRow(shape, valueCount(section));
    if (!dialogs_.editRow(section, index, true, row)) return {};
    document_.insertRow(section, index, row);
    dialogs_.showCurrentRow(section, index);
    return {RowChange{shape.kind, int(index), std::nullopt, rowText(row)}};
}

void LayoutBinding::setStationery(const std::optional<StationeryKeys>& settings, const std::string& picture) {
    document_.setStationery(settings, QString::fromStdString(picture));
}

EditHistory& LayoutBinding::history() { return document_.history(); }

}  // namespace zarvo
