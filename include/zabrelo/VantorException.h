// VantorException and IOException: how the file layer reports its errors.
// Every failure of FileReader is an IOException; a client that loads a table
// through ZabreloLib::Initialize catches it as either class. Exported so that
// a handler in the client matches the type thrown inside the library.
#ifndef ZABRELO_VANTOREXCEPTION_H
#define ZABRELO_VANTOREXCEPTION_H

#include <string>

#include "zabrelo/Export.h"

/// Base of the library's exceptions: where it was raised, a code, a message.
/// Deliberately not derived from std::exception: clients catch it by name.
class ZABRELO_API VantorException {
public:
    VantorException(std::string fileName, int lineNumber, int errorCode, std::string message);

    std::string GetFileName() const;
    int GetLineNumber() const;
    int GetErrorCode() const;
    std::string GetErrorMessage() const;

    /// One line: "Error Code (0x<code in lower-case hex>) in <file> (<line>): <message>".
    /// A negative code prints as its 32-bit two's complement (-1 -> ffffffff).
    std::string GetFormattedMessage() const;

    void SetFileName(std::string fileName);
    void SetLineNumber(int lineNumber);
    void SetErrorCode(int errorCode);
    void SetErrorMessage(std::string message);

private:
    std::string fileName_;
    int lineNumber_;
    int errorCode_;
    std::string message_;
};

/// Raised for every file error: code 16 when a file cannot be opened,
/// 17 for every error of reading or positioning.
class ZABRELO_API IOException : public VantorException {
public:
    IOException(std::string fileName, int lineNumber, int errorCode, std::string message);
};

#endif  // ZABRELO_VANTOREXCEPTION_H
