// Fuzzes the table loader: the input is a whole data file. Loading an
// existing file must never raise, whatever it holds; then keys of a few
// fixed strings exercise whatever table the bytes made. A reload, a copy and
// a load with an observer (the table checker's) must all give the same keys.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "collation/CollationKeys.h"
#include "collation/TableLoader.h"

namespace {

const std::u16string kProbes[] = {
    u"",
    u"\u0627\u0628 \u0644\u0627",
    u"\u0600\u0626\u0623\u0624\u0625\u06D3\u0626",  // every hamza rewrite, yeh last
    u"\u200C\u06F9\u06FA\u05FF\xD800 ",
    u"\u0644\u0644\u0627\u0627\u06CC\u0654",
};

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

    ZabreloLib again;
    Check(again.Initialize(path.c_str()) == loaded, "the same file loads the same way");
    // A copy made after the load answers as the original does.
    ZabreloLib copy(lib);
    std::shared_ptr<const zabrelo::CollationTable> observed;
    zabrelo::LoadObserver observer;
    Check(zabrelo::TableLoader::Initialize(observed, path.c_str(), &observer) == loaded,
          "an observer does not change the load");
    for (const auto& probe : kProbes) {
        const std::string key = lib.GetCollationKey(probe, 3);
        Check(again.GetCollationKey(probe, 3) == key, "a reload gives the same keys");
        Check(copy.GetCollationKey(probe, 3) == key, "a copy gives the same keys");
        Check(zabrelo::BuildKey(*observed, probe.data(), probe.size(), 3) == key,
              "an observed load gives the same keys");
    }
    return 0;
}
