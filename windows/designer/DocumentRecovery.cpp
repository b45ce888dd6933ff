#include "designer/DocumentRecovery.h"

#include <QStatusBar>

#include "designer/QuitWatch.h"
#include "designer/zarvo2.h"
#include "platform/Messages.h"

namespace zarvo {

namespace {

constexpr int kStatusMessageMs = 15000;

bool askToRestore(const RecoveryCopy& copy) {
    const char* question = "上次未正常結束, 是否恢復未存檔的報表 ?";
    if (copy.fileName.empty()) return AskYesNo("%s", question) == ResultYes;
    return AskYesNo("%s\n\n%s", question, copy.fileName.c_str()) == ResultYes;
}

}  // namespace

DocumentRecovery::DocumentRecovery(Tzarvo2_Form& form, const std::filesystem::path& directory,
                                   std::unique_ptr<WriteTimer> timer)
    : form_(form), store_(directory), keeper_(store_, [this] { return snapshot(); }, std::move(timer)) {
    QObject::connect(&keeper_, &RecoveryKeeper::writeFailed, &form_,
                     [this](const QString& message) { form_.ST_head->showMessage(message, kStatusMessageMs); });
}

DocumentRecovery::~DocumentRecovery() = default;

void DocumentRecovery::documentStateChanged(bool unsaved) {
    if (unsaved)
        keeper_.documentChanged();
    else
        keeper_.documentSaved();
}

RecoveryCopy DocumentRecovery::snapshot() const {
    RecoveryCopy copy;
    copy.text = form_.documentText().toStdString();
    copy.testData = form_.testDataText().toStdString();
    copy.fileName = form_.FileName.toStdString();
    copy.profile = formProfileText(form_.profileToSave(form_.FileName));
    return copy;
}

bool DocumentRecovery::offerCopies() {
    std::vector<RecoveryCopy> copies = store_.orphans();
    const QuitWatch quit;
    for (auto copy = copies.begin(); copy != copies.end(); ++copy) {
        const bool restore = askToRestore(*copy);
        if (quit.asked()) {
            // The program is ending: the question closed without an answer,
            // so every copy waits for the next start.
            for (auto rest = copy; rest != copies.end(); ++rest) store_.keep(*rest);
            return false;
        }
        if (!restore) {
            store_.discard(*copy);
            continue;
        }
        form_.restoreDocument(QString::fromStdString(copy->text), QString::fromStdString(copy->testData),
                              QString::fromStdString(copy->fileName), copy->profile);
        // The document now has a copy of its own; the old one and the
        // copies not asked about wait for the next start.
        store_.discard(*copy);
        for (auto rest = copy + 1; rest != copies.end(); ++rest) store_.keep(*rest);
        return true;
    }
    return false;
}

}  // namespace zarvo
