#include "fuzz/FuzzTargets.h"

#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "engine/TextMeasure.h"
#include "engine/XPrint.h"
#include "fuzz/FuzzCheck.h"
#include "platform/Messages.h"
#include "platform/recording/RecordingSpooler.h"
#include "platform/recording/RecordingSurface.h"
#include "engine/RenderContext.h"
#include "compose/PageComposer.h"
#include "report/Big5.h"
#include "report/ConversionError.h"
#include "report/DataFile.h"
#include "report/ReportError.h"
#include "report/TestDataLine.h"

namespace zarvo::fuzz {

namespace {

// A stream that formats everything and keeps nothing, so traces cost no
// memory however much a page draws.
class DiscardingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

class DiscardingStream : public std::ostream {
public:
    DiscardingStream() : std::ostream(&buffer_) {}

private:
    DiscardingBuffer buffer_;
};

// The readers open paths: inputs are written into a directory of this
// process, removed at exit.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarvo-fuzz-XXXXXX").string();
        check(mkdtemp(pattern.data()) != nullptr, "a scratch directory can be made");
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    // Writes bytes to name (replacing it) and returns its path.
    std::string write(const std::string& name, std::string_view bytes) const {
        const std::string file = (path_ / name).string();
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        check(bool(out), "a scratch file can be written");
        return file;
    }

private:
    std::filesystem::path path_;
};

ScratchDir& scratch() {
    static ScratchDir dir;
    return dir;
}

// DrawField's information boxes for unknown names go nowhere.
class SilentPresenter : public MessagePresenter {
public:
    int present(MessageKind, MessageButtons buttons, const std::string&) override {
        return buttons == MessageButtons::YesNo ? ResultYes : ResultOk;
    }
};

void silenceMessages() {
    static SilentPresenter presenter;
    setMessagePresenter(&presenter);
}

// A render context with a recording image and a recording printer, for
// the screen or for paper; its information messages are dropped.
class FuzzPreview {
public:
    explicit FuzzPreview(RenderMode mode)
        : image_(trace_, 114), printers_(trace_, 300, {{"fuzz", true}}), pages_("/QEL/Tmp/0") {
        context_ = paperContext(printers_, "fuzz");
        context_.mode = mode;
        context_.pages = &pages_;
        context_.info = [](const std::string&) {};
        context_.image = [this](int width, int height) -> Surface& {
            image_.resize(width, height);
            return image_;
        };
    }
    const RenderContext& context() const { return context_; }

private:
    DiscardingStream trace_;
    RecordingSurface image_;
    RecordingSpooler printers_;
    PageSequence pages_;
    RenderContext context_;
};

// ---- Report files drawn as a page ----

struct SampleField {
    std::string text;
    float dx = 0;
    float dy = 0;
};

// Field values of every kind, and shifts far beyond any sheet.
const std::vector<SampleField>& sampleFields() {
    static const std::vector<SampleField> fields = {
        {"1234567890", 0, 0},
        {"\xa4\xa4\xa4\xe5~~AB", 2.5f, -1.0f},
        {"", 0, 0},
        {std::string(kBlankFrameMarker), 0, 0},
        {"x\xa4", 3e38f, -3e38f},
    };
    return fields;
}

// Lines, captions, blocks, then the sample fields into the first blocks and
// into a name that no block has.
void drawPage(XPrint& engine) {
    engine.DrawLines();
    engine.DrawLabels();
    engine.ReadBlocks();
    check(engine.blockCount == static_cast<int>(engine.blocks.size()), "blockCount counts the records");
    std::vector<std::string> names = {"no such block"};
    for (std::size_t i = 0; i < engine.blocks.size() && i < 3; ++i) {
        names.push_back(engine.blocks[i]->label);
    }
    for (const std::string& name : names) {
        for (const SampleField& field : sampleFields()) engine.DrawField(name, field.text, field.dx, field.dy);
    }
}

void previewReport(const std::string& path) {
    FuzzPreview preview(RenderMode::Screen);
    try {
        XPrint engine(path, preview.context());
        engine.AttachPreview();
        engine.surface->clear();
        drawPage(engine);
    } catch (const ReportError&) {
    } catch (const ConversionError&) {
    }
}

void printReport(const std::string& path) {
    FuzzPreview preview(RenderMode::Paper);
    try {
        XPrint engine(preview.context());
        engine.Load(path);
        engine.BeginJob();
        drawPage(engine);
        engine.EndJob();
    } catch (const ReportError&) {
    } catch (const ConversionError&) {
    }
}

// ---- Page data files ----

// A report whose blocks cover the writing styles, modes and font codes.
constexpr std::string_view kValidReport =
    "0\t10\t15\t2\t3\r\n"
    "LINE_INFO\t2\r\n"
    "0\t1\t0\t0\t180\t0\t\r\n"
    "2\t3\t0\t10\t180\t10\t\r\n"
    "LABEL_STRING\t1\r\n"
    "0\t0\t0\t40\t8\t0\t0\t3\t0\t5\t0\t0\t\xab\xc8\xa4\xe1\r\n"
    "BLOCK_INFO\t5\r\n"
    "0\t40\t0\t60\t8\t0\t0\t7\t0\t5\t0\t0\tname\r\n"
    "0\t100\t0\t30\t8\t0\t0\t5\t1\t5\t1\t0\tqty\r\n"
    "2\t140\t0\t10\t40\t1\t0\t2\t2\t4\t0\t0\ttotal\r\n"
    "3\t150\t0\t20\t40\t0\t1\t6\t3\t4\t0\t1\tv\r\n"
    "1\t0\t50\t80\t20\t1\t1\t1\t0\t6\t0\t0\t\xa6\x57\r\n";

const std::string& validReportPath() {
    static const std::string path = scratch().write("form.txt", kValidReport);
    return path;
}

// Shows the page, then prints it twice as one job (two sheets).
void composePage(const std::string& pageFile) {
    CompositionProblems problems;
    {
        FuzzPreview preview(RenderMode::Screen);
        try {
            showPage(preview.context(), pageFile, problems);
        } catch (const ReportError&) {
        } catch (const ConversionError&) {
        }
    }
    FuzzPreview preview(RenderMode::Paper);
    try {
        printSheets(preview.context(), {pageFile, pageFile}, problems);
    } catch (const ReportError&) {
    } catch (const ConversionError&) {
    }
}

// Whether path names a device, a pipe or a socket of the machine the fuzzer
// runs on: opening one may block or read without end, which says nothing
// about the readers.
bool namesSpecialFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return false;
    return !std::filesystem::is_regular_file(status) && !std::filesystem::is_directory(status);
}

