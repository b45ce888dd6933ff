#include "document/ReportDocument.h"

#include <QFile>

#include "document/Big5TextFile.h"
#include "document/ReportProfileFiles.h"
#include "engine/FormProfileFile.h"
#include "platform/Messages.h"
#include "platform/os/FileGroupWrite.h"
#include "stationery/StationerySettings.h"

namespace zarvo {

namespace {

const char* const newReportText = "0\t0\t0\nLINE_INFO\nLABEL_STRING\nBLOCK_INFO\n";
constexpr Section kSections[] = {Section::Lines, Section::Labels, Section::Blocks};

}  // namespace

ReportDocument::ReportDocument() : text_(QString::fromLatin1(newReportText)) {}

ReportDocument::~ReportDocument() = default;

void ReportDocument::startNew() {
    open(QString::fromLatin1(newReportText), QString());
    useProfile(FormProfile());
}

void ReportDocument::open(const QString& text, const QString& fileName) {
    replaceText(text, true);
    readSections();
    setFileName(fileName);
    clearUnsaved();
}

bool ReportDocument::saveAs(const QString& path) {
    reconcile();
    const std::optional<std::string> report = big5FileBytes(text_, "所以沒有存檔");
    if (!report) return false;
    FileGroupWrite files;
    files.add(QFile::encodeName(path).toStdString(), *report);
    FormProfile stored = profileToSave(path);
    const ProfileSave profileSave = profileSaveFor(QFile::encodeName(path).toStdString(), stored);
    if (!profileSave.warning.empty()) ShowWarning("%s", profileSave.warning.c_str());
    if (!profileSave.path.empty()) files.add(profileSave.path, formProfileText(stored));
    // Throws ReportError, leaving every file and the document as they were.
    files.commit();
    profile_ = std::make_shared<const FormProfile>(std::move(stored));
    setFileName(path);
    clearUnsaved();
    return true;
}

void ReportDocument::openProfile() {
    OpenedProfile opened = openProfileBeside(QFile::encodeName(fileName_).toStdString());
    if (!opened.warning.empty()) ShowWarning("%s", opened.warning.c_str());
    useProfile(std::move(opened.profile));
}

void ReportDocument::restore(const RecoveryCopy& copy) {
    open(QString::fromStdString(copy.text), QString::fromStdString(copy.fileName));
    if (copy.profile) {
        useProfile(profileFromText(*copy.profile).withoutStoppingFaults());
    } else {
        openProfile();
    }
    testData_ = QString::fromStdString(copy.testData);
    emit testDataReplaced();
    typeTestData(testData_);
    markUnsaved();
}

RecoveryCopy ReportDocument::recoveryCopy() const {
    RecoveryCopy copy;
    copy.text = textToSave().toStdString();
    copy.testData = testData_.toStdString();
    copy.fileName = fileName_.toStdString();
    copy.profile = formProfileText(profileToSave(fileName_));
    return copy;
}

// ---- text

void ReportDocument::replaceText(const QString& text, bool wholeDocument) {
    text_ = text;
    emit textReplaced(wholeDocument);
}

void ReportDocument::typeText(const QString& text) {
    text_ = text;
    textTyped_ = true;
    markUnsaved();
}

void ReportDocument::setHeaderPaperCode(int code) { replaceText(withPaperCode(text_, code), false); }

int ReportDocument::headerPaperCode() const { return zarvo::headerPaperCode(text_); }

// ---- rows

void ReportDocument::readSections() {
    history_.clear();
    const QStringList lines = splitSource(text_).lines;
    for (Section section : kSections) {
        rows_[index(section)] = readSection(lines, section);
        rowsChanged_[index(section)] = false;
        emit rowsReset(section);
    }
    textTyped_ = false;
}

void ReportDocument::noteRowsEdited(Section section) {
    rowsChanged_[index(section)] = true;
    markUnsaved();
}

void ReportDocument::insertRow(Section section, qsizetype at, const ListRow& row) {
    rows_[index(section)].insert(at, row);
    emit rowInserted(section, at);
    noteRowsEdited(section);
}

void ReportDocument::replaceRow(Section section, qsizetype at, const ListRow& row) {
    rows_[index(section)][at] = row;
    emit rowReplaced(section, at);
    noteRowsEdited(section);
}

void ReportDocument::removeRow(Section section, qsizetype at) {
    rows_[index(section)].removeAt(at);
    emit rowRemoved(section, at);
    noteRowsEdited(section);
}

void ReportDocument::reconcile() {
    if (textTyped_) readSections();
    if (rowsChanged_ == std::array<bool, 3>{}) return;
    replaceText(textToSave(), false);
    rowsChanged_ = {};
}

QString ReportDocument::textToSave() const {
    SourceText source = splitSource(text_);
    for (Section section : kSections) {
        if (rowsChanged_[index(section)]) writeSection(source, section, rows(section));
    }
    return joinSource(source);
}

QString ReportDocument::textWithRows(const std::function<bool(Section, qsizetype)>& keep) const {
    SourceText source = splitSource(text_);
    for (Section section : kSections) {
        QList<ListRow> kept;
        for (qsizetype i = 0; i < rows(section).size(); ++i) {
            if (keep(section, i)) kept.append(rows(section)[i]);
        }
        writeSection(source, section, kept);
    }
    return joinSource(source);
}

// ---- unsaved

void ReportDocument::markUnsaved() {
    unsaved_ = true;
    emit unsavedChanged(hasUnsavedWork());
}

void ReportDocument::clearUnsaved() {
    rowsChanged_ = {};
    textTyped_ = false;
    unsaved_ = false;
    emit unsavedChanged(hasUnsavedWork());
}

void ReportDocument::setFileName(const QString& fileName) {
    fileName_ = fileName;
    emit fileNameChanged();
}

// ---- profile

void ReportDocument::setProfile(FormProfile profile) { profile_ = std::make_shared<const FormProfile>(std::move(profile)); }

void ReportDocument::useProfile(FormProfile profile) {
    setProfile(std::move(profile));
    emit profileReplaced();
}

void ReportDocument::setStationery(const std::optional<StationeryKeys>& settings, const QString& picturePath) {
    stationery_ = settings;
    picturePath_ = picturePath;
}

FormProfile ReportDocument::profileToSave(const QString& reportPath) const {
    FormProfile stored = *profile_;
    if (!stationery_) return stored;
    StationeryKeys keys = *stationery_;
    keys.picture = relativePicturePath(picturePath_, reportPath).toStdString();
    setStationeryKeys(stored, keys);
    return stored;
}

// ---- test data

void ReportDocument::typeTestData(const QString& text) {
    testData_ = text;
    testDataUnsaved_ = true;
    emit unsavedChanged(hasUnsavedWork());
}

void ReportDocument::loadTestData(const QString& text, const QString& file) {
    testData_ = text;
    emit testDataReplaced();
    testDataSaved(file);
}

void ReportDocument::testDataSaved(const QString& file) {
    testDataFile_ = file;
    testDataUnsaved_ = false;
    emit unsavedChanged(hasUnsavedWork());
}

}  // namespace zarvo
