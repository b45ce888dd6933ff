#include <cstdlib>
#include <vector>

#include <QImage>

#include <tesseract/baseapi.h>

#include "scancaptions/CaptionReader.h"

namespace zarvo {

namespace {

// Debian's tessdata folders, newest Tesseract first.
const char* const kTessdataDirs[] = {"/usr/share/tesseract-ocr/5/tessdata", "/usr/share/tesseract-ocr/4.00/tessdata",
                                     "/usr/share/tessdata"};

bool holdsModel(const std::filesystem::path& dir) {
    std::error_code error;
    return std::filesystem::is_regular_file(dir / kTraditionalChineseModel, error);
}

class TesseractCaptionReader : public CaptionReader {
public:
    bool start(const std::filesystem::path& dir) {
        if (api_.Init(dir.string().c_str(), "chi_tra", tesseract::OEM_LSTM_ONLY) != 0) return false;
        // A caption is one line; Chinese has no blanks between words.
        api_.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
        api_.SetVariable("preserve_interword_spaces", "1");
        return true;
    }
    ~TesseractCaptionReader() override { api_.End(); }

    std::string read(const QImage& caption) override {
        const QImage grey = caption.convertToFormat(QImage::Format_Grayscale8);
        if (grey.isNull() || grey.width() < 4 || grey.height() < 4) return {};
        api_.SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
        api_.SetSourceResolution(grey.dotsPerMeterX() > 0 ? int(grey.dotsPerMeterX() * 0.0254 + 0.5) : 300);
        const std::unique_ptr<char[]> text(api_.GetUTF8Text());
        api_.Clear();
        return text ? std::string(text.get()) : std::string();
    }

private:
    tesseract::TessBaseAPI api_;
};

}  // namespace

std::optional<std::filesystem::path> traditionalChineseModelDir() {
    if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix && *prefix) {
        for (const std::filesystem::path& dir : {std::filesystem::path(prefix), std::filesystem::path(prefix) / "tessdata"})
            if (holdsModel(dir)) return dir;
    }
    for (const char* dir : kTessdataDirs)
        if (holdsModel(dir)) return std::filesystem::path(dir);
    return std::nullopt;
}

std::unique_ptr<CaptionReader> tesseractCaptionReader(const std::filesystem::path& dir) {
    auto reader = std::make_unique<TesseractCaptionReader>();
    if (!reader->start(dir)) return nullptr;
    return reader;
}

CaptionReaderFactory installedCaptionReader() {
    const std::optional<std::filesystem::path> dir = traditionalChineseModelDir();
    if (!dir) return {};
    return [dir = *dir] { return tesseractCaptionReader(dir); };
}

}  // namespace zarvo
