#include "designer/PreviewLaunch.h"

#include <climits>
#include <memory>
#include <string>
#include <variant>

#include <QFile>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>

#include "document/Big5TextFile.h"
#include "stationery/StationeryUnderlay.h"
#include "platform/Messages.h"
#include "compose/DataPages.h"
#include "preview/PreviewForm.h"
#include "compose/TestPage.h"
#include "database/DatabaseOrigin.h"
#include "engine/FormProfileFile.h"
#include "report/ReportError.h"
#include "report/TestDataLine.h"

namespace zarvo {

namespace {

// Whether the current preview window may be replaced: not while one of its
// own dialogs is open, which would return into a deleted window.
bool previewReplaceable() { return !PreviewForm || !PreviewForm->dialogOpen(); }

// Whether the report file exists; warns when it does not.
bool reportExists(const QString& fileName) {
    if (!fileName.isEmpty() && QFileInfo(fileName).isFile()) return true;
    ShowWarning("找不到報表檔:\n\n%s\n\n所以無法列印", fileName.toUtf8().constData());
    return false;
}

// Gives preview the stationery of the report at fileName for "含底圖": the
// picture under each sheet, the form at the chosen printer's printable corner.
void offerStationery(TPreviewForm& preview, const QString& fileName) {
    QString problem;
    StationeryUnderlay underlay = stationeryUnderlay(fileName, problem);
    if (!underlay) return;
    preview.setStationery([underlay, printers = &preview.spooler()](const std::string& printer) {
        return PdfSheetOptions{underlay, printerCornerOrigin(*printers, printer)};
    });
}

// The pages of data for the report at reportPath. A file is read here; a
// database on a worker thread (its connect and query time-outs bound the
// wait) while a busy dialog keeps the window painted, so that the designer
// never freezes. Throws what reading throws.
std::shared_ptr<DataPages> readPages(const std::string& reportPath, const DataOrigin& data, QWidget* owner) {
    if (!data.open) return std::make_shared<DataPages>(reportPath, data);
    using Read = std::variant<std::shared_ptr<DataPages>, std::string>;
    QFutureWatcher<Read> watcher;
    QProgressDialog busy(QStringLiteral("正在讀取資料庫..."), QString(), 0, 0, owner);
    busy.setObjectName(QStringLiteral("DatabaseBusy"));
    busy.setWindowModality(Qt::WindowModal);
    busy.setMinimumDuration(500);
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<Read>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([reportPath, data]() -> Read {
        try {
            return std::make_shared<DataPages>(reportPath, data);
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
    }));
    if (!watcher.isFinished()) loop.exec();
    const Read read = watcher.result();
    if (const std::string* fault = std::get_if<std::string>(&read)) throw ReportError(*fault);
    return std::get<std::shared_ptr<DataPages>>(read);
}

}  // namespace

bool confirmPreviewOfSavedReport(bool unsaved) {
    return !unsaved || AskYesNo("尚未存檔, 是否列印硬碟上的舊報表檔 ?") == ResultYes;
}

void launchPreview(const QString& fileName, bool unsaved, const QString& testData, Spooler& printers,
                   QWidget* owner) {
    if (!previewReplaceable() || !confirmPreviewOfSavedReport(unsaved) || !reportExists(fileName)) return;
    // The test data is checked before anything changes, so that a line that
    // cannot become a field record leaves the last preview as it was.
    auto encoded = encodeBig5Text(testData);
    if (const auto* bad = std::get_if<UnencodableCharacter>(&encoded)) {
        warnUnencodable(*bad, "所以無法用這些測試資料預視");
        return;
    }
    // The old window goes first and deletes its page files now.
    delete PreviewForm;
    auto* preview = new TPreviewForm(printers, owner);
    preview->setPreviewMode(1);
    offerStationery(*preview, fileName);
    writeTestPage(preview->pages(), QFile::encodeName(fileName).toStdString(),
                  splitTestDataLines(std::get<std::string>(encoded)));
    preview->RenderPages();
}

void launchDataPreview(const QString& fileName, const QString& dataFile, Spooler& printers, QWidget* owner) {
    launchDataPreview(fileName, DataOrigin(QFile::encodeName(dataFile).toStdString()), printers, owner);
}

void launchDatabasePreview(const QString& fileName, const DatabaseParameters& params, Spooler& printers,
                           QWidget* owner) {
    if (!reportExists(fileName)) return;
    const std::string report = QFile::encodeName(fileName).toStdString();
    launchDataPreview(fileName, databaseOrigin(databaseRequest(report, *formProfileBeside(report), "", params)),
                      printers, owner);
}

void launchDataPreview(const QString& fileName, const DataOrigin& data, Spooler& printers, QWidget* owner) {
    if (!previewReplaceable() || !reportExists(fileName)) return;
    // The whole data file is read before anything changes: a damaged one
    // leaves the last preview as it was.
    const std::shared_ptr<DataPages> pages = readPages(QFile::encodeName(fileName).toStdString(), data, owner);
    if (pages->recordCount() == 0 || pages->recordCount() > INT_MAX) {
        ShowWarning("%s 沒有資料或資料太多, 無法預視", dataPlaceOf(data).c_str());
        return;
    }
    if (!pages->unmatchedColumns().empty()) {
        ShowInfo("%s", unmatchedColumnsMessage(pages->unmatchedColumns()).c_str());
    }
    delete PreviewForm;
    auto* preview = new TPreviewForm(printers, owner);
    preview->setPreviewMode(1);
    offerStationery(*preview, fileName);
    const std::string stem = preview->dataFileStem();
    preview->setPictureFolder(pages->pictureFolder());
    std::function<std::string(int)> pageName;
    if (pages->hasDetailRows()) pageName = [pages](int page) { return pages->pageName(page); };
    preview->setPageWriter(
        int(pages->recordCount()), [pages, stem](int page) { pages->writePage(stem, page, page); }, pageName);
    // Every value is laid out against its frame beside the preview.
    auto* noFit = new NoFitList;
    preview->setNoFitList(noFit);
    noFit->check(QFile::encodeName(fileName).toStdString(), data);
    preview->RenderPages();
}

}  // namespace zarvo
