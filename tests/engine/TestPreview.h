#pragma once
// A preview state for engine tests: a recording surface for the image, a
// recording spooler with one printer, the trace in a string.

#include <sstream>
#include <string>
#include <vector>

#include "engine/PreviewState.h"
#include "platform/recording/RecordingSpooler.h"
#include "platform/recording/RecordingSurface.h"

namespace zarvo::test {

class TestPreview : public PreviewState {
public:
    explicit TestPreview(int mode = 1, int printerDpi = 300)
        : mode(mode), image(trace, 114), printers(trace, printerDpi, {{"Office", true}}) {
        setCurrentPreview(this);
    }
    ~TestPreview() override { setCurrentPreview(nullptr); }

    int previewMode() const override { return mode; }
    std::string printerName() const override { return printer; }
    int lastPage() const override { return last; }
    void setLastPage(int page) override { last = page; }
    std::string dataFileStem() const override { return stem; }
    void addPageItem(const std::string& item) override { items.push_back(item); }
    Surface& sizeImage(int width, int height) override {
        imageWidth = width;
        imageHeight = height;
        image.resize(width, height);
        return image;
    }
    void repaintImage() override { ++repaints; }
    Spooler& spooler() override { return printers; }

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
    int last = -1;
    std::string stem = "/QEL/Tmp/1000";
    std::vector<std::string> items;
    int imageWidth = 0;
    int imageHeight = 0;
    int repaints = 0;
    std::ostringstream trace;
    RecordingSurface image;
    RecordingSpooler printers;
};

}  // namespace zarvo::test
