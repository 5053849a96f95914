// The end-to-end rows' vocabulary and stage: a scenario's files, dialogs and
// outcome; one scenario's folders with the programs in place, files staged
// and held as a running tracer would, and the runner started as an
// administrator's script would; and what Wine shows of a run (its event
// records, the restart's list).
#ifndef VANTREL_TESTS_E2E_STAGE_H_
#define VANTREL_TESTS_E2E_STAGE_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/outcomes.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/windows_folders.h"
#include "tools/test_support.h"
#include "unattended/dialog_driver.h"
#include "unattended/holders.h"

#include <sddl.h>  // after windows.h
#include <shlobj.h>

namespace e2e {

using unattended::answerDialogs;
using unattended::besideThisProgram;
using unattended::buttonName;
using unattended::ChildProcess;
using unattended::DialogsEnd;
using unattended::findHolders;
using unattended::SeenDialog;

const DWORD kRHS = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A rewritten file is written in place (its file index stays: nothing
// replaced it by a name that a swapped folder could redirect); an
// unprotected one keeps its bytes without its read-only, hidden and system
// attributes.
enum class After { Unchanged, Unprotected, Deleted, RewrittenInPlace };
// How another program holds the file open: not, as a running tracer holds
// its DLL, as fopen holds a file it reads and writes, with no sharing, or
// loaded by another program through its short name while this one has
// Windows' own ws2_32.dll loaded (the staged file then becomes the demo's
// real DLL).
enum class Hold { None, ReadSharing, ReadWriteSharing, NoSharing, LoadedElsewhereByShortName };

struct File {
    // The directory is {app}, {work} or {system}; without bytes, the file is
    // already there (Wine's own).
    std::string directory, name;
    std::optional<std::string> bytes;
    DWORD attributes;
    Hold hold;
    After after;
    std::string hardLinkOf = "";  // made as a second name of that file
};

// `after`: what the runner says after its answer.
struct Dialog { std::string caption, icon, buttons, defaultButton, text; int answer; std::string after = ""; };

class Stage;

struct Scenario {
    const char* name;
    // The program's directory is made under the scenario's root; the command
    // line is uninstall.exe's, or, when uninstall-unattended.exe runs it and
    // answers, that one's arguments.
    std::string appDirectory, commandLine, currentDirectory;
    bool unattended;
    std::vector<File> files;
    std::vector<Dialog> dialogs;
    DWORD exitCode;
    // What the runner prints after the uninstaller's exit, or, where it
    // starts none, how its output begins; what it prints before the first
    // dialog; what the dry run must say.
    std::string output = "", first = "", foreseen = "";
    // What a row stages beyond its files, and checks beyond them at its end.
    void (*prepare)(Stage&) = nullptr;
    void (*check)(Stage&) = nullptr;
};

inline void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

const char kKeep[] = "--keep-programs ";

// The event log records of a run, each its type and id, as Wine traces
// them with the WINEDEBUG that the runner is given here ("fixme:advapi:
// ReportEventW (source,0xTYPE,0x0000,0xID,..."). Wine writes its traces to
// the standard error that the Unix process inherited, the test's own:
// cmake/wine-run.sh sends the tests' to the file that VANTREL_WINE_STDERR
// names.
typedef std::vector<std::pair<unsigned, unsigned>> Records;
const char kEventTrace[] = "-all,+eventlog,fixme+advapi";

inline std::string wineStderr() {
    std::string path = getenv("VANTREL_WINE_STDERR") ? std::string("Z:") + getenv("VANTREL_WINE_STDERR") : "";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

inline Records recordsIn(const std::string& trace) {
    Records records;
    std::istringstream lines(trace);
    const std::regex call("[0-9a-f]{4}:fixme:advapi:ReportEventW \\([0-9A-F]+,0x([0-9a-f]{4}),0x0000,0x([0-9a-f]{8}),.*");
    std::smatch match;
    for (std::string line; std::getline(lines, line);)
        if (std::regex_match(line, match, call))
            records.push_back({unsigned(std::stoul(match[1], nullptr, 16)), unsigned(std::stoul(match[2], nullptr, 16))});
    return records;
}

// `path` spelled with short names, where it has them.
inline std::string shortName(const std::string& path) {
    char spelled[MAX_PATH] = "";
    return GetShortPathNameA(path.c_str(), spelled, MAX_PATH) ? spelled : path;
}

// One scenario's directories with the programs in place; files that were
// there already (Wine's own ws2_32.dll), which a scenario may delete, are
// put back when it ends.
class Stage {
public:
    explicit Stage(const Scenario& scenario) {
        places["{work}"] = scratch.makeDirectory("work");
        places["{system}"] = Helpers::getSystemDirectory();
        places["{windows}"] = Helpers::getWindowsDirectory();
        // A symbolic link into {linked-data}, made by the Wine runner:
        // {linked}vantrelconfig.txt.
        places["{linked}"] = "C:\\linked\\";
        places["{linked-data}"] = "C:\\linked-data\\";
        // {linked-here}vantrelconfig.txt links to other.txt beside it; the
        // folder {through-link} is reached through a link on the way.
        places["{linked-here}"] = "C:\\linked-here\\";
        places["{through-link}"] = "C:\\via-link\\app\\";
        // The program's folder is a new one, or one of those above.
        const bool named = scenario.appDirectory[0] == '{';
        places["{app}"] = named ? places[scenario.appDirectory] : scratch.makeDirectory(scenario.appDirectory);
        places["{app-}"] = places["{app}"].substr(0, places["{app}"].size() - 1);
        places["{exe}"] = places["{app}"] + "uninstall.exe";
        places["{exe/}"] = places["{exe}"];
        std::replace(places["{exe/}"].begin(), places["{exe/}"].end(), '\\', '/');
        places["{log}"] = scratch.path("runs.log");
        places["{error 32}"] = "System error message: " + systemText(ERROR_SHARING_VIOLATION);
        for (const char* program : {"uninstall.exe", "uninstall-unattended.exe", "dialog_probe.dll"}) {
            CopyFileA(besideThisProgram(program).c_str(), (places["{app}"] + program).c_str(), FALSE);
            if (named) copies.push_back(places["{app}"] + program);
        }
        places["{exe~}"] = shortName(places["{exe}"]);  // its short names, once it is there
        // A second uninstaller, away from the runner, for the runner to be
        // given.
        CopyFileA(besideThisProgram("uninstall.exe").c_str(), (places["{work}"] + "uninstall.exe").c_str(), FALSE);
    }

    ~Stage() {
        release();
        for (const auto& kept : alreadyThere)
            if (GetFileAttributesA(kept.first.c_str()) == INVALID_FILE_ATTRIBUTES) writeFile(kept.first, kept.second);
        for (const std::string& stand : standIns) DeleteFileA(stand.c_str());
        for (const std::string& copy : copies) DeleteFileA(copy.c_str());
    }

    // Lets go of every file held open or loaded.
    void release() {
        holders.clear();
        holds.clear();
        modules.clear();
    }

    std::string expand(std::string text) const {
        for (const auto& place : places)
            for (std::size_t at; (at = text.find(place.first)) != std::string::npos;)
                text.replace(at, place.first.size(), place.second);
        return text;
    }

    // Writes the file (or makes a directory of that name), or leaves one
    // already there; holds it if asked.
    std::string put(const File& file) {
        const std::string path = expand(file.directory) + file.name;
        if (file.attributes == FILE_ATTRIBUTE_DIRECTORY) {
            CreateDirectoryA(path.c_str(), nullptr);
        } else if (file.bytes) {
            writeFile(path, *file.bytes);
            SetFileAttributesA(path.c_str(), file.attributes);
        } else if (!file.hardLinkOf.empty()) {
            CreateHardLinkA(path.c_str(), expand(file.hardLinkOf).c_str(), nullptr);
        } else if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            alreadyThere.push_back({path, readFile(path)});
        } else {
            // A prefix made where 32-bit code cannot run has no 32-bit
            // system DLLs: a stand-in, gone with the stage.
            writeFile(path, "MZ Windows' own, a stand-in");
            standIns.push_back(path);
        }
        const DWORD write = file.hold == Hold::ReadWriteSharing ? GENERIC_WRITE : 0;
        const DWORD sharing = file.hold == Hold::NoSharing ? 0 : FILE_SHARE_READ | (write ? FILE_SHARE_WRITE : 0);
        if (file.hold == Hold::LoadedElsewhereByShortName) {
            CopyFileA(besideThisProgram("..\\demo\\ws2_32.dll").c_str(), path.c_str(), FALSE);
            loadElsewhereByShortName(path);
        }
        // Windows refuses to delete a loaded DLL; Wine does not, so the
        // loaded one is held open as well.
        if (file.hold != Hold::None) {
            const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | write, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
            const DWORD error = GetLastError();
            // A row whose file is not held tests something else.
            EXPECT_NE(INVALID_HANDLE_VALUE, held) << path << " is not held: error " << error;
            holds.emplace_back(held);
        }
        return path;
    }

    // What the unattended runner, given `options`, writes to its standard
    // output, and how many milliseconds it ran.
    std::string runUnattended(const std::string& options, const Scenario& scenario, DWORD& exitCode, DWORD& ran) {
        const std::string log = scratch.path("unattended.log"), program = expand("{app}uninstall-unattended.exe");
        if (!wineStderr().empty()) writeFile(wineStderr(), "");  // this run's trace only
        SetEnvironmentVariableA("WINEDEBUG", kEventTrace);
        {
            SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
            io::ScopedHandle output(CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
            ChildProcess runner(program, "\"" + program + "\" " + options + (keepPrograms ? kKeep : "") +
                                expand(scenario.commandLine), expand(scenario.currentDirectory), output.get());
            const DWORD started = GetTickCount();
            WaitForSingleObject(runner.handle(), kSlowest);
            ran = GetTickCount() - started;
            exitCode = runner.exitCode();
        }
        std::string shown = readFile(log);
        shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());  // a text-mode log
        records = recordsIn(readFile(wineStderr()));
        return shown;
    }

    Records records;  // of the last run, where Wine shows them
    // The runner keeps the product's programs, which every row but the one
    // of their removal needs again.
    bool keepPrograms = true;

    // The names in the program's folder.
    std::set<std::string> names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(expand("{app}"))))
            names.insert(entry.path().filename().u8string());
        return names;
    }

