#include "picture/PictureCache.h"

namespace zarvo {

PictureCache::PictureCache(std::size_t budget) : budget_(budget) {}

PictureCache& PictureCache::shared() {
    static PictureCache cache(std::size_t(64) << 20);
    return cache;
}

CachedPicture PictureCache::find(const std::string& key) {
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find(key);
    if (found == entries_.end()) return {};
    order_.splice(order_.begin(), order_, found->second.used);
    return found->second.picture;
}

void PictureCache::keep(const std::string& key, CachedPicture picture) {
    if (!picture.image) return;
    const std::size_t size = static_cast<std::size_t>(picture.image->sizeInBytes());
    const std::lock_guard lock(mutex_);
    if (entries_.contains(key)) return;
    order_.push_front(key);
    entries_.emplace(key, Entry{std::move(picture), size, order_.begin()});
    bytes_ += size;
    // The newest stays even when it alone is over the budget: it is being drawn.
    while (bytes_ > budget_ && order_.size() > 1) {
        const auto oldest = entries_.find(order_.back());
        bytes_ -= oldest->second.bytes;
        entries_.erase(oldest);
        order_.pop_back();
    }
}

std::pair<int, int> PictureCache::sourceSize(const std::string& key) const {
    const std::lock_guard lock(mutex_);
    const auto found = sizes_.find(key);
    return found == sizes_.end() ? std::pair<int, int>{0, 0} : found->second;
}

void PictureCache::keepSourceSize(const std::string& key, int width, int height) {
    const std::lock_guard lock(mutex_);
    if (sizes_.size() >= kKeptSizes) sizes_.clear();
    sizes_[key] = {width, height};
}

std::size_t PictureCache::bytes() const {
    const std::lock_guard lock(mutex_);
    return bytes_;
}

}  // namespace zarvo
