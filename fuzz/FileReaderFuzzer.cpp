// Fuzzes FileReader: the input's first byte says how many of the following
// bytes are a program of reader operations (three bytes each); the rest is
// the file. Two readers run the program in step, except that an operation
// that raises on the first is skipped on the second: a raise that changed
// anything (position, end-of-file state, mode, outputs) makes them drift
// apart, which the next answers show. Reads at a position must deliver
// exactly the file's bytes there and nothing past its end.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <vector>

#include "FuzzSupport.h"
#include "zabrelo/FileReader.h"

namespace {

using zabrelo_fuzz::Check;

constexpr unsigned char kUntouched = 0xA5;  // what a buffer holds before a read
constexpr char16_t kUntouchedUnit = 0xA5A5;

// What one operation answered: its result, its outputs, or its error.
struct Outcome {
    bool raised = false;
    int code = 0;
    std::string message;
    long result = 0;
    std::string out;             // ReadUntil, or a buffer read's bytes
    std::u16string unicodeOut;   // ReadUnicodeUntil, ReadUnicode, ReadUnits
    bool operator==(const Outcome& o) const {
        return raised == o.raised && code == o.code && message == o.message && result == o.result &&
               out == o.out && unicodeOut == o.unicodeOut;
    }
};

struct Op {
    int code;
    int a;  // signed arguments, so counts and positions can be negative
    int b;
};

Outcome Run(FileReader& reader, const Op& op, const std::string& path) {
    Outcome o;
    o.out = "untouched";
    o.unicodeOut = u"untouched";
    // Buffers of exactly the size passed: a write past them is a sanitizer
    // finding. Filled with a pattern to show what the read wrote.
    const std::size_t length = op.a > 0 ? static_cast<std::size_t>(op.a) : 1;
    std::vector<unsigned char> bytes;
    std::vector<char16_t> units;
    try {
        switch (op.code) {
            case 0: o.result = reader.Open(path.c_str(), (op.a & 0xFF) % 3); break;
            case 1: o.result = reader.Open((op.a & 1) ? nullptr : "", 1); break;
            case 2: reader.Close(); break;
            case 3: o.result = reader.IsEOF(); break;
            case 4: o.result = reader.ReadUntil(o.out, op.a, static_cast<char>(op.b)); break;
            case 5: o.result = reader.ReadUnicodeUntil(o.unicodeOut, op.a, static_cast<char16_t>(op.b & 0xFF)); break;
            case 6: o.result = reader.ReadUnicode(o.unicodeOut, op.a); break;
            case 7:
                bytes.assign(length, kUntouched);
                o.result = reader.ReadBytes((op.b & 1) ? nullptr : bytes.data(), op.a);
                break;
            case 8:
                units.assign(length, kUntouchedUnit);
                o.result = reader.ReadUnits((op.b & 1) ? nullptr : units.data(), op.a);
                break;
            case 9:
                bytes.assign(length, kUntouched);
                o.result = reader.ReadAt(bytes.data(), op.b, op.a);
                break;
            case 10: o.result = reader.Seek(op.a); break;
            case 11: o.result = reader.StepBack(op.a); break;
            case 12: o.result = reader.StepBackUnicode(op.a); break;
            case 13: o.result = reader.GetSize(); break;
            default: o.result = FileReader::FileExists(path.c_str()); break;
        }
    } catch (const IOException& error) {
        o.raised = true;
        o.code = error.GetErrorCode();
        o.message = error.GetErrorMessage();
    }
    if (!bytes.empty()) o.out.assign(bytes.begin(), bytes.end());
    if (!units.empty()) o.unicodeOut.assign(units.begin(), units.end());
    return o;
}

// Whether an outcome's outputs are as the operation found them.
bool Untouched(const Outcome& o) {
    const bool out = o.out == "untouched" ||
                     o.out.find_first_not_of(static_cast<char>(kUntouched)) == std::string::npos;
    const bool unicodeOut = o.unicodeOut == u"untouched" ||
                            o.unicodeOut.find_first_not_of(kUntouchedUnit) == std::u16string::npos;
    return out && unicodeOut;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t programSize = std::min<std::size_t>(data[0], size - 1);
    const std::uint8_t* program = data + 1;
    const std::string file(reinterpret_cast<const char*>(data + 1 + programSize), size - 1 - programSize);
    const std::string& path = zabrelo_fuzz::WriteScratch(
        "reader", reinterpret_cast<const std::uint8_t*>(file.data()), file.size());

    FileReader first, second;
    bool open = false;
    int mode = 1;
    for (std::size_t i = 0; i + 3 <= programSize; i += 3) {
        const Op op{program[i] % 15, static_cast<std::int8_t>(program[i + 1]),
                    static_cast<std::int8_t>(program[i + 2])};
        const Outcome got = Run(first, op, path);
        if (got.raised) {
            Check(got.code == 16 || got.code == 17, "error codes are 16 or 17");
            Check(Untouched(got), "a raise leaves the outputs alone");
        }
        // A failed Open closes the reader by design; every other raise must
        // change nothing, so the second reader does not run that operation.
        const bool isOpen = op.code == 0;
        if (!got.raised || isOpen) {
            Check(Run(second, op, path) == got, "a raise changed the reader's state");
        }
        if (isOpen) {
            open = !got.raised;
            mode = (op.a & 0xFF) % 3;
        } else if (op.code == 2) {
            open = false;
        }

        // A read at a position delivers exactly the file's bytes there.
        if (op.code == 9 && open && !got.raised && (mode == 0 || mode == 1) && op.b >= 0 && op.a > 0) {
            const std::size_t start = static_cast<std::size_t>(op.b) + (mode == 0 ? 2 : 0);
            const std::size_t wanted = static_cast<std::size_t>(op.a);
            const std::size_t have = start < file.size() ? std::min(wanted, file.size() - start) : 0;
            Check(have == 0 || got.out.compare(0, have, file, start, have) == 0, "ReadAt delivers the file's bytes");
            Check(got.out.find_first_not_of(static_cast<char>(kUntouched), have) == std::string::npos,
                  "ReadAt writes nothing past the end of the file");
            Check(got.result == (have > 0), "ReadAt is true exactly when bytes arrived");
        }
        if (op.code == 4 && got.result) {
            Check(static_cast<int>(got.out.size()) <= op.a, "ReadUntil stores at most its count");
            Check(got.out.find(static_cast<char>(op.b)) == std::string::npos, "the delimiter is not stored");
        }
        if (op.code == 13 && open) {
            Check(got.result == -1 || got.result == static_cast<long>(file.size()), "GetSize is the file's size");
        }
    }
    return 0;
}
