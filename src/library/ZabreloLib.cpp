// ZabreloLib: the exported face of the library. It owns one engine and
// forwards to it; copies get an engine of their own.
#include "zabrelo/ZabreloLib.h"

#include "collation/CollationEngine.h"

namespace {
constexpr char kDefaultTable[] = "UrduCOdepage.txt";
}

ZabreloLib::ZabreloLib() : engine_(std::make_unique<zabrelo::CollationEngine>()) {}

ZabreloLib::~ZabreloLib() = default;

ZabreloLib::ZabreloLib(const ZabreloLib& other)
    : engine_(std::make_unique<zabrelo::CollationEngine>(*other.engine_)) {}

ZabreloLib& ZabreloLib::operator=(const ZabreloLib& other) {
    if (this != &other) *engine_ = *other.engine_;
    return *this;
}

int ZabreloLib::Compare(std::u16string first, std::u16string second, int level) {
    return engine_->CompareStrings(first, second, level);
}

std::string ZabreloLib::GetCollationKey(std::u16string text, int level) {
    return engine_->BuildKey(text, level);
}

bool ZabreloLib::Initialize(const char* path) { return engine_->Initialize(path); }

bool ZabreloLib::Initialize() { return engine_->Initialize(kDefaultTable); }
