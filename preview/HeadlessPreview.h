#pragma once
// A preview state without a window, for zarvo-render and the benchmarks:
// the page sequence, mode and printer of a preview window. Its image is
// whatever surface the current output supplies.

#include <functional>
#include <string>
#include <vector>

#include "engine/PreviewState.h"

namespace zarvo {

class HeadlessPreview : public PreviewState {
public:
    // Sizes the image of the current output and returns its surface.
    using ImageSizer = std::function<Surface&(int width, int height)>;

    // stem: DataFileStem; registers itself as the current preview until it
    // is destroyed, when the one current before is put back.
    explicit HeadlessPreview(std::string stem);
    ~HeadlessPreview() override;

    void setPreviewMode(int mode) { mode_ = mode; }
    void setPrinter(Spooler* spooler, std::string name);
    void setImageSizer(ImageSizer sizer) { sizer_ = std::move(sizer); }
    const std::vector<std::string>& pageItems() const { return items_; }

    int previewMode() const override { return mode_; }
    std::string printerName() const override { return printer_; }
    int lastPage() const override { return lastPage_; }
    void setLastPage(int page) override { lastPage_ = page; }
    std::string dataFileStem() const override { return stem_; }
    void addPageItem(const std::string& item) override { items_.push_back(item); }
    Surface& sizeImage(int width, int height) override { return sizer_(width, height); }
    void repaintImage() override {}
    Spooler& spooler() override { return *spooler_; }

private:
    PreviewState* previous_;
    std::string stem_;
    int mode_ = 0;
    int lastPage_ = -1;
    std::string printer_;
    Spooler* spooler_ = nullptr;
    ImageSizer sizer_;
    std::vector<std::string> items_;
};

}  // namespace zarvo
