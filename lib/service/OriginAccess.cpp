#include "service/OriginAccess.h"

#include <algorithm>
#include <sstream>

#include "platform/os/PrivateFile.h"
#include "report/ReportError.h"
#include "service/ServiceFiles.h"

namespace zarvo {
namespace {

constexpr std::size_t kMaxOriginBytes = 256;
constexpr std::size_t kMaxStoreBytes = 256 * 1024;
constexpr std::size_t kTokenBytes = 32;

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool hostChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool ipv6Char(char c) { return (c >= 'a' && c <= 'f') || (c >= '0' && c <= '9') || c == ':' || c == '.'; }

}  // namespace

std::optional<std::string> canonicalOrigin(std::string_view origin) {
    if (origin.size() > kMaxOriginBytes) return std::nullopt;
    std::string text;
    for (char c : origin) text += lower(c);
    std::string scheme;
    for (const char* known : {"http", "https"}) {
        if (text.starts_with(std::string(known) + "://")) scheme = known;
    }
    if (scheme.empty()) return std::nullopt;
    std::string_view rest = std::string_view(text).substr(scheme.size() + 3);
    std::string_view host;
    if (rest.starts_with('[')) {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close == 1) return std::nullopt;
        host = rest.substr(0, close + 1);
        if (!std::all_of(host.begin() + 1, host.end() - 1, ipv6Char)) return std::nullopt;
    } else {
        host = rest.substr(0, rest.find(':'));
        if (host.empty() || !std::all_of(host.begin(), host.end(), hostChar) || host.front() == '.' ||
            host.front() == '-') {
            return std::nullopt;
        }
    }
    rest.remove_prefix(host.size());
    std::string result = scheme + "://" + std::string(host);
    if (rest.empty()) return result;
    if (!rest.starts_with(':')) return std::nullopt;
    const std::optional<int> port = parsePort(rest.substr(1));
    if (!port) return std::nullopt;
    // Browsers leave the scheme's own port out of an origin.
    if ((scheme == "http" && *port == 80) || (scheme == "https" && *port == 443)) return result;
    return result + ":" + std::to_string(*port);
}

std::string originQuestionText(const std::string& origin) {
    return "允許 " + origin + " 使用本機印表機列印嗎?";
}

OriginAccess::OriginAccess(Settings settings) : settings_(std::move(settings)) {
    const std::optional<std::string> text = readPrivateText(settings_.storePath, kMaxStoreBytes, "網頁配對檔");
    if (!text) return;
    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string origin;
        std::string token;
        fields >> origin >> token;
        const std::optional<std::string> canonical = canonicalOrigin(origin);
        // A line that is not an origin and a token is left out; the
        // file is written whole again at the next change.
        if (canonical && token.size() == 2 * kTokenBytes) paired_[*canonical] = Paired{token, true};
    }
}

void OriginAccess::setQuestion(OriginQuestion* question) { question_ = question; }

bool OriginAccess::allowed(const std::string& origin) const {
    std::lock_guard lock(mutex_);
    return std::ranges::count(settings_.configured, origin) > 0 || paired_.count(origin) > 0;
}

bool OriginAccess::tokenFits(const std::string& origin, std::string_view token) const {
    std::lock_guard lock(mutex_);
    if (const auto paired = paired_.find(origin); paired != paired_.end() && sameSecret(token, paired->second.token)) {
        return true;
    }
    const auto configured = configuredTokens_.find(origin);
    return configured != configuredTokens_.end() && std::ranges::count(settings_.configured, origin) > 0 &&
           sameSecret(token, configured->second);
}

std::optional<std::string> OriginAccess::pair(const std::string& origin) {
    std::unique_lock lock(mutex_);
    if (std::ranges::count(settings_.configured, origin)) {
        auto [place, added] = configuredTokens_.emplace(origin, std::string());
        if (added) place->second = randomHex(kTokenBytes);
        return place->second;
    }
    if (auto paired = paired_.find(origin); paired != paired_.end() && !paired->second.handedOut) {
        paired->second.handedOut = true;
        return paired->second.token;
    }
    const std::shared_ptr<Asking> asking = askLocked(origin, lock);
    if (!asking) return std::nullopt;
    changed_.wait_for(lock, settings_.answerWait, [&] { return asking->answered; });
    if (!asking->yes) return std::nullopt;
    auto paired = paired_.find(origin);
    if (paired == paired_.end()) return std::nullopt;
    // Of several pages waiting on the same question, the first takes it.
    if (paired->second.handedOut) return std::nullopt;
    paired->second.handedOut = true;
    return paired->second.token;
}

void OriginAccess::noticeRefused(const std::string& origin) {
    std::unique_lock lock(mutex_);
    askLocked(origin, lock);
}

std::shared_ptr<OriginAccess::Asking> OriginAccess::askLocked(const std::string& origin,
                                                              std::unique_lock<std::mutex>& lock) {
    if (const auto pending = asking_.find(origin); pending != asking_.end()) return pending->second;
    if (!question_) return nullptr;
    const auto now = std::chrono::steady_clock::now();
    const auto last = lastAsked_.find(origin);
    if (last != lastAsked_.end() && now - last->second < settings_.askInterval) return nullptr;
    lastAsked_[origin] = now;
    auto asking = std::make_shared<Asking>();
    asking_[origin] = asking;
    // Asked without the lock: an answer may come before ask() returns.
    OriginQuestion* question = question_;
    lock.unlock();
    question->ask(origin, [this, origin, asking](bool yes) { answered(origin, asking, yes); });
    lock.lock();
    return asking;
}

void OriginAccess::answered(const std::string& origin, const std::shared_ptr<Asking>& asking, bool yes) {
    {
        std::lock_guard lock(mutex_);
        asking->answered = true;
        asking->yes = yes;
        asking_.erase(origin);
        if (yes) {
            paired_[origin] = Paired{randomHex(kTokenBytes), false};
            try {
                saveLocked();
            } catch (const ReportError&) {
                // Allowed until the service stops; asked again after.
            }
        }
    }
    changed_.notify_all();
}

std::vector<std::string> OriginAccess::pairedOrigins() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> origins;
    for (const auto& [origin, paired] : paired_) origins.push_back(origin);
    return origins;
}

void OriginAccess::forget(const std::string& origin) {
    std::lock_guard lock(mutex_);
    if (paired_.erase(origin)) saveLocked();
}

void OriginAccess::saveLocked() const {
    std::string text;
    for (const auto& [origin, paired] : paired_) text += origin + " " + paired.token + "\n";
    replacePrivateFile(settings_.storePath, text, "網頁配對檔");
}

}  // namespace zarvo