// ---- Frame text parameters ----

// Reads the parameters off the front of the input; 0 once it is used up.
class ParameterReader {
public:
    ParameterReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // A code (style, mode, font): mostly -1..8, sometimes an extreme.
    int code() {
        const std::uint8_t b = byte();
        return b >= 240 ? extreme(b - 240) : b % 10 - 1;
    }

    // A length in device units: mostly -200..795 in steps of 5, sometimes an
    // extreme, sometimes any 32-bit value.
    int length() {
        const std::uint8_t b = byte();
        if (b < 200) return (b - 40) * 5;
        if (b < 240) return extreme(b - 200);
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i) raw = raw << 8 | byte();
        return static_cast<int>(raw);
    }

    std::string_view rest() const { return asText(data_ + pos_, size_ - pos_); }

private:
    static int extreme(unsigned index) {
        static constexpr int values[] = {INT_MIN,     INT_MIN + 1, INT_MAX,  INT_MAX - 1, INT_MIN / 2,
                                         INT_MAX / 2, -1,          0,        1,           2,
                                         3,           999,         1 << 20,  -(1 << 20),  65535,
                                         -65536};
        return values[index % std::size(values)];
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// start + extent, held inside the int range.
int edge(int start, int extent) {
    return static_cast<int>(std::clamp<long long>(static_cast<long long>(start) + extent, INT_MIN, INT_MAX));
}

// A recording surface that checks every character it is given.
class CheckingSurface : public RecordingSurface {
public:
    CheckingSurface() : RecordingSurface(trace_, 114) {}

    void drawText(int x, int y, std::string_view bytes, const Font& font) override {
        check(bytes.size() == 1 || bytes.size() == 2, "a character is one or two bytes");
        check((bytes.size() == 2) == (static_cast<unsigned char>(bytes[0]) >= 0x80),
              "two bytes exactly when the first is a lead byte");
        ++characters_;
        RecordingSurface::drawText(x, y, bytes, font);
    }
    std::size_t characters() const { return characters_; }

private:
    DiscardingStream trace_;
    std::size_t characters_ = 0;
};

void checkCount(const TextCount& count, std::string_view text) {
    check(count.count >= 1, "a text needs at least one line or column");
    check(count.D >= 0 && count.S >= 0, "character counts are not negative");
    check(2 * static_cast<std::size_t>(count.D) + count.S <= text.size(), "characters come from the text");
}

// ---- Test data lines ----

bool holdsSeparator(std::string_view word) { return word.find_first_of("\t ,") != std::string_view::npos; }

// ---- Data files ----

bool isColumn(const DataFileSummary& summary, const std::string& name) {
    return std::find(summary.columns.begin(), summary.columns.end(), name) != summary.columns.end();
}

void checkRecord(const DataRecord& record, std::int64_t number, const DataFileSummary& summary) {
    check(record.number == number, "records are numbered from 1 in order");
    for (const DataField& field : record.fields) {
        check(!field.value.empty(), "an empty value gives no field");
        check(isColumn(summary, field.name), "every field names a column");
    }
    for (const DataField& field : fieldsOf(record)) {
        check(!field.value.empty() && field.value.find_first_of("\r\n") == std::string::npos,
              "a page's field is one line, not empty");
    }
}

// A file that checks reads again to the same records, also from the
// position of each record.
void readDataFile(const std::string& path) {
    DataFileSummary summary;
    try {
        summary = checkDataFile(path);
    } catch (const ReportError&) {
        return;
    }
    DataFileReader reader(path);
    std::vector<std::pair<DataFilePosition, DataRecord>> records;
    for (DataFilePosition at = reader.position(); auto record = reader.next(); at = reader.position()) {
        checkRecord(*record, static_cast<std::int64_t>(records.size()) + 1, summary);
        records.emplace_back(at, std::move(*record));
    }
    check(static_cast<std::int64_t>(records.size()) == summary.records,
          "both readings count the same records");
    check(reader.columns() == summary.columns, "both readings see the same columns");
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        reader.seek(it->first);
        const std::optional<DataRecord> again = reader.next();
        check(again && again->number == it->second.number && again->fields == it->second.fields,
              "a record read from its position is the same");
    }
}

}  // namespace

