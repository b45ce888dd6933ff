// A dense A4 form of Chinese text, 500 pages: `zarvo-render --print --pdf`
// as one whole process, next to BarePdfWriter (a bare QPdfWriter program
// drawing the same strings at the same places, one drawText per field).
// Five alternating runs of each; the medians of their times and the sizes
// of the files they wrote are reported side by side.

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <QImage>
#include <QPainter>

#include "bench/GuiApplication.h"
#include "engine/XPrint.h"
#include "painting/FontFaces.h"
#include "painting/QtSurface.h"
#include "compose/PageComposer.h"
#include "report/Big5.h"
#include "report/PageDataFile.h"
#include "report/Units.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 500;
constexpr int kBlocks = 60;
constexpr int kRules = 40;
constexpr int kRuns = 5;
constexpr int kDpi = 300;

// The report: 40 ruled lines and 60 blocks of 3.5 mm text in four columns,
// every third one a number set against its right edge, the others spread
// over their frame.
std::string denseReport() {
    std::string report = "0\t0\t0\r\nLINE_INFO\t" + std::to_string(kRules) + "\r\n";
    for (int j = 0; j < kRules; ++j) {
        const std::string y = std::to_string(12 + 7 * j);
        report += "0\t1\t10\t" + y + "\t200\t" + y + "\r\n";
    }
    report += "LABEL_STRING\t0\r\nBLOCK_INFO\t" + std::to_string(kBlocks) + "\r\n";
    for (int i = 0; i < kBlocks; ++i) {
        report += "0\t" + std::to_string(10 + 48 * (i % 4)) + "\t" + std::to_string(15 + 17 * (i / 4)) +
                  "\t45\t8\t0\t0\t" + (i % 3 == 0 ? "5" : "1") + "\t0\t3.5\t0\t0\tf" + std::to_string(i) + "\r\n";
    }
    return report;
}

