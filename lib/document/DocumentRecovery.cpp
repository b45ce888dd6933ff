#include "document/DocumentRecovery.h"

#include "document/QuitWatch.h"
#include "document/ReportDocument.h"
#include "platform/Messages.h"

namespace zarvo {

namespace {

bool askToRestore(const RecoveryCopy& copy) {
    const char* question = "上次未正常結束, 是否恢復未存檔的報表 ?";
    if (copy.fileName.empty()) return AskYesNo("%s", question) == ResultYes;
    return AskYesNo("%s\n\n%s", question, copy.fileName.c_str()) == ResultYes;
}

}  // namespace

DocumentRecovery::DocumentRecovery(ReportDocument& document, const std::filesystem::path& directory,
                                   std::function<void(const QString&)> showFailure, std::unique_ptr<WriteTimer> timer)
    : document_(document),
      store_(directory),
      keeper_(store_, [this] { return document_.recoveryCopy(); }, std::move(timer)) {
    QObject::connect(&keeper_, &RecoveryKeeper::writeFailed, &document_, std::move(showFailure));
    QObject::connect(&document_, &ReportDocument::unsavedChanged, &keeper_,
                     [this](bool unsaved) { documentStateChanged(unsaved); });
    documentStateChanged(document_.hasUnsavedWork());
}

DocumentRecovery::~DocumentRecovery() = default;

void DocumentRecovery::documentStateChanged(bool unsaved) {
    if (unsaved)
        keeper_.documentChanged();
    else
        keeper_.documentSaved();
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
        document_.restore(*copy);
        // The document now has a copy of its own; the old one and the
        // copies not asked about wait for the next start.
        store_.discard(*copy);
        for (auto rest = copy + 1; rest != copies.end(); ++rest) store_.keep(*rest);
        return true;
    }
    return false;
}

}  // namespace zarvo