void fuzzReportPage(const std::uint8_t* data, std::size_t size) {
    silenceMessages();
    const std::string path = scratch().write("report.txt", asText(data, size));
    previewReport(path);
    printReport(path);
}

void fuzzPageData(const std::uint8_t* data, std::size_t size) {
    silenceMessages();
    const std::string_view input = asText(data, size);
    std::string records = validReportPath() + "\r\n";
    records += input;
    composePage(scratch().write("records.rpt", records));

    const std::string whole = scratch().write("whole.rpt", input);
    if (!namesSpecialFile(PageDataReader(whole).reportPath())) composePage(whole);
}

void fuzzFrameText(const std::uint8_t* data, std::size_t size) {
    ParameterReader in(data, size);
    const int left = in.length();
    const int top = in.length();
    const int right = edge(left, in.length());
    const int bottom = edge(top, in.length());
    const int style = in.code();
    const int mode = in.code();
    const int fontCode = in.code();
    const int charHeight = in.length();
    const int colGap = in.length();
    const int rowGap = in.length();
    const std::string_view text = in.rest();

    CheckingSurface surface;
    XPrint engine;
    engine.surface = &surface;
    engine.DrawFrameText(left, top, right, bottom, style, mode, fontCode, charHeight, text, colGap, rowGap);
    // Every character drawn consumes text: the layout's work is bounded by it.
    check(surface.characters() <= text.size(), "no more characters drawn than the text holds");

    checkCount(CountTextLines(left, right, charHeight, text, colGap), text);
    checkCount(CountTextColumns(top, bottom, charHeight, text), text);
}

void fuzzTestDataLine(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = asText(data, size);
    const TestDataField field = readTestDataLine(text);
    check(!holdsSeparator(field.name) && !holdsSeparator(field.value), "name and value are single words");
    check(field.name.size() + field.value.size() <= text.size(), "name and value come from the line");

    const std::vector<std::string> lines = splitTestDataLines(text);
    std::size_t bytes = 0;
    for (const std::string& line : lines) {
        check(line.find_first_of("\r\n") == std::string::npos, "lines hold no line end");
        bytes += line.size() + 1;
        readTestDataLine(line);
    }
    check(bytes <= text.size() + 1, "the lines and their ends come from the text");
}

void fuzzBig5(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = asText(data, size);
    const std::u32string points = big5Decode(bytes);
    check(points.size() <= bytes.size(), "no more code points than bytes");
    const Big5Encoded encoded = big5Encode(points);
    check(encoded.ok() && encoded.bytes == bytes, "Big5 decoding then encoding gives the bytes back");
    const std::optional<std::string> viaUtf8 = utf8ToBig5(big5ToUtf8(bytes));
    check(viaUtf8 && *viaUtf8 == bytes, "Big5 to UTF-8 and back gives the bytes back");

    if (const std::optional<std::u32string> decoded = utf8Decode(bytes)) {
        check(utf8Encode(*decoded) == bytes, "valid UTF-8 decodes and encodes back to itself");
    }

    // The input as arbitrary code points, three bytes each (up to U+FFFFFF).
    std::u32string arbitrary;
    for (std::size_t i = 0; i + 3 <= size; i += 3) {
        arbitrary += static_cast<char32_t>(data[i] << 16 | data[i + 1] << 8 | data[i + 2]);
    }
    const Big5Encoded refused = big5Encode(arbitrary);
    check(refused.ok() || *refused.badIndex < arbitrary.size(), "the refused point is in the text");
    check(refused.bytes.size() <= 2 * refused.badIndex.value_or(arbitrary.size()),
          "only the points before the refused one are encoded");
    const std::optional<std::u32string> reread = utf8Decode(utf8Encode(arbitrary));
    check(reread && reread->size() == arbitrary.size(), "UTF-8 of any points is valid, one point each");
}

void fuzzDataFile(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = asText(data, size);
    for (const char* name : {"data.csv", "data.json", "data.jsonl"}) {
        readDataFile(scratch().write(name, input));
    }
}

}  // namespace zarvo::fuzz
