#pragma once
// Pictures made for one size and tone, kept by what made them, so that the
// same picture on many pages is one QImage (a PDF writer stores it once)
// and is read and decoded once. Shared by every thread; the pictures kept
// are bounded by their bytes, the least recently used dropped first.

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <list>
#include <utility>

#include <QImage>

#include "picture/PictureStyle.h"

namespace zarvo {

struct CachedPicture {
    std::shared_ptr<const QImage> image;
};

class PictureCache {
public:
    // Keeps pictures of at most budget bytes of pixels.
    explicit PictureCache(std::size_t budget);

    // The cache every drawing uses (64 MiB of pixels).
    static PictureCache& shared();

    // The picture kept under key; null image when there is none.
    CachedPicture find(const std::string& key);
    // Keeps picture under key, dropping the least recently used beyond the budget.
    void keep(const std::string& key, CachedPicture picture);
    // Bytes of pixels kept now.
    std::size_t bytes() const;

    // The pixel size of the picture whose bytes key names, as its header
    // said; {0, 0} when not known.
    std::pair<int, int> sourceSize(const std::string& key) const;
    // Remembers the size of key's picture (at most kKeptSizes, then all
    // are forgotten and remembered afresh).
    void keepSourceSize(const std::string& key, int width, int height);
    static constexpr std::size_t kKeptSizes = 4096;

private:
    using Order = std::list<std::string>;
    struct Entry {
        CachedPicture picture;
        std::size_t bytes = 0;
        Order::iterator used;
    };
    std::size_t budget_;
    std::size_t bytes_ = 0;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    std::unordered_map<std::string, std::pair<int, int>> sizes_;
    Order order_;  // most recently used first
};

}  // namespace zarvo
