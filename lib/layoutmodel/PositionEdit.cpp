#include "layoutmodel/PositionEdit.h"

#include "layoutmodel/Millimetres.h"
#include "layoutmodel/RowEdits.h"
#include "layoutmodel/StationeryGuides.h"

namespace zarvo {

namespace {

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

const char* const kSetNeedsAll = "請輸入欄位框的 x、y 與大於 0 的寬、高 (mm)";

// The number text holds; an empty text gives empty, or says that a frame's
// place needs every value when there is none.
std::optional<double> number(const std::string& typed, const char* what, std::optional<double> empty,
                             std::string& error) {
    const std::string text = trimmed(typed);
    if (text.empty()) {
        if (!empty) error = kSetNeedsAll;
        return empty;
    }
    const std::optional<double> value = parseMillimetres(text);
    if (!value) error = std::string(what) + "「" + text + "」不是數字";
    return value;
}

bool isFrame(RowRef ref) { return ref.kind == RowKind::Block || ref.kind == RowKind::Label; }

}  // namespace

std::optional<PositionRequest> positionRequestFrom(const PositionTexts& texts, std::string& error) {
    PositionRequest request;
    request.kind = texts.move ? PositionRequest::Kind::Move : PositionRequest::Kind::Set;
    // A move may leave x or y empty; a frame's place needs all four.
    const std::optional<double> empty = texts.move ? std::optional<double>(0) : std::nullopt;
    const std::optional<double> x = number(texts.x, "x", empty, error);
    const std::optional<double> y = x ? number(texts.y, "y", empty, error) : std::nullopt;
    if (!x || !y) return std::nullopt;
    request.x = *x;
    request.y = *y;
    if (texts.move) return request;
    const std::optional<double> width = number(texts.width, "寬", std::nullopt, error);
    const std::optional<double> height = width ? number(texts.height, "高", std::nullopt, error) : std::nullopt;
    if (!width || !height) return std::nullopt;
    if (*width <= 0 || *height <= 0) {
        error = kSetNeedsAll;
        return std::nullopt;
    }
    request.width = *width;
    request.height = *height;
    return request;
}

PositionTexts positionTextsOf(const LayoutScene& scene, RowRef ref) {
    PositionTexts texts;
    texts.move = false;
    const std::optional<RowShape>& shape = scene.shape(ref);
    if (!isFrame(ref) || !shape) return texts;
    const RectMm& frame = shape->frame;
    texts.x = formatTenths(frame.left);
    texts.y = formatTenths(frame.top);
    texts.width = formatTenths(frame.right - frame.left);
    texts.height = formatTenths(frame.bottom - frame.top);
    return texts;
}

EditStep positionStep(const LayoutScene& scene, const std::vector<RowRef>& selection, const PositionRequest& request,
                      std::string& error) {
    if (request.kind == PositionRequest::Kind::Move) return moveStep(scene, selection, request.x, request.y);
    if (selection.size() != 1 || !isFrame(selection.front())) {
        error = "設定位置與大小時, 請只選一個欄位或標籤的框";
        return {};
    }
    return fitFrameStep(scene, selection.front(),
                        RectMm{request.x, request.y, request.x + request.width, request.y + request.height});
}

}  // namespace zarvo
