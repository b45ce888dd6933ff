// From the start of the program to its main window on screen, with the
// printer list read from a print service that holds 20 queues: the system's
// printers listed, the permanent windows made (the preview window lists the
// printers), the main window shown and its first events handled.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <QApplication>
#include <QWidget>

#include "bench/GuiApplication.h"
#include "printing/CupsSpooler.h"
#include "shell/Startup.h"
#include "tests/support/PrivateCups.h"

namespace {

// One private print service for the whole run, with 20 queues.
void printServiceWithTwentyQueues() {
    static std::unique_ptr<zarvo::test::PrivateCups> cups;
    if (cups) return;
    cups = std::make_unique<zarvo::test::PrivateCups>();
    for (int queue = 1; queue <= 20; ++queue) cups->addQueue("queue" + std::to_string(queue));
    cups->setDefault("queue7");
}

void startToShownMainWindow(benchmark::State& state) {
    ensureGuiApplication();
    printServiceWithTwentyQueues();
    for (auto _ : state) {
        zarvo::CupsSpooler printers;
        zarvo::StartupWindows windows(zarvo::startupSteps(), printers);
        windows.mainWindow()->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(windows.mainWindow()->isVisible());
    }
}
BENCHMARK(startToShownMainWindow)->Unit(benchmark::kMillisecond);

}  // namespace
