#include "unattended/programs.h"

#include <windows.h>

#include <vector>

#include "app/constants.h"
#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/found_file.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/text.h"
#include "system/windows_folders.h"
#include "unattended/registration.h"

namespace unattended {

namespace {

const char* const kPrograms[] = {"uninstall.exe", "dialog_probe.dll"};
const char kRunner[] = "uninstall-unattended.exe";

// The first name in `folder` (with its backslash) that is none of
// `going`; "" when there is none.
std::string firstOtherIn(const std::string& folder, const std::vector<const char*>& going) {
    WIN32_FIND_DATAA entry;
    const io::ScopedSearch search(FindFirstFileA((folder + "*").c_str(), &entry));
    std::string other;
    for (BOOL more = search.valid(); more && other.empty(); more = FindNextFileA(search.get(), &entry)) {
        bool theProducts = !lstrcmpA(entry.cFileName, ".") || !lstrcmpA(entry.cFileName, "..");
        for (const char* name : going) theProducts = theProducts || !lstrcmpiA(entry.cFileName, name);
        if (!theProducts) other = entry.cFileName;
    }
    return other;
}

// Why `folder` is not the product's own; "" when it is.
std::string notTheProducts(const std::string& folder, const vantrel::uninstall::ProductFiles& found,
                           const RestartCalls& calls) {
    if (onNetworkDrive(folder, calls)) return "it lies on a network drive";
    for (const std::string& file : {found.config, found.dll})
        if (!file.empty() && io::isSameDirectory(getPathDirectory(file), folder)) return "";
    if (registeredAt(folder)) return "";
    return "neither of the product's files was there, and its Apps & Features entry names no such folder";
}

}  // namespace

std::string removePrograms(const std::string& programFolder, const vantrel::uninstall::ProductFiles& found,
                           Mode mode, const RestartCalls& calls) {
    std::string lines;
    const std::string folder = io::getLongFullPath(programFolder);
    // A tools folder or a share that the runner was started from is no
    // product's to empty.
    if (const std::string why = notTheProducts(folder, found, calls); !why.empty())
        return "the programs in " + folder + " are kept: it is not the product's folder: " + why + "\n";
    for (const char* name : kPrograms) {
        const std::string path = folder + name;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::string outcome = mode == Mode::Check ? " would be deleted" : " is deleted";
        try {
            io::FoundFile program(path);
            DWORD error = program.deleteError();
            if (mode == Mode::Apply && error == 0) {
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
    // product's; one that stays keeps the folder, as its line says, and so
    // does a runner there that is not this one, which nothing schedules.
    const bool ownRunner = io::isSameDirectory(io::getProgramDirectory(), folder);
    if (ownRunner && !scheduleAtRestart(kRunner, folder + kRunner, mode, calls, lines)) return lines;
    std::vector<const char*> going = {kPrograms[0], kPrograms[1]};
    if (ownRunner) going.push_back(kRunner);
    // What a dry run still finds there is the product's too.
    if (mode == Mode::Check) going.insert(going.end(), {TRACER_DLL_NAME.c_str(), CONFIG_FILE_NAME.c_str()});
    const std::string other = firstOtherIn(folder, going);
    lines += "the folder " + folder;
    if (!other.empty())
        return lines + " is kept: it holds " + other +
               (lstrcmpiA(other.c_str(), kRunner) ? ", which the product did not put there\n"
                                                  : ", which stays: only the runner that ran is scheduled\n");
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
    if (const DWORD error = mode == Mode::Check ? calls.checkScheduling() : calls.scheduleDeletion(real))
        return lines + " cannot be scheduled for deletion at the restart. " + io::reasonFor(error) + "\n";
    return lines + (mode == Mode::Check ? " would be" : " is") + " scheduled for deletion at the next restart\n";
}

}  // namespace unattended
