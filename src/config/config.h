// The in-memory store of a key/value configuration file: loads and parses
// the file when built, changes values on request, and gives its text back.
//
// File format: one entry per line, the key, a space and the value; lines end
// in LF or CR LF; '#' at the start of a line makes a comment. The store
// writes its entries in byte order of the key, each line ended by CR LF.
#ifndef VANTREL_CONFIG_CONFIG_H_
#define VANTREL_CONFIG_CONFIG_H_

#include <cstddef>
#include <map>
#include <string>

#include "config/mutex.h"
#include "exceptions/exception.h"

namespace util {

class Config {
public:
    // A malformed configuration text.
    class ConfigException : public exceptions::Exception {
    public:
        explicit ConfigException(const std::string& message);
    };

    // Loads and parses `fileName` at once. With `throwOnError` the first
    // format error throws ConfigException; otherwise it is recorded and the
    // good lines are kept. Throws io::IOException when the file cannot be read.
    Config(std::string fileName, bool throwOnError);
    // An empty store, to be filled by parse().
    explicit Config(bool throwOnError);
    virtual ~Config();

    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;

    // Reads and parses the file into the store (an empty file changes
    // nothing); always true when it returns. The constructor calls it.
    bool load(const std::string& fileName);

    // Reads the entries of a configuration's text into the store, as load()
    // does with a file's (an empty text changes nothing).
    void parse(const std::string& text);

    // Sets or adds the entry; the caller holds getMutex() meanwhile.
    void setValue(const std::string& key, const std::string& value);

    // The value of `key`; "" when it has none.
    std::string getValue(const std::string& key);

    // The entries as text: key, space, value and LF per entry, in key order.
    std::string toString();

    // The file's text as the store writes it: toString() with CR LF line
    // ends.
    std::string fileText();

    // The store's lock, for callers that change it.
    Mutex& getMutex();

    // Whether a format error was recorded (only without throwOnError).
    bool isErrorRecorded() const;

    // The first recorded format error, or "No error message set.".
    const ConfigException& getFirstError() const;

private:
    // The entries as text, each line ended by `lineEnd`, under the lock.
    std::string format(const std::string& lineEnd);
    void reportError(const std::string& message);
    static std::size_t findLineEnd(const std::string& text, std::size_t from);

    std::map<std::string, std::string> values;
    bool throwOnError;
    bool errorRecorded;
    ConfigException firstError;
    std::string fileName;
    Mutex mutex;
};

}  // namespace util

#endif  // VANTREL_CONFIG_CONFIG_H_
