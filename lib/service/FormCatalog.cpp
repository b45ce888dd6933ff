#include "service/FormCatalog.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "compose/PageComposer.h"
#include "detail/DetailSpec.h"
#include "engine/XPrint.h"
#include "report/Big5.h"
#include "report/ReportError.h"

namespace zarvo {
namespace {

constexpr std::string_view kReportExtension = ".txt";
constexpr std::size_t kMaxFormName = 200;

bool regularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

FormCatalog::FormCatalog(std::vector<std::string> folders) : folders_(std::move(folders)) {}

bool FormCatalog::pathLike(std::string_view name) {
    if (name.empty() || name.size() > kMaxFormName || name == "." || name.front() == '.') return true;
    if (name.find("..") != std::string_view::npos) return true;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return true;
    }
    return false;
}

std::optional<std::string> FormCatalog::reportPath(std::string_view name) const {
    if (pathLike(name)) return std::nullopt;
    for (const std::string& folder : folders_) {
        std::string path = folder + "/" + std::string(name) + std::string(kReportExtension);
        if (regularFile(path)) return path;
    }
    return std::nullopt;
}

std::vector<std::string> FormCatalog::names() const {
    std::set<std::string> found;
    for (const std::string& folder : folders_) {
        std::error_code error;
        for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            const std::string file = entry->path().filename().string();
            if (file.size() <= kReportExtension.size() ||
                file.compare(file.size() - kReportExtension.size(), kReportExtension.size(), kReportExtension) != 0) {
                continue;
            }
            const std::string name = file.substr(0, file.size() - kReportExtension.size());
            if (!pathLike(name) && regularFile(entry->path().string())) found.insert(name);
        }
    }
    return {found.begin(), found.end()};
}

FormSummary summarizeForm(const std::string& name, const std::string& reportPath) {
    // The block table lies after the lines and captions; nothing is drawn
    // without a surface.
    XPrint engine(reportPath);
    drawForm(engine);
    if (!engine.problem().empty()) throw ReportError(engine.problem());
    FormSummary summary;
    summary.name = name;
    summary.paper = engine.sheetPaper();
    for (const std::string& block : engine.blockNames()) summary.blocks.push_back(big5ToUtf8(block));
    if (const std::optional<DetailSpec> detail = detailSpecOf(*engine.profile)) {
        for (const std::string& field : detail->fields) summary.detailFields.push_back(big5ToUtf8(field));
    }
    return summary;
}

}  // namespace zarvo
