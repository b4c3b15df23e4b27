// Output: buffered writes with every error checked, and the steps of
// replacing a named file; the system calls behind them are in
// PlatformOutput.cpp. Where the system allows, the result is written to a
// file without a name, so a run killed outright leaves no full-size copy
// beside the output; it gets a name only for the rename at the end.
#include "Output.h"

#include <utility>

#include "Platform.h"
#include "ToolError.h"

namespace zabrelo_tool {

namespace {

constexpr std::size_t kWriteBackStep = 8 << 20;

}  // namespace

Output::Output(std::string path) : name_(path), path_(std::move(path)) {}

Output::~Output() {
    if (file_ && file_ != stdout) std::fclose(file_);
    if (target_ >= 0) CloseDescriptor(target_);
    if (!tempPath_.empty() && !unnamed_) RemoveFile(tempPath_);
    KeepOnSignal(tempSlot_);
}

void Output::Fail(const std::string& what, const std::string& reason) {
    throw ToolError(what + " " + (name_.empty() ? "standard output" : name_) + ": " + reason);
}

void Output::Open() {
    if (path_.empty()) {
        file_ = stdout;
        return;
    }
    if (IsDeviceOrPipe(path_)) {
        file_ = OpenFile(path_, "wb");
        if (!file_) Fail("cannot write", LastSystemError());
        return;
    }
    path_ = ResolveLinks(path_);
    std::string reason;
    bool missing = false;
    target_ = OpenForWriting(path_, missing, reason);
    if (target_ < 0 && !missing) Fail("cannot write", reason);
    {
        // A signal before the temporary file is named for removal would leave it.
        const SignalsDeferred deferred;
        file_ = CreateUnnamed(path_, tempPath_);
        unnamed_ = file_ != nullptr;
        if (!file_) file_ = CreateTemporary(path_, tempPath_, reason);
        if (!file_ && target_ >= 0) {
            // A file the user may write in a folder they may not: the result
            // waits in the temporary folder and is then copied in.
            file_ = CreateTemporary("", tempPath_, reason);
            inPlace_ = true;
        }
        if (file_ && !unnamed_) tempSlot_ = RemoveOnSignal(tempPath_);
    }
    if (!file_) Fail("cannot write", reason);
    // Renaming over the file would drop its other links, owner or extended
    // attributes; copying into it keeps them.
    if (!inPlace_) inPlace_ = !TakeOverAttributes(file_, target_);
}

void Output::WriteLong(const char* data, std::size_t size) {
    Flush();
    if (size < kBufferSize) {
        std::memcpy(pending_.get(), data, size);
        used_ = size;
        return;
    }
    Hand(data, size);
}

void Output::WriteBlock(const char* data, std::size_t size) {
    Flush();
    if (size > 0) Hand(data, size);
}

void Output::Flush() {
    if (used_ > 0) Hand(pending_.get(), used_);
    used_ = 0;
}

void Output::Hand(const char* data, std::size_t size) {
    if (std::fwrite(data, 1, size, file_) != size) {
        if (file_ == stdout && ReaderGone()) EndForGoneReader();
        Fail("write error on", LastSystemError());
    }
    if (tempPath_.empty()) return;
    unsynced_ += size;
    if (unsynced_ >= kWriteBackStep) {
        StartWriteBack(file_);
        unsynced_ = 0;
    }
}

void Output::Commit() {
    Flush();
    if (std::fflush(file_) != 0 || std::ferror(file_)) {
        if (file_ == stdout && ReaderGone()) EndForGoneReader();
        Fail("write error on", LastSystemError());
    }
    if (tempPath_.empty()) {
        if (file_ != stdout) {
            const int closed = std::fclose(file_);
            file_ = nullptr;
            if (closed != 0) Fail("write error on", LastSystemError());
        }
        return;
    }
    std::string reason;
    if (!SyncToDisk(file_, reason)) Fail("write error on", reason);
    // An unnamed file is read back or named through its handle: it stays
    // open until then, and closing it is all it takes to drop it.
    if (!unnamed_) {
        const int closed = std::fclose(file_);
        file_ = nullptr;
        if (closed != 0) Fail("write error on", LastSystemError());
    }
    if (inPlace_) {
        // Once the old content starts to go, the copy must finish: a signal
        // now would leave a half-written file and remove the whole result.
        const SignalsDeferred deferred;
        if (!WriteInPlace(tempPath_, target_, reason)) {
            std::string kept = tempPath_, unkept;
            if (unnamed_ && !NameUnnamed(tempPath_, path_, kept, unkept)) {
                Fail("write error on", reason + "; the result could not be kept either: " + unkept);
            }
            KeepOnSignal(tempSlot_);
            tempPath_.clear();
            Fail("write error on", reason + "; the whole result is in " + kept);
        }
        if (!unnamed_) RemoveFile(tempPath_);
    } else {
        // Windows renames over no file that is open.
        if (target_ >= 0) CloseDescriptor(target_);
        target_ = -1;
        if (unnamed_) {
            // A name to rename from, for the moment between the two steps.
            const SignalsDeferred deferred;
            std::string named;
            if (!NameUnnamed(tempPath_, path_, named, reason)) Fail("cannot replace", reason);
            if (!MoveOver(named, path_, reason)) {
                RemoveFile(named);
                Fail("cannot replace", reason);
            }
        } else if (!MoveOver(tempPath_, path_, reason)) {
            Fail("cannot replace", reason);
        }
    }
    if (unnamed_) {
        std::fclose(file_);  // flushed and synced above: nothing is left to fail
        file_ = nullptr;
    }
    KeepOnSignal(tempSlot_);
    tempPath_.clear();
}

}  // namespace zabrelo_tool
