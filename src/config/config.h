// The in-memory store of a key/value configuration file: loads and parses
// the file when built, changes values on request, and gives its text back.
//
// File format: one entry per line, the key, a space and the value; lines end
// in LF or CR LF; '#' at the start of a line makes a comment; a UTF-8 byte
// order mark at the start is no part of the first key. The store writes its
// entries in byte order of the key, each line ended by CR LF, after the
// mark where the file had one.
#ifndef VANTREL_CONFIG_CONFIG_H_
#define VANTREL_CONFIG_CONFIG_H_

#include <cstddef>
#include <map>
#include <string>
#include <vector>

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
    // ends, after the byte order mark when the text read had one.
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
    bool byteOrderMark;
    bool errorRecorded;
    ConfigException firstError;
    std::string fileName;
    Mutex mutex;
};

// Whether a rewrite of `text` by the store would lose bytes that it never
// reads: those after a CR within a line (a CR followed by anything but LF).
bool holdsBytesBehindACarriageReturn(const std::string& text);

// Every value that a line of `text` gives `key`, read as leniently as any
// reader could: a byte order mark skipped, CR, LF or CR LF ending a line,
// blanks around the key and the value and quotes around the value taken
// off, the key in any letter case. For checks that must err towards
// seeing a value.
std::vector<std::string> readValuesLeniently(const std::string& text, const std::string& key);

}  // namespace util

#endif  // VANTREL_CONFIG_CONFIG_H_
