#include "designer/LayoutBinding.h"

#include <charconv>
#include <variant>

#include <QPlainTextEdit>
#include <QTreeWidget>

#include "document/Big5TextFile.h"
#include "designer/EditorText.h"
#include "designer/SectionList.h"
#include "designer/SourceEditor.h"
#include "designer/zarvo2.h"
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

QTreeWidget& LayoutBinding::list(RowKind kind) const {
    switch (kind) {
    case RowKind::Line: return *form_.LV_Line;
    case RowKind::Label: return *form_.LV_Label;
    case RowKind::Block:
    case RowKind::Form: break;
    }
    return *form_.ListView1;
}

void LayoutBinding::markChanged(RowKind kind) {
    switch (kind) {
    case RowKind::Line: form_.LineListChanged = 1; break;
    case RowKind::Label: form_.LabelListChanged = 1; break;
    case RowKind::Block: form_.BlockListChanged = 1; break;
    case RowKind::Form: break;
    }
    form_.markUnsaved();
}

std::string LayoutBinding::reportBytes() { return reportBytes([](RowRef) { return true; }); }

std::string LayoutBinding::reportBytes(const std::function<bool(RowRef)>& keep) {
    SourceText source = splitSource(editorText(*form_.ME_text));
    for (RowKind kind : {RowKind::Line, RowKind::Label, RowKind::Block}) {
        const QTreeWidget& rows = list(kind);
        QList<ListRow> kept;
        for (int index = 0; index < rows.topLevelItemCount(); ++index) {
            if (keep(RowRef{kind, index})) kept.push_back(listRow(*rows.topLevelItem(index)));
        }
        writeSection(source, sectionOf(kind), kept);
    }
    return drawableBig5(joinSource(source));
}

std::shared_ptr<const FormProfile> LayoutBinding::profile() { return form_.sharedProfile(); }

RowText LayoutBinding::formRow() {
    return RowText{std::to_string(headerPaperCode(editorText(*form_.ME_text))), {formProfileText(form_.profile())}};
}

std::optional<RowText> LayoutBinding::fieldStyleRow(RowRef row) {
    if (row.kind != RowKind::Block) return std::nullopt;
    return form_.fieldStyleRow(row.index);
}

void LayoutBinding::applyFormRow(const RowText& row) {
    int code = 0;
    if (std::from_chars(row.caption.data(), row.caption.data() + row.caption.size(), code).ec == std::errc()) {
        form_.setHeaderPaperCode(code);
    }
    form_.setFormProfile(
        profileFromText(row.values.empty() ? std::string() : row.values.front()).withoutStoppingFaults());
}

std::string LayoutBinding::reportName() {
    return form_.FileName.isEmpty() ? std::string("(未存檔的新報表)") : form_.FileName.toStdString();
}

std::vector<std::string> LayoutBinding::testDataLines(std::string& problem) {
    std::vector<std::string> lines;
    const QStringList texts = editorText(*form_.ME_data).split(QLatin1Char('\n'));
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
    for (const ListRow& row : listRows(list(kind))) rows.push_back(rowText(row));
    return rows;
}

void LayoutBinding::rowsChanged(const EditStep& step) {
    for (const RowChange& change : step) {
        if (change.kind == RowKind::Form) {
            if (change.after) applyFormRow(*change.after);
            markChanged(change.kind);
            continue;
        }
        QTreeWidget& rows = list(change.kind);
        if (change.before) delete rows.takeTopLevelItem(change.index);
        if (change.after) rows.insertTopLevelItem(change.index, makeListItem(listRowOf(*change.after)));
        markChanged(change.kind);
    }
}

void LayoutBinding::currentRowChanged(std::optional<RowRef> row) {
    if (!row) return;
    QTreeWidget& rows = list(row->kind);
    if (QTreeWidgetItem* item = rows.topLevelItem(row->index)) rows.setCurrentItem(item);
}

std::vector<RowRef> LayoutBinding::selectedRows(Section section) const {
    const RowKind kind = rowKindOf(section);
    QTreeWidget& rows = list(kind);
    std::vector<RowRef> refs;
    for (QTreeWidgetItem* item : rows.selectedItems()) refs.push_back(RowRef{kind, rows.indexOfTopLevelItem(item)});
    return refs;
}

bool LayoutBinding::runEditor(RowKind kind, QTreeWidgetItem* item) {
    int confirmed = 0;
    form_.showEditor(sectionOf(kind), item, confirmed);
    if (confirmed > 0) markChanged(kind);
    return confirmed > 0;
}

EditStep LayoutBinding::editRow(RowRef row) {
    QTreeWidgetItem* item = list(row.kind).topLevelItem(row.index);
    if (!item) return {};
    const RowText before = rowText(listRow(*item));
    if (!runEditor(row.kind, item)) return {};
    const RowText after = rowText(listRow(*item));
    if (after == before) return {};
    EditStep step{RowChange{row.kind, row.index, before, after}};
    const EditStep form = followBlockRows(step);
    step.insert(step.end(), form.begin(), form.end());
    return step;
}

EditStep LayoutBinding::followBlockRows(const EditStep& step) {
    std::vector<std::string> names;
    for (const ListRow& row : listRows(list(RowKind::Block))) names.push_back(row.caption.toStdString());
    const std::optional<FormProfile> after = profileFollowingBlocks(form_.profile(), step, names);
    if (!after) return {};
    RowText before = formRow();
    form_.setFormProfile(*after);
    markChanged(RowKind::Form);
    return {RowChange{RowKind::Form, 0, std::move(before), formRow()}};
}

bool LayoutBinding::dialogOpen() const { return form_.dialogOpen(); }

EditStep LayoutBinding::addRow(const NewShape& shape) {
    QTreeWidget& rows = list(shape.kind);
    QTreeWidgetItem* item = makeListItem(newRow(shape, valueCount(sectionOf(shape.kind))));
    rows.addTopLevelItem(item);
    const int index = rows.indexOfTopLevelItem(item);
    if (!runEditor(shape.kind, item)) {
        delete item;
        return {};
    }
    rows.setCurrentItem(item);
    return {RowChange{shape.kind, index, std::nullopt, rowText(listRow(*item))}};
}

}  // namespace zarvo
