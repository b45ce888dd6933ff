#pragma once
// The report being designed, without widgets: its text, the rows of its three
// sections, its file name, form profile and stationery, the test data, what
// is unsaved, and the Layout page's edit history. The source page, the list
// pages, the test data page and the Layout page are views of it; it says when
// each part changes.
//
// The text and the rows are two views of one report that are brought into
// agreement when the user leaves a page (reconcile): typed text is read
// into the rows, changed rows are written into the text's sections.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QString>

#include "document/ReportSections.h"
#include "layoutmodel/EditHistory.h"
#include "recovery/RecoveryCopy.h"
#include "report/FormProfile.h"
#include "report/StationeryKeys.h"

namespace zarvo {

class ReportDocument : public QObject {
    Q_OBJECT

public:
    // A new report: the empty sections, no file, no profile.
    ReportDocument();
    ~ReportDocument() override;

    // ---- the whole document

    // A new report again, everything saved.
    void startNew();
    // Takes text (as read from the report at fileName) and reads its sections;
    // profile and test data stay for the caller to set. Everything saved.
    void open(const QString& text, const QString& fileName);
    // Writes the report to path with its profile, as one (both whole or
    // neither); the document takes the name only then. A character Big5
    // cannot hold, a full disk or an unwritable folder is said and leaves
    // every file and the document as they were. True when written.
    bool saveAs(const QString& path);
    // Reads the profile beside the report (none for a new report); a profile
    // with a fault that stops printing is said in one message and kept aside
    // as NAME.zarvo.damaged, and what could be read of it is used.
    void openProfile();
    // The document as a recovery copy keeps it, and brought back from one,
    // unsaved.
    RecoveryCopy recoveryCopy() const;
    void restore(const RecoveryCopy& copy);

    const QString& fileName() const { return fileName_; }

    // ---- the report's text

    const QString& text() const { return text_; }
    // The user edited the text on the source page.
    void typeText(const QString& text);
    // The header's paper code changed to code: the first field of the first
    // line is rewritten; the rows are untouched.
    void setHeaderPaperCode(int code);
    int headerPaperCode() const;

    // ---- the rows of the three sections

    const QList<ListRow>& rows(Section section) const { return rows_[index(section)]; }
    // The user's edits of the rows.
    void insertRow(Section section, qsizetype at, const ListRow& row);
    void replaceRow(Section section, qsizetype at, const ListRow& row);
    void removeRow(Section section, qsizetype at);

    // Reads typed text into the rows, then writes every changed section's rows
    // into the text.
    void reconcile();
    // The text as saving would write it now: every changed section's rows in
    // place of its text.
    QString textToSave() const;
    // The text with only the rows keep accepts in each section, whether
    // changed or not (keep: section, index).
    QString textWithRows(const std::function<bool(Section, qsizetype)>& keep) const;

    // ---- what is unsaved

    // Changed since it was last created, opened or saved.
    bool unsaved() const { return unsaved_; }
    // The rows of section were edited since the text was last written from them.
    bool rowsEdited(Section section) const { return rowsChanged_[index(section)]; }
    // The text was typed since the rows were last read from it.
    bool textTyped() const { return textTyped_; }
    void markUnsaved();
    // The unsaved report or typed test data would be lost on leaving.
    bool hasUnsavedWork() const { return unsaved_ || typedTestDataUnsaved(); }

    // ---- the form profile and its stationery

    std::shared_ptr<const FormProfile> profile() const { return profile_; }
    // Replaces the profile (an edit of the document's; the caller marks it).
    void setProfile(FormProfile profile);
    // Uses the profile that was opened with the report; its stationery is
    // the Layout page's to open (profileReplaced).
    void useProfile(FormProfile profile);
    // The stationery as the Layout page holds it: its settings and the
    // picture's absolute path; nullopt when there is none.
    void setStationery(const std::optional<StationeryKeys>& settings, const QString& picturePath);
    // The profile as saving the report at reportPath writes it: the
    // stationery's picture relative to that report.
    FormProfile profileToSave(const QString& reportPath) const;

    // ---- the test data

    const QString& testData() const { return testData_; }
    const QString& testDataFile() const { return testDataFile_; }
    // The user changed the test data.
    void typeTestData(const QString& text);
    // The test data as read from, or just written to, file.
    void loadTestData(const QString& text, const QString& file);
    void testDataSaved(const QString& file);
    // Typed or changed since it was last saved or read, and not empty.
    bool typedTestDataUnsaved() const { return testDataUnsaved_ && !testData_.isEmpty(); }

    // ---- the Layout page's edits

    EditHistory& history() { return history_; }

signals:
    // The text was replaced by the document itself (not by typing): as a
    // whole (a new, opened or restored report) or in part (sections written
    // from the rows, the header's paper code).
    void textReplaced(bool wholeDocument);
    // The rows of a section were replaced as a whole, or one row changed.
    void rowsReset(Section section);
    void rowInserted(Section section, qsizetype at);
    void rowReplaced(Section section, qsizetype at);
    void rowRemoved(Section section, qsizetype at);
    void testDataReplaced();
    void fileNameChanged();
    // A profile was opened with the report: its stationery is to be shown.
    void profileReplaced();
    // hasUnsavedWork() may have changed.
    void unsavedChanged(bool unsavedWork);

private:
    static std::size_t index(Section section) { return static_cast<std::size_t>(section); }
    void replaceText(const QString& text, bool wholeDocument);
    void readSections();
    void noteRowsEdited(Section section);
    void clearUnsaved();
    void setFileName(const QString& fileName);

    QString text_;
    std::array<QList<ListRow>, 3> rows_;
    std::array<bool, 3> rowsChanged_{};
    bool textTyped_ = false;
    bool unsaved_ = false;
    QString fileName_;
    std::shared_ptr<const FormProfile> profile_ = std::make_shared<const FormProfile>();
    std::optional<StationeryKeys> stationery_;
    QString picturePath_;
    QString testData_;
    QString testDataFile_;
    bool testDataUnsaved_ = false;
    EditHistory history_;
};

}  // namespace zarvo
