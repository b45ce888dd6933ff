#pragma once
// Reading the caption printed in one box of a scanned form: an interface, so
// that what is done with the texts can be tried without a text recogniser,
// and the reader that Tesseract's Traditional Chinese model makes.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QImage;

namespace zarvo {

class CaptionReader {
public:
    virtual ~CaptionReader() = default;
    // The text (UTF-8) of the one line printed in caption, a grey picture of
    // a box's inside; empty when none can be read.
    virtual std::string read(const QImage& caption) = 0;
};

// Makes a reader on the thread that will use it (nullptr: none can be made).
using CaptionReaderFactory = std::function<std::unique_ptr<CaptionReader>()>;

// The file name of Tesseract's Traditional Chinese model.
inline constexpr const char* kTraditionalChineseModel = "chi_tra.traineddata";

// The folder holding the model: $TESSDATA_PREFIX's when it holds one, else
// the first of Debian's tessdata folders that does; nullopt when it is not
// installed.
std::optional<std::filesystem::path> traditionalChineseModelDir();

// A Tesseract reader of the model in dir; nullptr when Tesseract cannot
// start with it.
std::unique_ptr<CaptionReader> tesseractCaptionReader(const std::filesystem::path& dir);

// What reads captions as installed: Tesseract's when the model is there,
// else an empty factory.
CaptionReaderFactory installedCaptionReader();

}  // namespace zarvo
