#include "config/config.h"

#include <algorithm>
#include <memory>

#include "system/io.h"

namespace util {

Config::ConfigException::ConfigException(const std::string& message)
    : exceptions::Exception(message) {}

Config::Config(std::string fileName, bool throwOnError)
    : values(),
      throwOnError(throwOnError),
      errorRecorded(false),
      firstError("No error message set."),
      fileName(std::move(fileName)),
      mutex("Non shared mutex") {
    load(this->fileName);
}

Config::Config(bool throwOnError)
    : values(), throwOnError(throwOnError), errorRecorded(false), firstError("No error message set."), fileName(),
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
    std::size_t start = 0;
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

// Built at once: a million entries are then held as text once, not twice.
std::string Config::fileText() { return format(io::CR + io::LF); }

Mutex& Config::getMutex() { return mutex; }

bool Config::isErrorRecorded() const { return errorRecorded; }

const Config::ConfigException& Config::getFirstError() const { return firstError; }

}  // namespace util
