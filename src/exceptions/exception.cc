#include "exceptions/exception.h"

namespace exceptions {

Exception::Exception(const std::string& message) : message(message) {}

Exception::~Exception() = default;

const char* Exception::getMessageText() const { return message.c_str(); }

const std::string& Exception::getMessage() const { return message; }

RuntimeException::RuntimeException(const std::string& message) : Exception(message) {}

IllegalArgumentException::IllegalArgumentException(const std::string& message)
    : RuntimeException(message) {}

}  // namespace exceptions
