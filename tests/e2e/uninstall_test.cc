// Runs the real uninstall.exe on staged files, reads and answers every
// dialog as a person would, and checks every file afterwards, byte for byte
// and with its attributes.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/dialog_driver.h"
#include "tools/test_support.h"

namespace {

const DWORD kRHS = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

enum class After { Unchanged, Deleted, Rewritten };

struct File {
    std::string directory;  // a placeholder: {app}, {work} or {system}
    std::string name;
    std::optional<std::string> bytes;  // none: the file is already there (Wine's own)
    DWORD attributes;
    bool held;              // held open with read sharing only, as by a running program
    After after;
    std::string rewritten;  // the bytes expected for After::Rewritten
};

struct Dialog {
    std::string caption, icon, buttons, text;
    int answer;
};

struct Scenario {
    const char* name;
    std::string appDirectory;  // under the scenario's root
    std::string commandLine;
    std::string currentDirectory;
    std::vector<File> files;
    std::vector<Dialog> dialogs;
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

const char kConfig[] = "# Vantrel settings\nTRACE_ENABLED 1\r\nSYSTEM_DLL C:\\Windows\\System32\\ws2_32.dll\n";
const std::string kDll("MZ tracer\0 bytes", 16);
const std::string kConfirm = "Are you sure you want to uninstall Vantrel ?";
const Dialog kYes = {"Uninstall", "question", "Yes No", kConfirm, IDYES};
const Dialog kNo = {"Uninstall", "question", "Yes No", kConfirm, IDNO};
const Dialog kSuccess = {"Uninstall Success", "information", "OK",
                         "Vantrel was successfully uninstalled.\nPlease remove the uninstall.exe file.", IDOK};
const std::string kWarning =
    "Uninstall will remove the Vantrel dll.\nUninstall found: {found}ws2_32.dll\nThis file resides in "
    "the system directory.\nIf you proceed, uninstall will delete the file.\n\nDo you want to continue ?";
const Dialog kCanceled = {"Uninstall Error", "error", "OK", "Uninstall was canceled by user.", IDOK};

File config(const char* directory = "{app}", DWORD attributes = FILE_ATTRIBUTE_NORMAL, After after = After::Deleted, bool held = false) {
    return {directory, "vantrelconfig.txt", kConfig, attributes, held, after, ""};
}
File dll(const char* directory = "{app}", DWORD attributes = FILE_ATTRIBUTE_NORMAL, After after = After::Deleted, bool held = false) {
    return {directory, "ws2_32.dll", kDll, attributes, held, after, ""};
}
File systemDll(After after) { return {"{system}", "ws2_32.dll", std::nullopt, 0, false, after, ""}; }

const Scenario scenarios[] = {
    {"NoAtConfirmationTouchesNothingEvenWithABadCommandLine", "app", "\"{exe}", "{work}",
     {config("{app}", FILE_ATTRIBUTE_READONLY, After::Unchanged), dll("{app}", 0, After::Unchanged)},
     {kNo}},
    {"BothFilesBesideTheProgramAreDeleted", "app", "{exe}", "{work}", {config(), dll()}, {kYes, kSuccess}},
    {"QuotedPathWithBlanksNamesTheProgramFile", "Program Files\\Vantrel", "\"{exe}\" ", "{work}",
     {config(), dll()}, {kYes, kSuccess}},
    {"BareNameIsNamedAsStarted", "app", "uninstall", "{app}", {config(), dll()},
     {kYes, {"Uninstall Success", "information", "OK",
             "Vantrel was successfully uninstalled.\nPlease remove the uninstall file.", IDOK}}},
    {"MissingConfigurationReportsEverySearchedPlace", "app", "{exe}", "{work}",
     {dll("{app}", 0, After::Unchanged)},
     {kYes, {"Uninstall Error", "error", "OK",
             "Couldn't find one of the required files. \nError message: Could not find the file in "
             "any of the directories. Result of loading:\n"
             "Try 1. The file {app}vantrelconfig.txt did not exist.\n"
             "Try 2. The file {work}vantrelconfig.txt did not exist.\n"
             "Try 3. The file {system}vantrelconfig.txt did not exist.\n"
             "Try 4. The file {windows}vantrelconfig.txt did not exist.\n", IDOK}}},
    {"SystemDirectoryWarningDeclinedChangesNothing", "app", "{exe}", "{work}",
     {config("{app}", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, After::Unchanged), systemDll(After::Unchanged)},
     {kYes, {"Uninstall", "warning", "Yes No", kWarning, IDNO}, kCanceled}},
    {"SystemDirectoryWarningAcceptedDeletesBoth", "app", "{exe}", "{work}",
     {config(), systemDll(After::Deleted)},
     {kYes, {"Uninstall", "warning", "Yes No", kWarning, IDYES}, kSuccess}},
    {"SystemDirectorySpelledInOtherCaseIsStillWarnedAbout", "app", "{exe}", "{SYSTEM}",
     {config("{app}", FILE_ATTRIBUTE_NORMAL, After::Unchanged), systemDll(After::Unchanged)},
     {kYes, {"Uninstall", "warning", "Yes No", kWarning, IDNO}, kCanceled}},
    {"DllInUseSwitchesTracingOff", "app", "{exe}", "{work}",
     {{"{app}", "vantrelconfig.txt", kConfig, kRHS, false, After::Rewritten,
       "SYSTEM_DLL C:\\Windows\\System32\\ws2_32.dll\r\nTRACE_ENABLED 0\r\n"},
      dll("{app}", FILE_ATTRIBUTE_NORMAL, After::Unchanged, true)},
     {kYes, {"Uninstall Information", "information", "OK",
             "Couldn't delete the tracer dll, it may be in use.\nPlease reboot and run uninstall.exe again.\n", IDOK}}},
    {"DllInUseWithMalformedConfigurationKeepsIt", "app", "{exe}", "{work}",
     {{"{app}", "vantrelconfig.txt", "TRACE_ENABLED 1\nBROKEN\n", 0, false, After::Unchanged, ""},
      dll("{app}", FILE_ATTRIBUTE_NORMAL, After::Unchanged, true)},
     {kYes, {"Uninstall Error", "error", "OK",
             "An error occured when parsing the config file. \nError message: A key without a value "
             "was detected, key: BROKEN", IDOK}}},
    {"LockedConfigurationIsReportedAfterTheDllIsGone", "app", "{exe}", "{work}",
     {config("{app}", FILE_ATTRIBUTE_NORMAL, After::Unchanged, true), dll()},
     {kYes, {"Uninstall Information", "information", "OK",
             "Unable to complete uninstall. Reason: \nCouldn't delete the vantrelconfig.txt file.\n"
             "Please delete this file manually.\nError message: {error 32}", IDOK}}},
    {"ProtectedFilesAreDeleted", "app", "{exe}", "{work}",
     {config("{app}", kRHS), dll("{app}", kRHS)}, {kYes, kSuccess}},
    {"FilesInTheCurrentDirectoryAreFound", "app", "{exe}", "{work}",
     {config("{work}"), dll("{work}")}, {kYes, kSuccess}},
    {"UnmatchedQuoteIsACommandLineError", "app", "\"{exe}", "{work}",
     {config("{app}", 0, After::Unchanged), dll("{app}", 0, After::Unchanged)},
     {kYes, {"Uninstall Error", "error", "OK",
             "An error occured when getting the command line. \nError message: Unmatched \" found "
             "when parsing command line: \"{exe} ", IDOK}}},
    {"EmptyCommandLineHasNoArgumentZero", "app", "", "{work}",
     {config("{app}", 0, After::Unchanged), dll("{app}", 0, After::Unchanged)},
     {kYes, {"Uninstall Error", "error", "OK",
             "An error occured.\nError message: Error getting the application directory. __argc is zero.", IDOK}}},
};

std::string directoryOf(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH];
    query(buffer, MAX_PATH);
    return std::string(buffer) + "\\";
}

// One scenario's directories with the program in place, and the system
// files that it may touch, put back as they were when it ends.
class Stage {
public:
    explicit Stage(const Scenario& scenario) {
        places["{app}"] = scratch.makeDirectory(scenario.appDirectory);
        places["{work}"] = scratch.makeDirectory("work");
        places["{system}"] = directoryOf(GetSystemDirectoryA);
        places["{windows}"] = directoryOf(GetWindowsDirectoryA);
        places["{exe}"] = places["{app}"] + "uninstall.exe";
        places["{error 32}"] = "System error message: " + systemText(ERROR_SHARING_VIOLATION);
        std::string upper = places["{system}"];
        CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
        places["{SYSTEM}"] = upper;
        places["{found}"] = scenario.currentDirectory == "{SYSTEM}" ? upper : places["{system}"];
        for (const char* place : {"{system}", "{windows}"})
            for (const char* name : {"vantrelconfig.txt", "ws2_32.dll"}) {
                const std::string path = places[place] + name;
                systemFiles[path] = {GetFileAttributesA(path.c_str()), readFile(path)};
            }
        CopyFileA(besideThisProgram("uninstall.exe").c_str(), expand("{exe}").c_str(), FALSE);
    }

