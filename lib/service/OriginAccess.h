#pragma once
// Which web pages may print through the service. A page's requests carry
// its origin ("https://erp.example.com"); an origin may print when the
// settings file lists it or when the person at this computer said yes to
// it. Each allowed origin has a token of its own, given to the page when it
// pairs, that works with that origin only. Origins the person allowed are
// kept, with their tokens, in a file of the user's alone.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvo {

// origin as "scheme://host[:port]" with scheme and host in lower case, or
// nullopt when it is no such origin ("null", a path, a user name, spaces,
// a scheme other than http or https, a port outside 1..65535).
std::optional<std::string> canonicalOrigin(std::string_view origin);

// Asks the person at this computer whether origin may print; answer is
// called once, from any thread, with what they said.
class OriginQuestion {
public:
    virtual ~OriginQuestion() = default;
    virtual void ask(const std::string& origin, std::function<void(bool)> answer) = 0;
};

// "允許 ORIGIN 使用本機印表機列印嗎?"
std::string originQuestionText(const std::string& origin);

class OriginAccess {
public:
    struct Settings {
        std::vector<std::string> configured;  // canonical origins from the settings file
        std::string storePath;                // where paired origins and their tokens are kept
        std::chrono::seconds answerWait{120};
        std::chrono::seconds askInterval{60};  // the same origin is asked at most this often
    };

    // Reads the paired origins from settings.storePath. Throws ReportError
    // when that file exists but cannot be read, or others can read it.
    explicit OriginAccess(Settings settings);

    // Who asks the person; none (the default) when there is no desktop,
    // and then only configured origins pair. Not owned; set before use.
    void setQuestion(OriginQuestion* question);

    // Whether origin (canonical) may print.
    bool allowed(const std::string& origin) const;
    // Whether token is origin's own token.
    bool tokenFits(const std::string& origin, std::string_view token) const;

    // origin's token when it may pair: a configured origin's at once; a
    // paired one's the first time after the person said yes; otherwise
    // after asking the person and waiting for a yes. nullopt when refused,
    // not answered in time, or when no one can be asked.
    std::optional<std::string> pair(const std::string& origin);

    // An origin that is not allowed tried to print: the person is asked,
    // beside, at most once an interval; a yes pairs it.
    void noticeRefused(const std::string& origin);

    // The origins the person allowed, sorted.
    std::vector<std::string> pairedOrigins() const;
    // Takes back what the person allowed for origin; its token stops working.
    void forget(const std::string& origin);

private:
    struct Paired {
        std::string token;
        bool handedOut = true;  // a page has it; pairing again asks again
    };
    struct Asking {
        bool answered = false;
        bool yes = false;
    };

    // Asks about origin unless it was asked within the interval; the
    // question in progress (new or not), nullptr when none may be asked.
    // lock holds mutex_ and is let go while the question is put.
    std::shared_ptr<Asking> askLocked(const std::string& origin, std::unique_lock<std::mutex>& lock);
    void answered(const std::string& origin, const std::shared_ptr<Asking>& asking, bool yes);
    void saveLocked() const;

    Settings settings_;
    OriginQuestion* question_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::string> configuredTokens_;  // made when first paired
    std::map<std::string, Paired> paired_;
    std::map<std::string, std::shared_ptr<Asking>> asking_;
    std::map<std::string, std::chrono::steady_clock::time_point> lastAsked_;
};

}  // namespace zarvo