// Field i of page k (Big5).
std::string fieldValue(int page, int field) {
    if (field % 3 == 0) return std::to_string(1000 + 7 * page + field);
    return *zarvo::utf8ToBig5("臺北市信義區市府路一號") + std::to_string(page);
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The report and its page data files in dir; returns the page files.
std::vector<std::string> writeDenseJob(const fs::path& dir) {
    const std::string report = (dir / "dense.txt").string();
    writeFile(report, denseReport());
    std::vector<std::string> pages;
    for (int k = 0; k < kPages; ++k) {
        std::string page = zarvo::formatPageHeader(report);
        for (int i = 0; i < kBlocks; ++i) {
            page += zarvo::formatFieldRecord("f" + std::to_string(i), 0, 0, fieldValue(k, i));
        }
        pages.push_back((dir / ("page" + std::to_string(k) + ".rpt")).string());
        writeFile(pages.back(), page);
    }
    return pages;
}

// A field as the engine starts it: its first character's cell and its text.
struct FieldStart {
    int x = 0;
    int y = 0;
    std::string text;  // Big5
};

// A surface that notes where every field starts: DrawField sets the text
// colour before each field, so the character after it begins the next one.
// Metrics are those of the Qt surface at 300 dpi, as on a PDF page.
class FieldStarts : public zarvo::Surface {
public:
    FieldStarts() : image_(1, 1, QImage::Format_RGB32) {
        const int dotsPerMetre = static_cast<int>(std::lround(kDpi / 0.0254));
        image_.setDotsPerMeterX(dotsPerMetre);
        image_.setDotsPerMeterY(dotsPerMetre);
        painter_.begin(&image_);
        metrics_.emplace(painter_, kDpi);
    }

    int dotsPerInch() const override { return kDpi; }
    void clear() override {}
    void drawLine(int, int, int, int, const zarvo::Pen&) override {}
    void setTextColor(zarvo::Rgb) override { fieldBegins_ = true; }
    void drawText(int x, int y, std::string_view bytes, const zarvo::Font&) override {
        if (fieldBegins_) fields.push_back({x, y, {}});
        fieldBegins_ = false;
        fields.back().text += bytes;
    }
    void drawRect(int, int, int, int, const zarvo::Pen&) override {}
    void fillRect(double, double, double, double, zarvo::Rgb) override {}
    zarvo::FontMetrics metrics(zarvo::FontFace face, int height) override {
        return metrics_->metrics(face, height);
    }

    std::vector<FieldStart> fields;

private:
    QImage image_;
    QPainter painter_;
    std::optional<zarvo::QtSurface> metrics_;
    bool fieldBegins_ = false;
};

// The job of BarePdfWriter: the face at the em size of the form's 3.5 mm
// characters, then for every page each field's text at its first
// character's baseline.
void writeBareJob(const std::vector<std::string>& pageFiles, const fs::path& job) {
    const zarvo::FaceShape& ming = zarvo::faceShape(zarvo::FontFace::Ming);
    const double em = zarvo::mmToDevice(3.5f, kDpi) / ming.cellPerEm;
    const int ascent = static_cast<int>(std::lround(em * ming.ascentPerEm));
    std::ofstream out(job, std::ios::binary);
    out << ming.family.toStdString() << '\t' << em << '\n';
    FieldStarts starts;
    for (const std::string& file : pageFiles) {
        zarvo::PageDataReader page(file);
        zarvo::XPrint engine(page.reportPath());
        engine.dpi = kDpi;
        engine.surface = &starts;
        zarvo::drawForm(engine);
        zarvo::placeFieldRecords(engine, page);
        out << "page\n";
        for (const FieldStart& field : starts.fields) {
            out << field.x << '\t' << field.y + ascent << '\t' << zarvo::big5ToUtf8(field.text) << '\n';
        }
        starts.fields.clear();
    }
}

// One run of a program: its wall time and peak memory.
struct RunCost {
    double seconds = 0;
    long peakRssKb = 0;
};

// Runs a program to its end; throws when it cannot be started or fails.
RunCost timedRun(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + args[0]);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(args[0] + " failed");
    return {elapsed.count(), usage.ru_maxrss};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void densePdfJob(benchmark::State& state) {
    ensureGuiApplication();
    const fs::path dir = fs::temp_directory_path() / "zarvo-bench-dense";
    fs::remove_all(dir);
    fs::create_directories(dir / "data");
    const std::vector<std::string> pages = writeDenseJob(dir);
    const std::string job = (dir / "bare-job.txt").string();
    writeBareJob(pages, job);

    const std::string zarvoPdf = (dir / "zarvo.pdf").string();
    const std::string barePdf = (dir / "bare.pdf").string();
    std::vector<std::string> zarvoArgs = {ZARVO_RENDER, "--print", "--pdf", zarvoPdf,
                                          "--data-dir", (dir / "data").string(), "--pages"};
    zarvoArgs.insert(zarvoArgs.end(), pages.begin(), pages.end());
    const std::vector<std::string> bareArgs = {BARE_PDF_WRITER, job, barePdf};

    std::vector<double> zarvoTimes;
    std::vector<double> bareTimes;
    long zarvoPeakKb = 0;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const RunCost zarvo = timedRun(zarvoArgs);
            zarvoTimes.push_back(zarvo.seconds);
            zarvoPeakKb = std::max(zarvoPeakKb, zarvo.peakRssKb);
            bareTimes.push_back(timedRun(bareArgs).seconds);
        }
        state.SetIterationTime(median(zarvoTimes));
    }
    const double zarvoBytes = static_cast<double>(fs::file_size(zarvoPdf));
    const double bareBytes = static_cast<double>(fs::file_size(barePdf));
    state.counters["zarvo_s"] = median(zarvoTimes);
    state.counters["bare_s"] = median(bareTimes);
    state.counters["time_ratio"] = median(zarvoTimes) / median(bareTimes);
    state.counters["zarvo_bytes"] = zarvoBytes;
    state.counters["bare_bytes"] = bareBytes;
    state.counters["zarvo_peak_rss_kb"] = static_cast<double>(zarvoPeakKb);
    state.SetLabel("zarvo " + std::to_string(static_cast<long>(zarvoBytes)) + " B, bare " +
                   std::to_string(static_cast<long>(bareBytes)) + " B");
    fs::remove_all(dir);
}

BENCHMARK(densePdfJob)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
