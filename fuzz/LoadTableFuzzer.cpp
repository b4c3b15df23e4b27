// Fuzzes the table loader: the input is a whole data file. Loading an
// existing file must never raise, whatever it holds; then keys of a few
// fixed strings exercise whatever table the bytes made. A reload, a copy, a
// load with an observer (the table checker's) and a load of the same bytes
// from memory must all give the same keys, and the C interface's opens of
// the file and of the bytes the same status. A FIFO and a device that never
// ends are refused at once, as files that cannot be opened.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "collation/CollationKeys.h"
#include "collation/TableLoader.h"
#include "zabrelo/zabrelo.h"

#include <sys/stat.h>

namespace {

const std::u16string kProbes[] = {
    u"",
    u"\u0627\u0628 \u0644\u0627",
    u"\u0600\u0626\u0623\u0624\u0625\u06D3\u0626",  // every hamza rewrite, yeh last
    u"\u200C\u06F9\u06FA\u05FF\xD800 ",
    u"\u0644\u0644\u0627\u0627\u06CC\u0654",
    u"a1\u064A\u0654\uFFFF\u00E9\uFB8E\u0645a\u0654",  // lines outside the block, expansions, ي + hamza
};

// A FIFO nobody writes to: an ordinary open of it would wait for ever.
const std::string& Fifo() {
    static const std::string path = [] {
        const std::string name = (std::filesystem::temp_directory_path() /
                                  ("zabrelo-fuzz-fifo-" + std::to_string(getpid()))).string();
        ::unlink(name.c_str());
        zabrelo_fuzz::Check(::mkfifo(name.c_str(), 0600) == 0, "a FIFO made");
        return name;
    }();
    return path;
}

void CheckRefused(const char* path) {
    std::shared_ptr<const zabrelo::CollationTable> table;
    bool raised = false;
    try {
        zabrelo::TableLoader::Initialize(table, path);
    } catch (const IOException& e) {
        raised = e.GetErrorCode() == 16;
    }
    zabrelo_fuzz::Check(raised, "what is not a regular file is refused as unopenable");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using zabrelo_fuzz::Check;
    const std::string& path = zabrelo_fuzz::WriteScratch("table", data, size);

    ZabreloLib lib;
    bool loaded = false;
    try {
        loaded = lib.Initialize(path.c_str());
    } catch (const VantorException&) {
        Check(false, "an existing file raised");
    }
    for (const auto& a : kProbes) {
        for (const auto& b : kProbes) zabrelo_fuzz::CheckKeysAndCompare(lib, a, b);
    }

    // The full order reads every line: expansions of any length, pairs that
    // start outside the block.
    ZabreloLib full;
    try {
        full.InitializeFullOrder(path.c_str());
    } catch (const VantorException&) {
        Check(false, "an existing file raised in the full order");
    }
    for (const auto& a : kProbes) {
        for (const auto& b : kProbes) zabrelo_fuzz::CheckKeysAndCompare(full, a, b);
    }

    ZabreloLib again;
    Check(again.Initialize(path.c_str()) == loaded, "the same file loads the same way");
    // A copy made after the load answers as the original does.
    ZabreloLib copy(lib);
    std::shared_ptr<const zabrelo::CollationTable> observed;
    zabrelo::LoadObserver observer;
    Check(zabrelo::TableLoader::Initialize(observed, path.c_str(), &observer) == loaded,
          "an observer does not change the load");
    std::shared_ptr<const zabrelo::CollationTable> fromMemory;
    Check(zabrelo::TableLoader::InitializeFromMemory(fromMemory, reinterpret_cast<const char*>(data), size) == loaded,
          "bytes in memory load as the file holding them");
    for (const auto& probe : kProbes) {
        const std::string key = lib.GetCollationKey(probe, 3);
        Check(again.GetCollationKey(probe, 3) == key, "a reload gives the same keys");
        Check(copy.GetCollationKey(probe, 3) == key, "a copy gives the same keys");
        Check(zabrelo::BuildKey(*observed, probe.data(), probe.size(), 3) == key,
              "an observed load gives the same keys");
        Check(zabrelo::BuildKey(*fromMemory, probe.data(), probe.size(), 3) == key,
              "a load from memory gives the same keys");
    }

    zabrelo_collator* fileCollator = nullptr;
    zabrelo_collator* memoryCollator = nullptr;
    const zabrelo_status fileStatus = zabrelo_open(path.c_str(), &fileCollator);
    const zabrelo_status memoryStatus =
        zabrelo_open_memory(reinterpret_cast<const char*>(data), size, &memoryCollator, nullptr);
    Check(fileStatus == memoryStatus, "the C interface opens bytes in memory as the file holding them");
    Check(fileStatus != ZABRELO_OK || loaded, "an open that succeeds is a load that succeeds");
    zabrelo_close(fileCollator);
    zabrelo_close(memoryCollator);

    CheckRefused(size % 2 == 0 ? Fifo().c_str() : "/dev/zero");
    return 0;
}
