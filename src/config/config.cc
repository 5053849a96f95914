#include "config/config.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "system/io.h"

namespace util {

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

bool startsWithByteOrderMark(const std::string& text) { return text.compare(0, 3, kByteOrderMark) == 0; }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

Config::ConfigException::ConfigException(const std::string& message)
    : exceptions::Exception(message) {}

Config::Config(std::string fileName, bool throwOnError)
    : values(),
      throwOnError(throwOnError),
      byteOrderMark(false),
      errorRecorded(false),
      firstError("No error message set."),
      fileName(std::move(fileName)),
      mutex("Non shared mutex") {
    load(this->fileName);
}

Config::Config(bool throwOnError)
    : values(), throwOnError(throwOnError), byteOrderMark(false), errorRecorded(false), firstError("No error message set."), fileName(),
      mutex("Non shared mutex") {}

Config::~Config() = default;

bool Config::load(const std::string& fileName) {
    MutexLock lock(mutex);
    this->fileName = fileName;
    std::string text;
    {
        // Released before parsing: a large file is then held once, not twice.
        std::uint32_t length = 0;
        std::unique_ptr<char[]> buffer(io::loadFile(fileName, length));
        if (buffer) text.assign(buffer.get(), length);
    }
    parse(text);
    return true;
}

std::string Config::getValue(const std::string& key) {
    MutexLock lock(mutex);
    const auto entry = values.find(key);
    return entry == values.end() ? "" : entry->second;
}

std::size_t Config::findLineEnd(const std::string& text, std::size_t from) {
    std::size_t lineFeed = text.find(io::LF, from);
    std::size_t end = lineFeed == std::string::npos ? text.size() : lineFeed;
    // Only this line is searched for a CR: a file without any CR must not
    // cost a scan to its end for every line.
    return std::find(text.begin() + from, text.begin() + end, io::CR[0]) - text.begin();
}

void Config::reportError(const std::string& message) {
    if (throwOnError) throw ConfigException(message);
    if (errorRecorded) return;
    firstError = ConfigException(message);
    errorRecorded = true;
}

void Config::parse(const std::string& text) {
    if (text.empty()) return;
    values.clear();
    byteOrderMark = startsWithByteOrderMark(text);
    std::size_t start = byteOrderMark ? 3 : 0;
    while (start < text.size()) {
        std::size_t lineFeed = text.find(io::LF, start);
        std::size_t next = lineFeed == std::string::npos ? text.size() : lineFeed + 1;
        std::size_t contentEnd = findLineEnd(text, start);
        const char first = text[start];
        if (first == ' ') {
            reportError("A value without a key was detected, value: " +
                        text.substr(start + 1, contentEnd - start - 1));
        } else if (first != '#' && first != io::CR[0] && first != io::LF[0]) {
            // The separator must lie in the content: a CR before the first
            // space leaves no value to read.
            std::size_t space =
                std::find(text.begin() + start, text.begin() + contentEnd, ' ') - text.begin();
            if (space == contentEnd) {
                reportError("A key without a value was detected, key: " +
                            text.substr(start, contentEnd - start));
            } else {
                std::string key = text.substr(start, space - start);
                // One search per line; a file in key order, as this store
                // writes it, appends at the end without one.
                auto at = !values.empty() && values.rbegin()->first < key ? values.end()
                                                                           : values.lower_bound(key);
                if (at != values.end() && at->first == key)
                    reportError("A key was defined twice. Key: " + key);
                else
                    values.emplace_hint(at, std::move(key), text.substr(space + 1, contentEnd - space - 1));
            }
        }
        start = next;
    }
}

void Config::setValue(const std::string& key, const std::string& value) { values[key] = value; }

std::string Config::toString() { return format(io::LF); }

std::string Config::format(const std::string& lineEnd) {
    MutexLock lock(mutex);
    std::string text;
    for (const auto& entry : values) {
        text += entry.first;
        text += ' ';
        text += entry.second;
        text += lineEnd;
    }
    return text;
}

// A first key that itself begins with the mark's bytes gets a mark before
// it too, so that it is read back whole.
std::string Config::fileText() {
    std::string text = format(io::CR + io::LF);
    if (byteOrderMark || startsWithByteOrderMark(text)) text.insert(0, kByteOrderMark);
    return text;
}

Mutex& Config::getMutex() { return mutex; }

bool Config::isErrorRecorded() const { return errorRecorded; }

const Config::ConfigException& Config::getFirstError() const { return firstError; }

bool holdsBytesBehindACarriageReturn(const std::string& text) {
    for (std::size_t at = text.find(io::CR); at != std::string::npos; at = text.find(io::CR, at + 1))
        if (at + 1 < text.size() && text[at + 1] != io::LF[0]) return true;
    return false;
}

std::vector<std::string> readValuesLeniently(const std::string& text, const std::string& key) {
    std::vector<std::string> found;
    std::size_t start = startsWithByteOrderMark(text) ? 3 : 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::size_t at = start;
        while (at < end && isBlank(text[at])) ++at;
        const bool named = end - at > key.size() && isBlank(text[at + key.size()]) &&
                           std::equal(key.begin(), key.end(), text.begin() + at, [](char a, char b) {
                               return std::toupper(static_cast<unsigned char>(a)) ==
                                      std::toupper(static_cast<unsigned char>(b));
                           });
        if (named) {
            std::size_t first = at + key.size(), last = end;
            while (first < last && isBlank(text[first])) ++first;
            while (last > first && isBlank(text[last - 1])) --last;
            if (last - first >= 2 && text[first] == '"' && text[last - 1] == '"') ++first, --last;
            found.push_back(text.substr(first, last - first));
        }
        start = end + 1;
    }
    return found;
}

}  // namespace util
