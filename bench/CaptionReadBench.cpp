// How long Tesseract's Traditional Chinese model takes to read one caption
// of a worn 300 dpi scan, cut out as the Layout page cuts it, and to start.
// Not run by ctest: build and run bench/CaptionReadBench by hand.

#include <benchmark/benchmark.h>

#include "bench/GuiApplication.h"
#include "scancaptions/ScanCaptions.h"
#include "tests/common/WornCaptionForm.h"

namespace {

using zarvo::test::WornCaptionForm;

void BM_ReadOneCaption(benchmark::State& state) {
    const std::optional<std::filesystem::path> model = zarvo::traditionalChineseModelDir();
    if (!model) {
        state.SkipWithError("tesseract-ocr-chi-tra is not installed");
        return;
    }
    ensureGuiApplication();  // the captions are drawn in a font
    const WornCaptionForm form = zarvo::test::wornCaptionForm();
    std::vector<QImage> captions;
    for (const zarvo::test::WornCaption& caption : form.captions)
        captions.push_back(zarvo::captionImage(form.scan, WornCaptionForm::px(1), caption.box));
    const std::unique_ptr<zarvo::CaptionReader> reader = zarvo::tesseractCaptionReader(*model);
    std::size_t next = 0;
    for (auto _ : state) benchmark::DoNotOptimize(reader->read(captions[next++ % captions.size()]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadOneCaption)->Unit(benchmark::kMillisecond);

void BM_StartTheReader(benchmark::State& state) {
    const std::optional<std::filesystem::path> model = zarvo::traditionalChineseModelDir();
    if (!model) {
        state.SkipWithError("tesseract-ocr-chi-tra is not installed");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(zarvo::tesseractCaptionReader(*model));
}
BENCHMARK(BM_StartTheReader)->Unit(benchmark::kMillisecond);

}  // namespace
