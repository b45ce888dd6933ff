#pragma once
// The Layout page on a ReportDocument without the main window, as its tests
// drive it: a report opened from a file with its profile and stationery,
// test data, a row editor the test answers, a picture chooser fed from a
// queue, and a user's keys and pointer on the view.

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include <QScopedValueRollback>
#include <QStringList>
#include <QTest>

#include "document/Big5TextFile.h"
#include "document/LayoutBinding.h"
#include "document/ReportDocument.h"
#include "document/RowDialogs.h"
#include "layout/LayoutPage.h"
#include "layout/LayoutView.h"
#include "tests/common/MarginSpooler.h"
#include "tests/common/RecordingPresenter.h"
#include "tests/common/TempDir.h"
#include "tests/windows/layout/ViewPointer.h"

namespace zarvo::test {

// The window's dialogs as a test answers them: the row editor hands the row
// to answer (none: the user cancels), and counts as an open dialog while it
// runs; the list pages' current rows are recorded.
class ScriptedRowDialogs : public RowDialogs {
public:
    struct Edit {
        Section section;
        qsizetype at;
        bool isNew;
    };

    bool editRow(Section section, qsizetype at, bool isNew, ListRow& row) override {
        ++calls;
        last = Edit{section, at, isNew};
        const QScopedValueRollback open(open_, true);
        return answer && answer(row);
    }
    std::optional<RowText> fieldStyleRow(qsizetype) override { return std::nullopt; }
    bool dialogOpen() const override { return open_; }
    void showCurrentRow(Section section, qsizetype at) override { currentRows[section] = at; }

    // Edits the row as the dialog would; true: confirmed.
    std::function<bool(ListRow&)> answer;
    int calls = 0;
    std::optional<Edit> last;
    std::map<Section, qsizetype> currentRows;

private:
    bool open_ = false;
};

// The caption and values of a row, as the columns of its list.
inline QStringList columns(const ListRow& row) { return QStringList{row.caption} + row.values; }

inline std::string example(const char* name) {
    return TempDir::read(std::string(ZARVO_SOURCE_DIR) + "/examples/" + name);
}

class LayoutPageFixture : public testing::Test {
protected:
    LayoutPageFixture() {
        page.layoutView->setDocument(&binding);
        page.setPictureChooser([this]() -> std::optional<QString> {
            if (pictures.empty()) return std::nullopt;
            const QString picture = pictures.front();
            pictures.pop_front();
            return picture;
        });
        // As the main window does: the profile opened with a report brings
        // its stationery, and a change of the stationery is unsaved.
        QObject::connect(&document, &ReportDocument::profileReplaced, &page,
                         [this] { page.openStationery(*document.profile(), document.fileName()); });
        QObject::connect(&page, &LayoutPage::stationeryChanged, &document, [this] { document.markUnsaved(); });
        page.resize(1100, 1450);
        page.show();
    }

    LayoutView& view() { return *page.layoutView; }
    QString path(const std::string& name) { return QString::fromStdString((dir.path() / name).string()); }
    // Writes bytes to name (its folders made) and returns its path.
    QString file(const std::string& name, std::string_view bytes) {
        std::filesystem::create_directories((dir.path() / name).parent_path());
        return QString::fromStdString(dir.write(name, bytes));
    }
    // Opens the report as the File menu does, with its profile; the page
    // takes it unless told it is not shown.
    void open(const QString& report, bool shown = true) {
        document.open(readBig5TextFile(report), report);
        document.openProfile();
        if (shown) page.pageShown();
    }
    // Saves the document as name (its folders made) and returns the report's bytes.
    std::string saveAs(const std::string& name) {
        std::filesystem::create_directories((dir.path() / name).parent_path());
        document.saveAs(path(name));
        return TempDir::read(path(name).toStdString());
    }
    // The test data typed, then the page shown again.
    void typeTestData(const QString& text) {
        document.typeTestData(text);
        page.pageShown();
    }
    // Opens the delivery note with its test data, customer selected and the
    // current row of the BLOCKS page.
    void openDeliveryNote() {
        original = example("delivery_note.txt");
        open(file("note/delivery_note.txt", original));
        typeTestData(decodeBig5Text(example("delivery_note_data.txt")));
        dialogs.currentRows[Section::Blocks] = 0;
        view().editor().select({RowRef{RowKind::Block, 0}});
    }
    QStringList blockRow(int index) { return columns(document.rows(Section::Blocks)[index]); }
    int rowCount(Section section) { return int(document.rows(section).size()); }

    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view(), Qt::Key(code), modifiers);
    }
    QPoint at(double x, double y) { return viewPoint(view(), x, y); }
    void mouse(QEvent::Type type, QPoint point, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {}) {
        sendMouse(view(), type, point, buttons, modifiers);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseMove, to, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton, modifiers);
    }
    QImage grab() { return view().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TempDir dir;
    RecordingPresenter messages;
    ScriptedRowDialogs dialogs;
    // Pictures the stationery button chooses, in turn; none left: cancelled.
    std::deque<QString> pictures;
    // None until a test gives some.
    MarginSpooler printers;
    ReportDocument document;
    LayoutBinding binding{document, dialogs};
    LayoutPage page{printers};
    std::string original;
};

}  // namespace zarvo::test
