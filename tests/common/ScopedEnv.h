#pragma once
// An environment variable set for a test's lifetime.

#include <cstdlib>
#include <optional>
#include <string>

namespace zarvo::test {

// Sets name to value (nullopt unsets it) until destroyed, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        set(value);
    }
    ~ScopedEnv() { set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<std::string>& value) {
        if (value) setenv(name_, value->c_str(), 1);
        else unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace zarvo::test
