// Progress: rate-limited redraws of one carriage-return line.
#include "Progress.h"

#include <cstdio>

#include "Platform.h"

namespace zabrelo_tool {

namespace {
constexpr auto kQuietPeriod = std::chrono::seconds(2);
constexpr auto kRedrawPeriod = std::chrono::milliseconds(200);
}  // namespace

Progress::Progress(bool enabled)
    : enabled_(enabled && StderrIsTerminal()), start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
    if (shown_) std::fputs("\r\033[K", stderr);
}

void Progress::Stage(const char* name, std::size_t total) {
    stage_ = name;
    total_ = total;
    if (enabled_) Show(0);
}

void Progress::Update(std::size_t done) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastShown_ >= kRedrawPeriod) Show(done);
}

void Progress::Show(std::size_t done) {
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < kQuietPeriod) return;
    lastShown_ = now;
    shown_ = true;
    if (total_ == 0) {
        std::fprintf(stderr, "\r\033[Kzabrelo: %s...", stage_);
    } else {
        std::fprintf(stderr, "\r\033[Kzabrelo: %s %zu%%", stage_,
                     static_cast<std::size_t>(100.0 * static_cast<double>(done) / static_cast<double>(total_)));
    }
    std::fflush(stderr);
}

}  // namespace zabrelo_tool
