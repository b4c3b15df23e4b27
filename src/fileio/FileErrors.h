// FileErrors: the error codes of the file layer and the one way it raises.
// Each raise records its own source file and line; clients match on the
// message texts, so they are kept byte for byte, spelling included.
#ifndef ZABRELO_FILEERRORS_H
#define ZABRELO_FILEERRORS_H

#include "zabrelo/VantorException.h"

namespace zabrelo {

constexpr int kOpenError = 16;  // every failure of Open
constexpr int kReadError = 17;  // every failure of reading or positioning

}  // namespace zabrelo

#define ZABRELO_RAISE_IO(code, message) throw IOException(__FILE__, __LINE__, (code), (message))

#endif  // ZABRELO_FILEERRORS_H
