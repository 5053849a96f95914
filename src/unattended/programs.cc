#include "unattended/programs.h"

#include <windows.h>

#include "app/constants.h"
#include "exceptions/exception.h"
#include "system/found_file.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/text.h"
#include "system/windows_folders.h"

namespace unattended {

namespace {

const char* const kPrograms[] = {"uninstall.exe", "dialog_probe.dll"};
const char kRunner[] = "uninstall-unattended.exe";

// The first name in `folder` (with its backslash) that is none of the
// first `count` of the product's; "" when there is none.
std::string firstOtherIn(const std::string& folder, std::size_t count) {
    const char* const product[] = {kPrograms[0], kPrograms[1], kRunner, TRACER_DLL_NAME.c_str(), CONFIG_FILE_NAME.c_str()};
    WIN32_FIND_DATAA entry;
    const io::ScopedSearch search(FindFirstFileA((folder + "*").c_str(), &entry));
    std::string other;
    for (BOOL more = search.valid(); more && other.empty(); more = FindNextFileA(search.get(), &entry)) {
        bool theProducts = !lstrcmpA(entry.cFileName, ".") || !lstrcmpA(entry.cFileName, "..");
        for (std::size_t i = 0; i < count; ++i) theProducts = theProducts || !lstrcmpiA(entry.cFileName, product[i]);
        if (!theProducts) other = entry.cFileName;
    }
    return other;
}

}  // namespace

std::string removePrograms(const std::string& productFolder, bool checkOnly, const RestartCalls& calls) {
    std::string lines;
    const std::string folder = io::getLongFullPath(productFolder);
    for (const char* name : kPrograms) {
        const std::string path = folder + name;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::string outcome = checkOnly ? " would be deleted" : " is deleted";
        try {
            io::FoundFile program(path);
            DWORD error = program.deleteError();
            if (!checkOnly && error == 0) {
                program.resetAttributes();
                error = program.remove();
            }
            if (error) outcome = " cannot be deleted. " + io::reasonFor(error);
        } catch (const exceptions::Exception& e) {
            outcome = " is kept: " + io::withoutLineBreaks(e.getMessage());
        }
        lines += std::string(name) + ": " + path + outcome + "\n";
    }
    // A runner started from elsewhere (a share, a tools folder) is not the
    // product's; one that stays keeps the folder, as its line says.
    if (io::isSameDirectory(io::getProgramDirectory(), folder) &&
        !scheduleAtRestart(kRunner, folder + kRunner, checkOnly, calls, lines))
        return lines;
    // What a dry run still finds there is the product's too.
    const std::string other = firstOtherIn(folder, checkOnly ? 5 : 3);
    lines += "the folder " + folder;
    if (!other.empty()) return lines + " is kept: it holds " + other + ", which the product did not put there\n";
    // At the restart, after the runner (the list is kept in order), by
    // where it really lies and where nobody could redirect it.
    std::string real = folder;
    if (real.size() > 3) real.pop_back();
    const std::string final = io::getFinalPathOf(real);
    if (!final.empty()) real = final;
    const io::Redirection redirection = calls.mayRedirect(real);
    if (!redirection.path.empty())
        return lines + " is kept: a standard user could redirect its deletion: " + redirection.path + ": " +
               redirection.why + "\n";
    if (const DWORD error = checkOnly ? calls.checkScheduling() : calls.scheduleDeletion(real))
        return lines + " cannot be scheduled for deletion at the restart. " + io::reasonFor(error) + "\n";
    return lines + (checkOnly ? " would be" : " is") + " scheduled for deletion at the next restart\n";
}

}  // namespace unattended
