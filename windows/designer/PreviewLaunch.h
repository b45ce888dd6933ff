#pragma once
// The designer's Preview: the report file as stored on disk, filled with the
// test data, on one page of a new preview window.

#include <QString>

#include "database/DatabaseConnection.h"
#include "platform/Spooler.h"
#include "report/DataFile.h"

class QWidget;

namespace zarvo {

// Previews the report at fileName with testData (the text of the test data
// page, LF line breaks), one field record per line. With unsaved set, asks
// first whether to preview the file on disk (No: nothing happens). Warns and
// does nothing else when there is no file at fileName or when a character
// of testData has no Big5 code. Otherwise replaces the current preview
// window by a new one owned by owner and printing on printers, writes its page from the report and
// the test data and shows it modally; returns when it is closed. Throws
// ConversionError for a report header the engine cannot read (no page is
// written, the new window stays hidden) and ReportError when the report or
// the page file fails.
void launchPreview(const QString& fileName, bool unsaved, const QString& testData, Spooler& printers,
                   QWidget* owner);

// Whether to go on with a preview of the report as saved: always without
// unsaved edits, else as the user answers the question about them.
bool confirmPreviewOfSavedReport(bool unsaved);

// Previews the report at fileName as saved with one page per record of
// dataFile (CSV or JSON), in a new preview window owned by owner and
// printing on printers that
// writes each page's data file when the page is first shown or printed.
// Warns when there is no report; data columns that name no block are said
// once before the first page. Throws ReportError for a data file that
// cannot be read (nothing is shown), ConversionError for a bad header.
void launchDataPreview(const QString& fileName, const QString& dataFile, Spooler& printers, QWidget* owner);
// The same with the records of data; a source other than a file (a
// database) is read on a worker thread while a progress dialog shows.
void launchDataPreview(const QString& fileName, const DataOrigin& data, Spooler& printers, QWidget* owner);

// Previews the report at fileName as saved with the rows of the [Database]
// of its profile on disk, queried with params, as launchDataPreview does.
// Throws ReportError naming the database's fault (nothing is shown).
void launchDatabasePreview(const QString& fileName, const DatabaseParameters& params, Spooler& printers,
                           QWidget* owner);

}  // namespace zarvo
