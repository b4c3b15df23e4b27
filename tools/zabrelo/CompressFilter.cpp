// CompressFilter: the program started with posix_spawnp, its end of a pipe
// and the run's file as its standard input and output. Both ends of the pipe
// are close-on-exec, so no other filter holds a pipe open past its end.
#include "CompressFilter.h"

#include <cerrno>
#include <cstring>

#include "Platform.h"
#include "ToolError.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace zabrelo_tool {

namespace {

std::string& Program() {
    static std::string program;
    return program;
}

}  // namespace

void SetCompressProgram(const std::string& program) { Program() = program; }
const std::string& CompressProgram() { return Program(); }

#ifdef _WIN32

CompressFilter::CompressFilter(int, bool) {
    throw ToolError("sort: --compress-program is not supported on Windows");
}
CompressFilter::~CompressFilter() = default;
bool CompressFilter::Write(const char*, std::size_t, std::string&) { return false; }
void CompressFilter::Finish() { (void)process_; }

#else

namespace {

[[noreturn]] void Abnormal() { throw ToolError("sort: '" + Program() + "' [-d] terminated abnormally"); }

}  // namespace

CompressFilter::CompressFilter(int file, bool decompress) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw ToolError("sort: couldn't create a pipe for '" + Program() + "': " + std::strerror(errno));
    }
    // Compressing, the program reads the pipe and writes the file; decompressing, the other way.
    const int input = decompress ? file : ends[0];
    const int output = decompress ? ends[1] : file;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    posix_spawn_file_actions_adddup2(&actions, output, 1);
    std::string program = Program(), flag = "-d";
    char* argv[] = {&program[0], decompress ? &flag[0] : nullptr, nullptr};
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(decompress ? ends[1] : ends[0]);
    pipe_ = decompress ? ends[0] : ends[1];
    if (error != 0) {
        close(pipe_);
        pipe_ = -1;
        throw ToolError("sort: couldn't execute compress program '" + Program() + "': " + std::strerror(error));
    }
    process_ = pid;
}

CompressFilter::~CompressFilter() {
    if (pipe_ >= 0) close(pipe_);
    if (process_ > 0) {
        kill(static_cast<pid_t>(process_), SIGTERM);
        int status = 0;
        while (waitpid(static_cast<pid_t>(process_), &status, 0) < 0 && errno == EINTR) {
        }
    }
}

bool CompressFilter::Write(const char* data, std::size_t size, std::string& reason) {
    // SIGPIPE is held back while writing, so a program that ends early
    // shows as EPIPE here; the signal it left pending is taken off.
    sigset_t pipeSignal, old;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    const bool written = WriteFully(pipe_, data, size, reason);
    const int error = errno;
    if (!written && error == EPIPE) {
        const timespec now{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    if (!written && error == EPIPE) {
        Finish();
        Abnormal();  // it ended well, but before it had read everything
    }
    return written;
}

void CompressFilter::Finish() {
    if (pipe_ >= 0) close(pipe_);
    pipe_ = -1;
    int status = 0;
    pid_t done;
    while ((done = waitpid(static_cast<pid_t>(process_), &status, 0)) < 0 && errno == EINTR) {
    }
    process_ = -1;
    if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) Abnormal();
}

#endif

}  // namespace zabrelo_tool
