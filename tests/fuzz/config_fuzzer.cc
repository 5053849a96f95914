// Arbitrary bytes as a configuration file, in both modes: no crash, and
// every entry read is written out in the store's form and read again
// unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "config/config.h"

namespace {

std::string scratchPath(const char* name) {
    return "/tmp/vantrel-config-fuzz-" + std::to_string(getpid()) + "-" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string input = scratchPath("input"), saved = scratchPath("saved");
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    util::Config recording(input, false);
    std::string strict;
    try {
        strict = util::Config(input, true).toString();
        if (recording.isErrorRecorded() || strict != recording.toString()) std::abort();
    } catch (const util::Config::ConfigException& e) {
        if (!recording.isErrorRecorded() || e.getMessage() != recording.getFirstError().getMessage())
            std::abort();
    }
    std::ofstream(saved, std::ios::binary | std::ios::trunc) << recording.fileText();
    util::Config reread(saved, true);
    if (reread.toString() != recording.toString()) std::abort();
    return 0;
}
