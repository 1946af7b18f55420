#include "support/Subprocess.h"

#include "support/ProcessStart.h"

#include <utility>

namespace zeph::testing {

Background::Background(const std::vector<std::string>& argv) : Background(argv, nullptr) {}

Background::Background(const std::vector<std::string>& argv, OutputSink output)
    : process_(StartBackground(argv, std::move(output))) {}

Background::~Background() {
    Stop();
}

Background::Background(Background&& other) noexcept = default;

Background& Background::operator=(Background&& other) noexcept {
    if (this != &other) {
        Stop();
        process_ = std::move(other.process_);
    }
    return *this;
}

void Background::Stop() {
    if (process_) {
        process_->Stop();
        process_.reset();
    }
}

} // namespace zeph::testing
