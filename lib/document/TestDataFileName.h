#pragma once
// Where test data files go beside their report, and telling a report file
// from a test data file.

#include <QString>

namespace zarvo {

// The test data file proposed for the report at reportPath: its name with
// "_data" before the extension ("delivery_note.txt" gives
// "delivery_note_data.txt"); empty for a report without a name.
QString testDataFileFor(const QString& reportPath);

// Whether the two paths name the same file, through links and relative
// parts when it exists.
bool isSameFile(const QString& first, const QString& second);

}  // namespace zarvo
