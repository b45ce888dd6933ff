// The designer's synchronisation of text and lists on a report of 2,000
// rows: leaving the source page (the three lists rebuilt from the text) and
// leaving a list page after an edit (its section rewritten into the text).

#include <benchmark/benchmark.h>

#include <memory>

#include <QPlainTextEdit>

#include "bench/GuiApplication.h"
#include "designer/SourceEditor.h"
#include "designer/MainWindow.h"

namespace {

// 700 lines, 700 labels and 600 blocks, written as the designer writes them.
QString largeReport() {
    QString text = QStringLiteral("0\t10\t8\nLINE_INFO\t700\n");
    for (int i = 0; i < 700; ++i) text += QStringLiteral("0\t1\t%1\t30.5\t122\t%1\t\n").arg(i);
    text += QStringLiteral("LABEL_STRING\t700\n");
    for (int i = 0; i < 700; ++i)
        text += QStringLiteral("0\t%1\t12\t190\t6\t0\t0\t3\t0\t3.5\t0\t0\t標題%1\n").arg(i);
    text += QStringLiteral("BLOCK_INFO\t600\n");
    for (int i = 0; i < 600; ++i)
        text += QStringLiteral("0\t22\t%1\t98\t8\t0\t0\t7\t0\t4\t2.5\t0\tfield%1\n").arg(i);
    return text;
}

std::unique_ptr<zarvo::MainWindow> windowWithLargeReport() {
    ensureGuiApplication();
    auto window = std::make_unique<zarvo::MainWindow>(benchPrinters());
    window->document().open(largeReport(), QString());
    return window;
}

// Leaves the source page after typing, and a list page after an edit.
void leavePage(benchmark::State& state, bool typed) {
    const auto window = windowWithLargeReport();
    zarvo::ReportDocument& document = window->document();
    for (auto _ : state) {
        if (typed) {
            document.typeText(document.text());
        } else {
            document.replaceRow(zarvo::Section::Labels, 0, document.rows(zarvo::Section::Labels).value(0));
        }
        window->PageControl1Changing();
    }
}
BENCHMARK_CAPTURE(leavePage, LeaveSourcePage, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(leavePage, LeaveLabelPageAfterEdit, false)->Unit(benchmark::kMillisecond);

}  // namespace
