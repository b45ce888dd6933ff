#pragma once
// A document's recovery copies: while it differs from what was last
// created, opened or saved, a copy of its text, test data, file name and
// profile is kept on disk in the background; at start-up the copies that
// programs which did not end normally left behind are offered back.

#include <filesystem>
#include <functional>

#include <QString>

#include "recovery/RecoveryKeeper.h"
#include "recovery/RecoveryStore.h"

namespace zarvo {

class ReportDocument;

class DocumentRecovery {
public:
    // Keeps document's copies in directory; timer as RecoveryKeeper takes
    // it. A copy that cannot be written is said through showFailure.
    DocumentRecovery(ReportDocument& document, const std::filesystem::path& directory,
                     std::function<void(const QString&)> showFailure, std::unique_ptr<WriteTimer> timer = nullptr);
    // A normal end: the copy goes.
    ~DocumentRecovery();
    DocumentRecovery(const DocumentRecovery&) = delete;
    DocumentRecovery& operator=(const DocumentRecovery&) = delete;

    // Offers each copy left by a program that did not end normally, newest
    // first. Yes brings it back into the document and keeps the rest for the
    // next start; No deletes it and goes on. Returns whether one came back.
    bool offerCopies();

private:
    // The document is unsaved (a copy is due) or equals its file (the copy
    // goes).
    void documentStateChanged(bool unsaved);

    ReportDocument& document_;
    RecoveryStore store_;
    RecoveryKeeper keeper_;
};

}  // namespace zarvo
