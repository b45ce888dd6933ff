// Writing the page data files.

#include "engine/PageFileName.h"
#include "engine/PreviewState.h"
#include "engine/XPrint.h"
#include "platform/os/PrivateFile.h"
#include "report/PageDataFile.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

PreviewState& livePreview() {
    PreviewState* preview = currentPreview();
    if (!preview) throw ReportError("沒有預覽視窗, 無法寫入資料檔");
    return *preview;
}

}  // namespace

void XPrint::NewPage() {
    PreviewState& preview = livePreview();
    preview.setLastPage(preview.lastPage() + 1);
    if (preview.previewMode() == 1) preview.addPageItem(std::to_string(preview.lastPage() + 1));
    std::string file = pageFileNameForWriting(preview.dataFileStem(), preview.lastPage());
    writePrivateFile(file, formatPageHeader(reportPath), WriteMode::Truncate);
}

void XPrint::AddField(const std::string& name, const std::string& text, float dx, float dy) {
    PreviewState& preview = livePreview();
    // Without a started page the record would land in a file that no page
    // reads and nothing deletes.
    if (preview.lastPage() < 0) throw ReportError("尚未開始新的一頁, 無法寫入欄位資料");
    std::string file = pageFileNameForWriting(preview.dataFileStem(), preview.lastPage());
    writePrivateFile(file, formatFieldRecord(name, dx, dy, text), WriteMode::Append);
}

}  // namespace zarvo
