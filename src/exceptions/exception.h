// The tree of exceptions that carries every failure of the uninstaller up to
// the driver, which picks a dialog by class. Deliberately not derived from
// std::exception: a standard-library failure must fall through to the
// driver's catch-all.
#ifndef VANTREL_EXCEPTIONS_EXCEPTION_H_
#define VANTREL_EXCEPTIONS_EXCEPTION_H_

#include <string>

namespace exceptions {

class Exception {
public:
    // Copies the message; an empty message is allowed.
    explicit Exception(const std::string& message);
    virtual ~Exception();

    // The message as a NUL-terminated array; "" for an empty message.
    virtual const char* getMessageText() const;

    // The message, valid as long as this exception lives.
    virtual const std::string& getMessage() const;

private:
    std::string message;
};

class RuntimeException : public Exception {
public:
    explicit RuntimeException(const std::string& message);
};

class IllegalArgumentException : public RuntimeException {
public:
    explicit IllegalArgumentException(const std::string& message);
};

}  // namespace exceptions

#endif  // VANTREL_EXCEPTIONS_EXCEPTION_H_
