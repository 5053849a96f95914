#include "system/helpers.h"

#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/handle.h"
#include "system/io.h"
#include "system/text.h"
#include "system/windows_folders.h"

namespace {

UINT WINAPI queryCurrentDirectory(LPSTR buffer, UINT size) {
    return GetCurrentDirectoryA(size, buffer);
}

}  // namespace

std::string Helpers::getErrorMessage(const int errorCode) {
    try {
        // Released even if the copy fails.
        io::ScopedLocal text;
        const DWORD length = FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
            static_cast<DWORD>(errorCode), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
            reinterpret_cast<LPSTR>(text.put()), 0, nullptr);
        return "System error message: " +
               (length != 0 ? std::string(static_cast<const char*>(text.get()), length) : std::string());
    } catch (...) {
        return "An unexpected exception was caught in std::string "
               "Helpers::getErrorMessage(const int errorCode)";
    }
}

std::string Helpers::getCurrentDirectory() { return io::getDirectory(queryCurrentDirectory); }

std::string Helpers::getSystemDirectory() { return io::getDirectory(GetSystemDirectoryA); }

std::string Helpers::getWindowsDirectory() { return io::getDirectory(GetWindowsDirectoryA); }

std::string Helpers::findFile(const std::string& fileName, const std::string& startedIn, Accept accept) {
    std::string report;
    std::string candidate;
    bool presentButUnopenable = false;
    try {
        for (unsigned attempt = 1; attempt <= 4; ++attempt) {
            const std::string label = "Try " + io::toDecimal(attempt) + ". ";
            try {
                std::string directory;
                switch (attempt) {
                case 1:
                    directory = !startedIn.empty() ? startedIn
                                                   : util::parser::CommandLineConverter(GetCommandLineA())
                                                         .getApplicationDirectory();
                    // Argument 0 need not say where the program is: the
                    // product is where the program file is.
                    if (directory.empty()) directory = io::getProgramDirectory();
                    break;
                case 2: directory = !startedIn.empty() ? startedIn : getCurrentDirectory(); break;
                case 3: directory = getSystemDirectory(); break;
                default: directory = getWindowsDirectory(); break;
                }
                candidate = directory + fileName;
                if (io::fileExists(candidate)) return candidate;
                // A directory of that name is no file; anything else that
                // is there is the product's file, held or protected.
                const DWORD attributes = GetFileAttributesA(candidate.c_str());
                if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    if (accept == Accept::Present) return candidate;
                    presentButUnopenable = true;
                }
                report += label + "The file " + candidate + " did not exist.\n";
            } catch (const exceptions::Exception& e) {
                report += label + "Exception caught when trying path " + candidate +
                          ". Exception: " + e.getMessage() + "\n";
            }
        }
    } catch (...) {
        // Anything outside the tree (memory running out) ends the search
        // with what was learnt so far.
    }
    throw io::FileNotFoundException(
        "Could not find the file in any of the directories. Result of loading:\n" + report,
        presentButUnopenable);
}

namespace io {

std::string reasonFor(DWORD error) { return withoutLineBreaks(Helpers::getErrorMessage(static_cast<int>(error))); }

}  // namespace io
