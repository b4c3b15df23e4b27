// Progress: rate-limited redraws of one carriage-return line.
#include "Progress.h"

#include <cstdio>
#include <cstdlib>

#include "Platform.h"

namespace zabrelo_tool {

namespace {

constexpr double kQuietSeconds = 2;
constexpr auto kRedrawPeriod = std::chrono::milliseconds(200);

std::chrono::steady_clock::duration QuietPeriod() {
    const std::string text = EnvironmentValue("ZABRELO_PROGRESS_DELAY");
    char* end = nullptr;
    double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(seconds >= 0 && seconds < 1e6)) seconds = kQuietSeconds;
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace

Progress::Progress(bool wanted, bool toStdout)
    : enabled_(wanted && StderrIsTerminal() && !(toStdout && StdoutIsTerminal()) && StderrTakesEscapes()),
      quietPeriod_(QuietPeriod()),
      start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
    if (shown_) std::fputs("\r\033[K", stderr);
}

void Progress::Stage(std::string name, std::size_t total) {
    stage_ = std::move(name);
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
    if (now - start_ < quietPeriod_) return;
    lastShown_ = now;
    shown_ = true;
    if (total_ == 0) {
        std::fprintf(stderr, "\r\033[Kzabrelo: %s...", stage_.c_str());
    } else {
        std::fprintf(stderr, "\r\033[Kzabrelo: %s %zu%%", stage_.c_str(),
                     static_cast<std::size_t>(100.0 * static_cast<double>(done) / static_cast<double>(total_)));
    }
    std::fflush(stderr);
}

}  // namespace zabrelo_tool