    ~Stage() {
        for (HANDLE held : holds) CloseHandle(held);
        for (const auto& saved : systemFiles) {
            const char* path = saved.first.c_str();
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            if (saved.second.attributes == INVALID_FILE_ATTRIBUTES) {
                DeleteFileA(path);
            } else {
                writeFile(path, saved.second.bytes);
                SetFileAttributesA(path, saved.second.attributes);
            }
        }
    }

    std::string expand(std::string text) const {
        for (const auto& place : places)
            for (std::size_t at; (at = text.find(place.first)) != std::string::npos;)
                text.replace(at, place.first.size(), place.second);
        return text;
    }

    // Writes the file, or leaves one already there; holds it if asked.
    std::string put(const File& file) {
        const std::string path = expand(file.directory) + file.name;
        if (file.bytes) {
            writeFile(path, *file.bytes);
            SetFileAttributesA(path.c_str(), file.attributes);
        }
        if (file.held)
            holds.push_back(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        return path;
    }

private:
    struct Saved {
        DWORD attributes;
        std::string bytes;
    };

    ScratchDirectory scratch;
    std::map<std::string, std::string> places;
    std::map<std::string, Saved> systemFiles;
    std::vector<HANDLE> holds;
};

class UninstallTest : public testing::TestWithParam<Scenario> {};

TEST_P(UninstallTest, DialogsAndFilesAreAsAPersonExpects) {
    const Scenario& scenario = GetParam();
    Stage stage(scenario);
    struct Before {
        std::string path, bytes;
        DWORD attributes;
    };
    std::vector<Before> before;
    for (const File& file : scenario.files) {
        const std::string path = stage.put(file);
        before.push_back({path, readFile(path), GetFileAttributesA(path.c_str())});
    }

    std::vector<Dialog> expected = scenario.dialogs;
    for (Dialog& dialog : expected) dialog.text = stage.expand(dialog.text);
    std::vector<SeenDialog> seen;
    {
        ChildProcess child(stage.expand("{exe}"), stage.expand(scenario.commandLine),
                           stage.expand(scenario.currentDirectory));
        std::size_t next = 0;
        seen = answerDialogs(child, [&](const SeenDialog& dialog) {
            if (next < expected.size()) return expected[next++].answer;
            return dialog.buttons.find("No") != std::string::npos ? IDNO : IDOK;
        });
    }
    ASSERT_EQ(expected.size(), seen.size()) << (seen.empty() ? "" : seen.back().caption + ": " + seen.back().text);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(expected[i].caption, seen[i].caption) << "dialog " << i;
        EXPECT_EQ(expected[i].icon, seen[i].icon) << "dialog " << i;
        EXPECT_EQ(expected[i].buttons, seen[i].buttons) << "dialog " << i;
        EXPECT_EQ(expected[i].text, seen[i].text) << "dialog " << i;
    }

    for (std::size_t i = 0; i < scenario.files.size(); ++i) {
        const File& file = scenario.files[i];
        const std::string& path = before[i].path;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        switch (file.after) {
        case After::Deleted:
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes) << path << " still exists";
            break;
        case After::Unchanged:
            EXPECT_EQ(before[i].bytes, readFile(path)) << path;
            EXPECT_EQ(before[i].attributes, attributes) << path;
            break;
        case After::Rewritten:
            EXPECT_EQ(file.rewritten, readFile(path)) << path;
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path;
            EXPECT_EQ(0u, attributes & kRHS) << path << " keeps protecting attributes";
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, UninstallTest, testing::ValuesIn(scenarios),
                         [](const testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
