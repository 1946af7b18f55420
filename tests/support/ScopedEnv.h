// Sets (or removes) an environment variable for a scope and puts back what was there.
#pragma once

#include "support/Environment.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace zeph::testing {

class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) {
            saved_ = old;
        }
        Put(value);
    }
    ~ScopedEnv() { Put(saved_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Put(const std::optional<std::string>& value) { PutEnv(name_, value); }
    std::string name_;
    std::optional<std::string> saved_;
};

} // namespace zeph::testing
