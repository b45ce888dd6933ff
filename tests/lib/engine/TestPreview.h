#pragma once
// A render context for engine tests: a recording surface for the screen
// image, a recording spooler with one printer, page files under a fixed
// stem, the trace in a string.

#include <sstream>
#include <string>
#include <vector>

#include "engine/RenderContext.h"
#include "platform/Messages.h"
#include "platform/recording/RecordingSpooler.h"
#include "platform/recording/RecordingSurface.h"

namespace zarvo::test {

class TestPreview {
public:
    explicit TestPreview(int mode = 1, int printerDpi = 300)
        : mode(mode), image(trace, 114), printers(trace, printerDpi, {{"Office", true}}), pages("/QEL/Tmp/1000") {
        pages.onPageStarted = [this](int page) {
            if (this->mode == 1) items.push_back(std::to_string(page + 1));
        };
    }

    // The context for an engine made now: mode 1 the screen, 0 paper. Its
    // information messages are shown through the message seam and counted
    // as repaints, as the preview window does.
    RenderContext context() {
        RenderContext context = paperContext(printers, printer);
        if (mode == 1) context.mode = RenderMode::Screen;
        context.pages = &pages;
        context.image = [this](int width, int height) -> Surface& {
            imageWidth = width;
            imageHeight = height;
            image.resize(width, height);
            return image;
        };
        context.info = [this](const std::string& message) {
            ShowInfo("%s", message.c_str());
            ++repaints;
        };
        return context;
    }

    // The trace lines written so far, and forgets them.
    std::vector<std::string> takeLines() {
        std::vector<std::string> lines;
        std::istringstream in(trace.str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        trace.str("");
        return lines;
    }

    int mode;
    std::string printer = "Office";
    std::vector<std::string> items;
    int imageWidth = 0;
    int imageHeight = 0;
    int repaints = 0;
    std::ostringstream trace;
    RecordingSurface image;
    RecordingSpooler printers;
    PageSequence pages;
};

}  // namespace zarvo::test
