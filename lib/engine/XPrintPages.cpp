// Writing the page data files.

#include "engine/PageFileName.h"
#include "engine/XPrint.h"
#include "platform/os/PrivateFile.h"
#include "report/PageDataFile.h"
#include "report/ReportError.h"

namespace zarvo {

namespace {

PageSequence& pagesOf(const RenderContext& context) {
    if (!context.pages) throw ReportError("沒有預覽視窗, 無法寫入資料檔");
    return *context.pages;
}

}  // namespace

void XPrint::NewPage() {
    PageSequence& pages = pagesOf(context_);
    const int page = pages.startPage();
    std::string file = pageFileNameForWriting(pages.stem(), page);
    writePrivateFile(file, formatPageHeader(reportPath), WriteMode::Truncate);
}

void XPrint::AddField(const std::string& name, const std::string& text, float dx, float dy) {
    const PageSequence& pages = pagesOf(context_);
    // Without a started page the record would land in a file that no page
    // reads and nothing deletes.
    if (pages.lastPage() < 0) throw ReportError("尚未開始新的一頁, 無法寫入欄位資料");
    std::string file = pageFileNameForWriting(pages.stem(), pages.lastPage());
    writePrivateFile(file, formatFieldRecord(name, dx, dy, text), WriteMode::Append);
}

}  // namespace zarvo