private:
    ScratchDirectory scratch;
    std::map<std::string, std::string> places;
    std::vector<std::pair<std::string, std::string>> alreadyThere;  // path and bytes
    std::vector<std::string> standIns;  // for Windows' own where the prefix has none
    std::vector<io::ScopedHandle> holds;
    std::vector<io::ScopedModule> modules;
    std::vector<std::string> copies;  // the programs, where the folder is no scratch one
    std::vector<std::unique_ptr<ChildProcess>> holders;

    // Has another program load the DLL at `path` by its short name, once
    // loaded {holder} is its id, while this one loads Windows' own.
    void loadElsewhereByShortName(const std::string& path) {
        modules.emplace_back(LoadLibraryA((Helpers::getSystemDirectory() + "ws2_32.dll").c_str()));
        const std::string shortPath = shortName(path);
        EXPECT_NE(path, shortPath) << "no short name";
        const std::string program = besideThisProgram("prompt_and_wait.exe");
        holders.push_back(std::make_unique<ChildProcess>(program, "\"" + program + "\" " + shortPath + " load", places["{work}"]));
        places["{holder}"] = std::to_string(holders.back()->id());
        for (const DWORD started = GetTickCount(); findHolders(path).empty() && GetTickCount() - started < kSlowest;)
            Sleep(20);
    }
};

