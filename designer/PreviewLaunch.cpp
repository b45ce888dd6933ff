#include "designer/PreviewLaunch.h"

#include <string>
#include <variant>

#include <QFile>
#include <QFileInfo>

#include "designer/Big5TextFile.h"
#include "platform/Messages.h"
#include "preview/PreviewForm.h"
#include "preview/TestPage.h"
#include "report/TestDataLine.h"

namespace zarvo {

void launchPreview(const QString& fileName, bool unsaved, const QString& testData, QWidget* owner) {
    if (unsaved && AskYesNo("尚未存檔, 是否列印硬碟上的舊報表檔 ?") != ResultYes) return;
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        ShowWarning("找不到報表檔:\n\n%s\n\n所以無法列印", fileName.toUtf8().constData());
        return;
    }
    // The test data is checked before anything changes, so that a line that
    // cannot become a field record leaves the last preview as it was.
    auto encoded = encodeBig5Text(testData);
    if (const auto* bad = std::get_if<UnencodableCharacter>(&encoded)) {
        warnUnencodable(*bad, "所以無法用這些測試資料預視");
        return;
    }
    // The old window goes first: it deletes its page files now, before the
    // new window, whose stem may be the same within one second, writes its own.
    delete PreviewForm;
    auto* preview = new TPreviewForm(owner);
    preview->setPreviewMode(1);
    writeTestPage(QFile::encodeName(fileName).toStdString(),
                  splitTestDataLines(std::get<std::string>(encoded)));
    preview->RenderPages();
}

}  // namespace zarvo
