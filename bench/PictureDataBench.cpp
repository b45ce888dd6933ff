// Signatures from a data file: 10,000 delivery notes, each naming a small
// signature picture of its own, printed to one PDF, next to the same
// records without the signature column. Compare the sheets a second of the
// two (with pictures at least half of without) and the peak memory of
// 1,000 and 10,000 records with pictures (flat: decoded pictures are kept
// in a cache of bounded size, pages are written and removed one by one).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <QColor>
#include <QImage>
#include <QPainter>

#include "bench/DeliveryNote.h"
#include "bench/GuiApplication.h"
#include "compose/DataPages.h"
#include "compose/PageComposer.h"
#include "painting/PdfSpooler.h"
#include "picture/PictureDecoder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "zarvo-bench-signatures";
constexpr int kSignatures = 10000;

// The delivery note with a 40 x 15 mm signature frame in its 客戶簽收 box,
// its seal beside, and the signatures.
void makeFolder() {
    const fs::path last = kFolder / "sig" / ("s" + std::to_string(kSignatures) + ".png");
    if (fs::exists(kFolder / "note.txt") && fs::exists(last)) return;
    fs::create_directories(kFolder / "sig");
    std::string report = readFile(kExamples + "delivery_note.txt");
    const std::string count = "BLOCK_INFO\t67\r\n";
    report.replace(report.find(count), count.size(), "BLOCK_INFO\t68\r\n");
    report += "0\t146\t206\t40\t15\t0\t0\t0\t0\t4\t0\t0\tsig\r\n";
    std::ofstream(kFolder / "note.txt", std::ios::binary) << report;
    std::ofstream(kFolder / "note.zarvo", std::ios::binary)
        << readFile(kExamples + "delivery_note.zarvo") << "\n[Block sig]\nkind=image\n";
    fs::copy_file(kExamples + "delivery_note_seal.svg", kFolder / "delivery_note_seal.svg",
                  fs::copy_options::overwrite_existing);
    for (int i = 1; i <= kSignatures; ++i) {
        // A stroke that differs from picture to picture, 160 x 60 pixels.
        QImage picture(160, 60, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setPen(QPen(QColor(20, 30, 120), 3));
        painter.drawLine(5, 50 - i % 40, 155, 10 + i % 45);
        painter.drawEllipse(20 + i % 90, 10, 30, 30);
        painter.end();
        picture.save(QString::fromStdString((kFolder / "sig" / ("s" + std::to_string(i) + ".png")).string()));
    }
}

std::string records(int count, bool pictures) {
    const fs::path path = kFolder / (std::string(pictures ? "with" : "without") + std::to_string(count) + ".csv");
    std::ofstream out(path, std::ios::binary);
    out << "customer,date,no,item1,qty1,price1,amount1" << (pictures ? ",sig\r\n" : "\r\n");
    for (int i = 1; i <= count; ++i) {
        out << "\"祥和國際貿易股份有限公司, 第" << i << "號\",113年06月14日,SH" << i
            << ",不鏽鋼六角螺栓M8x30,12,480,5760";
        if (pictures) out << ",sig/s" << i << ".png";
        out << "\r\n";
    }
    return path.string();
}

void signaturesToPdf(benchmark::State& state) {
    ensureGuiApplication();
    static const bool limited = (zarvo::limitPictureAllocation(), true);
    (void)limited;
    makeFolder();
    DeliveryNote note;  // the data directory and the page sequence
    const std::string output = (fs::temp_directory_path() / "zarvo-bench-signatures.pdf").string();
    zarvo::PdfSpooler spooler(output);
    zarvo::DataPages pages((kFolder / "note.txt").string(), records(int(state.range(0)), state.range(1) != 0));
    zarvo::RenderContext paper = zarvo::paperContext(spooler, spooler.printers().front().name);
    paper.pictureFolder = pages.pictureFolder();
    const std::string stem = note.pages.stem();
    zarvo::CompositionProblems problems;
    for (auto _ : state) {
        zarvo::printSheets(paper, pages.recordCount(),
                           [&](std::int64_t i) {
                               if (i > 0) fs::remove(zarvo::pageFileName(stem, 1));
                               pages.writePage(stem, 1, i);
                               return zarvo::pageFileName(stem, 1);
                           },
                           problems);
    }
    state.SetItemsProcessed(state.iterations() * pages.recordCount());
    state.counters["sheets_per_s"] =
        benchmark::Counter(double(pages.recordCount()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_rss_kb"] = static_cast<double>(peakRssKb());
}

// {records, with pictures}: without first, so that its peak memory is not the other's.
BENCHMARK(signaturesToPdf)
    ->Args({kSignatures, 0})
    ->Args({1000, 1})
    ->Args({kSignatures, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