// The file's index on its volume: a replacement gives the name a new one.
inline ULONGLONG fileIndex(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION information = {};
    io::identify(path, information);
    return (ULONGLONG(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
}

// The files pending deletion or renaming at the restart, each name on a line
// of its own, as the registry keeps them (\\??\\PATH, then the new name).
inline std::string pendingDeletions() {
    std::string names(1 << 16, '\0');
    DWORD size = DWORD(names.size());
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                     "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, &names[0], &size) != ERROR_SUCCESS)
        return "";
    names.resize(names.find_last_not_of('\0') + 1);
    std::replace(names.begin(), names.end(), '\0', '\n');
    return names.empty() ? "" : names + "\n";
}

// The prefix's restart, which carries out the pending deletions.
inline void restartWine() {
    const std::string wineboot = Helpers::getSystemDirectory() + "wineboot.exe";
    ChildProcess boot(wineboot, "wineboot.exe -r", Helpers::getSystemDirectory());
    WaitForSingleObject(boot.handle(), kSlowest);
}

// A dialog as uninstall-unattended.exe logs it.
inline std::string logged(const Dialog& d) {
    return "--- dialog \"" + d.caption + "\"" + (d.icon.empty() ? "" : ", icon: " + d.icon) + ", buttons: " + d.buttons +
           ", default " + d.defaultButton + "\n" + d.text + "\n--- answered: " + buttonName(d.answer) + "\n\n" + d.after;
}

}  // namespace e2e

#endif  // VANTREL_TESTS_E2E_STAGE_H_
