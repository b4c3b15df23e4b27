// VantorException and IOException: plain value types, copied member by member.
#include "zabrelo/VantorException.h"

#include <cstdint>
#include <cstdio>
#include <utility>

VantorException::VantorException(std::string fileName, int lineNumber, int errorCode,
                                 std::string message)
    : fileName_(std::move(fileName)),
      lineNumber_(lineNumber),
      errorCode_(errorCode),
      message_(std::move(message)) {}

std::string VantorException::GetFileName() const { return fileName_; }
int VantorException::GetLineNumber() const { return lineNumber_; }
int VantorException::GetErrorCode() const { return errorCode_; }
std::string VantorException::GetErrorMessage() const { return message_; }

std::string VantorException::GetFormattedMessage() const {
    // "%x" takes an unsigned value: converting first is what prints -1 as
    // eight f digits, and keeps the call free of a signed/unsigned mismatch.
    char code[16];
    std::snprintf(code, sizeof code, "%x", static_cast<unsigned>(static_cast<std::uint32_t>(errorCode_)));
    return "Error Code (0x" + std::string(code) + ") in " + fileName_ + " (" +
           std::to_string(lineNumber_) + "): " + message_;
}

void VantorException::SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
void VantorException::SetLineNumber(int lineNumber) { lineNumber_ = lineNumber; }
void VantorException::SetErrorCode(int errorCode) { errorCode_ = errorCode; }
void VantorException::SetErrorMessage(std::string message) { message_ = std::move(message); }

IOException::IOException(std::string fileName, int lineNumber, int errorCode, std::string message)
    : VantorException(std::move(fileName), lineNumber, errorCode, std::move(message)) {}
