#pragma once
// The main window's recovery copies: while the document differs from what
// was last created, opened or saved, a copy of its text, test data and file
// name is kept on disk in the background; at start-up the copies that
// programs which did not end normally left behind are offered back.

#include <filesystem>

#include "recovery/RecoveryKeeper.h"
#include "recovery/RecoveryStore.h"

namespace zarvo {

class Tzarvo2_Form;

class DocumentRecovery {
public:
    // Keeps form's copies in directory; timer as RecoveryKeeper takes it.
    DocumentRecovery(Tzarvo2_Form& form, const std::filesystem::path& directory,
                     std::unique_ptr<WriteTimer> timer = nullptr);
    // A normal end: the copy goes.
    ~DocumentRecovery();
    DocumentRecovery(const DocumentRecovery&) = delete;
    DocumentRecovery& operator=(const DocumentRecovery&) = delete;

    // The document is unsaved (a copy is due) or equals its file (the copy
    // goes).
    void documentStateChanged(bool unsaved);

    // Offers each copy left by a program that did not end normally, newest
    // first. Yes brings it back into the form and keeps the rest for the
    // next start; No deletes it and goes on. Returns whether one came back.
    bool offerCopies();

private:
    RecoveryCopy snapshot() const;

    Tzarvo2_Form& form_;
    RecoveryStore store_;
    RecoveryKeeper keeper_;
};

}  // namespace zarvo
