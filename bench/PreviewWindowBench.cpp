// The preview window paging through a ten-page delivery note: "下一頁"
// until the last page, the next page composed into the image and painted on
// screen each time.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "bench/GuiApplication.h"
#include "platform/os/DataRoot.h"
#include "preview/PreviewForm.h"
#include "compose/TestPage.h"
#include "report/TestDataLine.h"

namespace {

const std::string kExamples = std::string(ZARVO_SOURCE_DIR) + "/examples/";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void nextPage(benchmark::State& state) {
    ensureGuiApplication();
    std::filesystem::path root = std::filesystem::temp_directory_path() / "zarvo-bench-preview";
    std::filesystem::create_directories(root);
    zarvo::setDataRootOverride(root.string());
    {
        zarvo::TPreviewForm form(benchPrinters());
        form.setPreviewMode(1);
        const auto lines = zarvo::splitTestDataLines(readFile(kExamples + "delivery_note_data.txt"));
        for (int page = 0; page < 10; ++page) zarvo::writeTestPage(form.pages(), kExamples + "delivery_note.txt", lines);
        form.show();
        form.RenderPages();
        auto* next = form.findChild<QPushButton*>(QStringLiteral("Button3"));
        auto* e1 = form.findChild<QLineEdit*>(QStringLiteral("E1"));
        for (auto _ : state) {
            if (!next->isEnabled()) {
                state.PauseTiming();
                e1->setText(QStringLiteral("1"));
                form.RenderPages();
                QApplication::processEvents();
                state.ResumeTiming();
            }
            next->click();
            QApplication::processEvents();
        }
    }
    zarvo::setDataRootOverride("");
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(nextPage)->Unit(benchmark::kMillisecond);

}  // namespace
