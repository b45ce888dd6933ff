#include "compose/DataFit.h"

#include <unordered_set>

#include "compose/PageComposer.h"
#include "engine/BlockStyle.h"
#include "engine/XPrint.h"
#include "painting/MeasuringSurface.h"
#include "report/Big5.h"
#include "report/Units.h"

namespace zarvo {
std::vector<ValueNotFitting> valuesNotFitting(const std::string& reportPath, DataPages& pages, std::size_t limit,
                                              const FitProgress& progress) {
    // Text is laid out in layout units whatever the device, so what fits
    // is the same on every printer.
    MeasuringSurface surface(kLayoutDpi);
    XPrint engine(reportPath);
    engine.dpi = kLayoutDpi;
    engine.surface = &surface;
    engine.pxoffset = engine.pyoffset = 0;
    drawForm(engine);
    // A picture takes its frame whatever its size: nothing to measure.
    std::unordered_set<std::string> pictures;
    for (const std::string& name : engine.blockNames()) {
        if (isPictureBlock(*engine.profile, name)) pictures.insert(name);
    }
    std::vector<ValueNotFitting> found;
    const std::int64_t total = pages.recordCount();
    for (std::int64_t page = 0; page < total && found.size() < limit; ++page) {
        for (const DataField& field : pages.pageFields(page)) {
            if (pictures.contains(field.name)) continue;
            if (engine.DrawField(field.name, field.value, 0, 0).complete() || found.size() >= limit) continue;
            found.push_back({page, pages.pageName(page), big5ToUtf8(field.name), big5ToUtf8(field.value)});
        }
        if (progress && !progress(page + 1, total)) break;
    }
    return found;
}

}  // namespace zarvo
