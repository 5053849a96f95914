// Runs the real uninstall.exe on staged files, either answering its dialogs
// as a person would or through uninstall-unattended.exe as an administrator
// would; then checks every dialog, the exit status, and every file, byte for
// byte with its attributes. The table of scenarios; stage.h stages them.
#include "stage.h"

namespace e2e {
namespace {

const char kConfig[] = "# Vantrel settings\nTRACE_ENABLED 1\r\nSYSTEM_DLL C:\\Windows\\System32\\ws2_32.dll\n";
const char kRewritten[] = "SYSTEM_DLL C:\\Windows\\System32\\ws2_32.dll\r\nTRACE_ENABLED 0\r\n";
const std::string kDll("MZ tracer\0 bytes", 16);
const std::string kConfirm = "Are you sure you want to uninstall Vantrel ?";
const Dialog kYes = {"Uninstall", "question", "Yes No", "Yes", kConfirm, IDYES};
const Dialog kNo = {"Uninstall", "question", "Yes No", "Yes", kConfirm, IDNO};
Dialog error(const std::string& text) { return {"Uninstall Error", "error", "OK", "OK", text, IDOK}; }
Dialog information(const std::string& text) { return {"Uninstall Information", "information", "OK", "OK", text, IDOK}; }
Dialog success(const std::string& program = "uninstall.exe") {
    return {"Uninstall Success", "information", "OK", "OK",
            "Vantrel was successfully uninstalled.\nPlease remove the " + program + " file.", IDOK};
}
const Dialog kSuccess = success();
const Dialog kCanceled = error("Uninstall was canceled by user.");
Dialog configNotFound(const std::string& current) {
    return error("Couldn't find one of the required files. \nError message: Could not find the file in any of the "
                 "directories. Result of loading:\nTry 1. The file {app}vantrelconfig.txt did not exist.\nTry 2. The file " +
                 current + "vantrelconfig.txt did not exist.\nTry 3. The file {system}vantrelconfig.txt did not exist.\n"
                 "Try 4. The file {windows}vantrelconfig.txt did not exist.\n");
}
Dialog linkRefused(const std::string& why) {
    return error("An error occured.\nError message: " + why +
                 " The uninstaller does not change files through links, so nothing was changed.\n");
}
const char kUsage[] = "usage: uninstall-unattended.exe ";
const std::string kReboot =
    "Couldn't delete the tracer dll, it may be in use.\nPlease reboot and run uninstall.exe again.\n";
const std::string kNotSwitchedOff = "Tracing could not be switched off in {app}vantrelconfig.txt.\n"
                                    "Please set TRACE_ENABLED to 0 in this file before you reboot.\n";
const std::string kWindowsOwnRefused =
    "uninstall-unattended: {system}ws2_32.dll is the library that SYSTEM_DLL in {app}vantrelconfig.txt names, "
    "Windows' own, so the warning is answered No: the tracer's DLL is already gone; delete {app}vantrelconfig.txt by "
    "hand\n";

Dialog warning(const std::string& directory, int answer, const std::string& after = "") {
    return {"Uninstall", "warning", "Yes No", "No",
            "Uninstall will remove the Vantrel dll.\nUninstall found: " + directory +
                "ws2_32.dll\nThis file resides in the system directory.\nIf you proceed, uninstall "
                "will delete the file.\n\nDo you want to continue ?",
            answer, after};
}
// The runner's lines after a 3010: who holds the DLL, and both files
// scheduled for deletion at the restart.
std::string restartCompletes(const std::string& holders = "which program holds it is unknown: the Restart Manager "
                                                          "names none, and no program has it loaded") {
    return "uninstall-unattended: ws2_32.dll: " + holders +
           "\nuninstall-unattended: ws2_32.dll: {app}ws2_32.dll is scheduled for deletion at the next restart\n"
           "uninstall-unattended: vantrelconfig.txt: {app}vantrelconfig.txt is scheduled for deletion at the next "
           "restart\n";
}
File config(const char* directory = "{app}", DWORD attributes = 0, After after = After::Deleted, Hold hold = Hold::None) {
    return {directory, "vantrelconfig.txt", kConfig, attributes, hold, after};
}
File dll(After after = After::Deleted, Hold hold = Hold::None, DWORD attributes = 0) {
    return {"{app}", "ws2_32.dll", kDll, attributes, hold, after};
}
File systemDll(After after) { return {"{system}", "ws2_32.dll", std::nullopt, 0, Hold::None, after}; }
const File kDllInUse = dll(After::Unchanged, Hold::ReadSharing);
// A configuration that names no library of Windows as the one it forwards to.
File configNamingNoLibrary(After after) { return {"{app}", "vantrelconfig.txt", "TRACE_ENABLED 1\n", 0, Hold::None, after}; }
// Both files, to be left as they are.
const std::vector<File> kUntouched = {config("{app}", 0, After::Unchanged), dll(After::Unchanged)};

// The product's Apps & Features entry, where a 32-bit installer writes it,
// naming its folder quoted and through an environment variable in a REG_SZ
// (as installers may: its readers strip and expand); and in the 64-bit view
// one naming a relative folder, which names no folder for sure.
const char kEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrel";
void registerProduct(Stage& stage) {
    const struct { REGSAM view; std::string location; } entries[] = {
        {KEY_WOW64_32KEY, "\"%SystemDrive%" + stage.expand("{app}").substr(2) + "\""}, {KEY_WOW64_64KEY, "."}};
    for (const auto& entry : entries) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, 0, nullptr, 0, KEY_SET_VALUE | entry.view,
                                                 nullptr, &key, nullptr));
        RegSetValueExA(key, "InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.location.c_str()),
                       DWORD(entry.location.size() + 1));
        RegCloseKey(key);
    }
}

// The product's entry gone; the other one still there, and then removed.
void onlyTheProductsEntryIsGone(Stage&) {
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, 0, KEY_READ | KEY_WOW64_32KEY, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, KEY_WOW64_64KEY, 0));
}

// Nothing made where the folder link on the way to a log leads.
void nothingMadeThroughTheLink(Stage&) {
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\via-real\\runs.log"));
}

// The configuration a row left in the Windows folder, gone again.
void windowsConfigurationRemoved(Stage& stage) {
    EXPECT_TRUE(DeleteFileA(stage.expand("{windows}vantrelconfig.txt").c_str()));
}

// After a 3010 that scheduled nothing, the entry is there for the second
// run in each view (32-bit Windows has one); then removed.
void bothEntriesKept(Stage&) {
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        if (view == KEY_WOW64_32KEY || io::windowsIs64Bit()) {
            EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kEntryKey, view, 0)) << "view " << view;
        }
}

// A configuration too large to load, sparse (NUL bytes that take no disk):
// 4 GiB and more, or, for a 32-bit program (under WOW64 too), 3 GiB.
const bool k32Bit = sizeof(void*) == 4;
const LONGLONG kTooLarge = k32Bit ? 3ll << 30 : (4ll << 30) + 10;
const char* const kTooLargeWhy = k32Bit ? "not enough memory to hold the file" : "the file is 4 GiB or larger";
void tooLargeToLoad(Stage& stage) {
    const std::string path = stage.expand("{app}vantrelconfig.txt");
    writeFile(path, "TRACE_ENABLED 1\nSYSTEM_DLL ");
    std::filesystem::resize_file(std::filesystem::u8path(path), kTooLarge);
}

void keptWhole(Stage& stage) {
    WIN32_FILE_ATTRIBUTE_DATA kept = {};
    GetFileAttributesExA(stage.expand("{app}vantrelconfig.txt").c_str(), GetFileExInfoStandard, &kept);
    EXPECT_EQ(kTooLarge, (LONGLONG(kept.nFileSizeHigh) << 32) | kept.nFileSizeLow);
}

void withoutKeepingPrograms(Stage& stage) { stage.keepPrograms = false; }

// What the runner scheduled, the runner and the folder, gone at the restart.
void goneAtTheRestart(Stage& stage) {
    restartWine();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stage.expand("{app}").c_str())) << "still there";
    EXPECT_EQ("", pendingDeletions());
}

// Lets everyone change the program's folder, as a folder made at a drive's
// root does (Wine then lets others write it).
void openToEveryone(Stage& stage) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;FA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr);
    SetFileSecurityA(stage.expand("{app-}").c_str(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
}

// The Apps & Features entries that a row registers, as the runner names them.
const std::string kEntry =
    "the Apps & Features entry HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrel (";
const std::string kOthersEntry = kEntry + "64-bit registry view) names ., which is no full path, and is kept\n";
// Who may do what in a folder opened to everyone.
const std::string kEveryone = "Everyone may delete it from {app-}, and Everyone may add to {app-}";
// The product's programs gone after a 0, or going as `verb` says.
std::string programsGone(const std::string& prefix, const std::string& verb) {
    return prefix + "uninstall.exe: {app}uninstall.exe " + verb + " deleted\n" + prefix + "dialog_probe.dll: "
           "{app}dialog_probe.dll " + verb + " deleted\n" + prefix + "uninstall-unattended.exe: "
           "{app}uninstall-unattended.exe " + verb + " scheduled for deletion at the next restart\n" + prefix +
           "the folder {app} " + verb + " scheduled for deletion at the next restart\n";
}

const Scenario scenarios[] = {
    {"NoAtConfirmationTouchesNothingEvenWithABadCommandLine", "app", "\"{exe}", "{work}", false,
     {config("{app}", FILE_ATTRIBUTE_READONLY, After::Unchanged), dll(After::Unchanged)}, {kNo}, 1602},
    // The tracer without its configuration is still the product: a failure
    // that names it, never "not installed".
    {"UnattendedDllWithoutItsConfigurationIsAFailureThatNamesItAndADirectoryIsNoFile", "app", "", "{work}", true,
     {dll(After::Unchanged), config("{app}", FILE_ATTRIBUTE_DIRECTORY, After::Unchanged)},
     {kYes, configNotFound("{app}")}, 1603, "uninstall-unattended: ws2_32.dll is still there: {app}ws2_32.dll "
     "(vantrelconfig.txt is in none of the searched places), so the product is not removed\n"},
    {"SysWow64ReachedAsTheCurrentFolderIsWarnedAbout", "app", "{exe}", "{windows}syswow64\\", false,
     {config("{app}", 0, After::Unchanged), {"{windows}syswow64\\", "ws2_32.dll", std::nullopt, 0, Hold::None, After::Unchanged}},
     {kYes, warning("{windows}syswow64\\", IDNO), kCanceled}, 1602},
    {"UnattendedReadOnlyDllInUseSwitchesTracingOff", "app", "", "{work}", true,
     {config("{app}", kRHS, After::RewrittenInPlace), dll(After::Unprotected, Hold::ReadSharing, FILE_ATTRIBUTE_READONLY),
      {"{app}", "vantrelconfig.txt.saving", "older save", 0, Hold::None, After::Unchanged}},
     {kYes, information(kReboot)}, 3010, restartCompletes()},
    {"UnattendedDllInUseSwitchesTracingOffWhileTheTracerWritesItsConfiguration", "app", "", "{work}", true,
     {config("{app}", 0, After::RewrittenInPlace, Hold::ReadWriteSharing), kDllInUse},
     {kYes, information(kReboot)}, 3010, restartCompletes()},
    {"UnattendedDllHeldWithoutSharingIsStillTheOneFound", "app", "--allow-system-folder", "{work}", true,
     {config("{app}", 0, After::RewrittenInPlace), dll(After::Unchanged, Hold::NoSharing)},
     {kYes, information(kReboot)}, 3010, restartCompletes()},
    // Only the program that loaded the tracer holds it, under whatever
    // spelling (short names here, long ones in the runner's search); the
    // second run, given short names, must find what the first scheduled.
    {"UnattendedNamesTheProgramThatLoadedTheTracerUnderAnotherSpellingAndNoHolderOfWindowsOwn", "Vantrel tracer folder",
     "", "{work}", true, {config("{app}", 0, After::RewrittenInPlace), dll(After::Unchanged, Hold::LoadedElsewhereByShortName)},
     {kYes, information(kReboot)}, 3010, restartCompletes("held by prompt_and_wait.exe (id {holder})")},
    {"UnattendedDllInUseWithAnUnwritableConfigurationSaysSo", "app", "", "{work}", true,
     {config("{app}", FILE_ATTRIBUTE_READONLY, After::Unchanged, Hold::ReadSharing), kDllInUse},
     {kYes, information(kReboot + kNotSwitchedOff)}, 1603},
    // The store reads no byte behind a CR: a rewrite would lose them.
    // Left as it is, attributes included.
    {"UnattendedDllInUseKeepsAConfigurationWhoseLinesEndInCROnlyWithItsAttributes", "app", "", "{work}", true,
     {{"{app}", "vantrelconfig.txt", "TRACE_ENABLED 1\rTRACE_FILE C:\\app\\trace.log\rLEVEL 5\r", FILE_ATTRIBUTE_HIDDEN,
       Hold::None, After::Unchanged}, dll(After::Unchanged, Hold::ReadSharing, FILE_ATTRIBUTE_READONLY)},
     {kYes, information(kReboot + kNotSwitchedOff)}, 1603},
    // What does not parse is said first, whatever else keeps it as it is
    // (a CR inside a line).
    {"UnattendedDllInUseWithMalformedConfigurationKeepsItAndSaysTracingIsStillOn", "app", "", "{work}", true,
     {{"{app}", "vantrelconfig.txt", "GOOD 1\r\nab\rcd ef\r\n", 0, Hold::None, After::Unchanged}, kDllInUse},
     {kYes, error("An error occured when parsing the config file. \nError message: A key without a value was "
                   "detected, key: ab\n" + kReboot + kNotSwitchedOff)}, 1603},
    // Too large to load, even where the runner reads it to answer the
    // system-folder warning: a failure that keeps it, said in the loader's
    // words on every Windows.
    {"UnattendedFailsOnAConfigurationTooLargeToLoadAndKeepsIt", "app", "--allow-system-folder", "{work}", true,
     {{"{system}", "ws2_32.dll", std::nullopt, 0, Hold::ReadSharing, After::Unchanged}},
     {kYes, warning("{system}", IDYES), error("Couldn't find one of the required files. \nError message: Could not load "
                                              "the file: {app}vantrelconfig.txt. Exception: " + std::string(kTooLargeWhy))},
     1603, "", "", "", tooLargeToLoad, keptWhole},
    {"UnattendedLockedConfigurationIsReportedAfterTheDllIsGone", "app", "", "{work}", true,
     {config("{app}", 0, After::Unchanged, Hold::ReadSharing), dll()},
     {kYes, information("Unable to complete uninstall. Reason: \nCouldn't delete the vantrelconfig.txt file.\n"
                         "Please delete this file manually.\nError message: {error 32}")}, 1603},
    {"UnattendedRefusesAConfigurationThatLinksElsewhere", "{linked}", "", "{work}", true,
     {{"{linked-data}", "vantrelconfig.txt", kConfig, FILE_ATTRIBUTE_READONLY, Hold::None, After::Unchanged},
      {"{app}", "vantrelconfig.txt", std::nullopt, 0, Hold::None, After::Unchanged}, kDllInUse},
     {kYes, linkRefused("{app}vantrelconfig.txt is a link to {linked-data}vantrelconfig.txt.")}, 1603},
    {"UnattendedRefusesAConfigurationThatLinksToAnotherFileOfItsFolder", "{linked-here}", "", "{work}", true,
     {{"{app}", "other.txt", kConfig, 0, Hold::None, After::Unchanged},
      {"{app}", "vantrelconfig.txt", std::nullopt, 0, Hold::None, After::Unchanged}, dll(After::Unchanged)},
     {kYes, linkRefused("{app}vantrelconfig.txt is a link to {app}other.txt.")}, 1603},
    {"UnattendedRemovesAProductReachedThroughAFolderLinkOnTheWay", "{through-link}", "", "{work}", true,
     {config(), dll()}, {kYes, kSuccess}, 0},
    {"UnattendedRefusesAConfigurationWithASecondNameElsewhere", "app", "", "{work}", true,
     {config("{app}", 0, After::Unchanged), kDllInUse,
      {"{work}", "other name.txt", std::nullopt, 0, Hold::None, After::Unchanged, "{app}vantrelconfig.txt"}},
     {kYes, linkRefused("{app}vantrelconfig.txt has 2 names (hard links); a change to it would reach every one of them.")},
     1603},
    {"UnattendedConfigurationThatCannotBeOpenedIsNoMissingProduct", "app", "", "{work}", true,
     {config("{app}", 0, After::Unchanged, Hold::NoSharing), dll(After::Unchanged)},
     {kYes, configNotFound("{app}")}, 1603},
    {"ProtectedFilesInTheCurrentFolderAreDeleted", "app", "{exe}", "{work}", false,
     {config("{work}", kRHS), {"{work}", "ws2_32.dll", kDll, kRHS, Hold::None, After::Deleted}},
     {kYes, kSuccess}, 0},
    // Argument 0 need not name the program's folder by a backslash: a start
    // with forward slashes (or by bare name, from the folder on PATH).
    {"StartedWithForwardSlashesItRemovesTheProduct", "app", "{exe/}", "{work}", false,
     {config(), dll()}, {kYes, success("{exe/}")}, 0},
    {"UnmatchedQuoteIsACommandLineError", "app", "\"{exe}", "{work}", false, kUntouched,
     {kYes, error("An error occured when getting the command line. \nError message: Unmatched \" found "
                   "when parsing command line: \"{exe} ")}, 1603},
    {"BlankCommandLineHasNoArgumentZero", "app", " ", "{work}", false, kUntouched,
     {kYes, error("An error occured.\nError message: Error getting the application directory. __argc is zero.")}, 1603},
    // Logged through Windows Installer's switch, as templates pass it.
    {"UnattendedRemovesBothReadOnlyFilesFromAFolderNamedOutsideTheCodePageAndLogsEachRun", "Program Files\\Вантрел",
     "/L*v {log}", "{work}", true,
     {config("{app}", FILE_ATTRIBUTE_READONLY), dll(After::Deleted, Hold::None, FILE_ATTRIBUTE_READONLY)}, {kYes, kSuccess}, 0},
    // Only Windows' own ws2_32.dll is there: the configuration is looked
    // for first, so its report comes, and no system-folder warning.
    {"UnattendedWithoutTheProductReportsTheConfigurationBeforeAnyWarning", "app", "", "{work}", true, {}, {kYes, configNotFound("{app}")}, 1605},
    {"UnattendedRefusesALogItCannotAppendTo", "app", "--log {app}missing\\runs.log", "{work}", true,
     kUntouched, {}, ERROR_INSTALL_LOG_FAILURE, "uninstall-unattended: cannot append to the log {app}missing\\runs.log\nSystem error message: "},
    // A folder link on the way to the log: refused before any line, and the
    // log made to be checked is gone again.
    {"UnattendedRefusesALogInAFolderLinkAndLeavesNothingThere", "app", "--log C:\\via-link\\runs.log", "{work}", true,
     kUntouched, {}, ERROR_INSTALL_LOG_FAILURE, "uninstall-unattended: the log C:\\via-link\\runs.log is refused: it lies "
     "in a link to C:\\via-real; nothing was started\n", "", "", nullptr, nothingMadeThroughTheLink},
    // Anyone who may read a log may hold it against writing: the removal
    // goes on without it, and says so.
    // Written as SYSTEM: not where a standard user could put another file.
    {"UnattendedRefusesALogAStandardUserCouldRedirect", "app", "--log {app}runs.log", "{work}", true, kUntouched, {},
     ERROR_INSTALL_LOG_FAILURE, "uninstall-unattended: the log {app}runs.log is refused: a standard user could replace or "
     "redirect it: {app}runs.log: Everyone may put a file of that name into {app-}; nothing was started\n", "", "",
     openToEveryone},
    {"UnattendedGoesOnWithoutALogAnotherProgramHolds", "app", "--log {work}held.log", "{work}", true,
     {config(), dll(), {"{work}", "held.log", "earlier lines\r\n", 0, Hold::ReadSharing, After::Unchanged}},
     {kYes, kSuccess}, 0, "", "uninstall-unattended: the log {work}held.log is held by another program that lets "
     "nobody write it, so this run goes on without it: {error 32}"},
    {"UnattendedRefusesTheSystemFolderByDefault", "app", "", "{work}", true,
     {configNamingNoLibrary(After::Unchanged), systemDll(After::Unchanged)}, {kYes, warning("{system}", IDNO), kCanceled}, 1602},
    // As Notepad saves it, quoted, spelled otherwise, with old Mac line ends.
    {"UnattendedRefusesWindowsOwnLibraryHoweverTheConfigurationWritesIt", "app", "--allow-system-folder", "{work}", true,
     {{"{app}", "vantrelconfig.txt", "\xEF\xBB\xBFSYSTEM_DLL \"\\\\?\\%SystemRoot%\\System32\\ws2_32.dll\"\rTRACE_ENABLED 1\r",
       0, Hold::None, After::Unchanged}, systemDll(After::Unchanged)},
     {kYes, warning("{system}", IDNO, kWindowsOwnRefused), kCanceled}, 1602},
    // Started from a third folder: the dry run, too, searches as the
    // uninstaller does from its own.
    // The product's Apps & Features entry goes with it, in whichever view an
    // installer wrote it; another folder's stays; the dry run says which.
    {"UnattendedRemovesTheAppsAndFeaturesEntryOfThisProductOnly", "app", "", "{work}", true, {config(), dll()},
     {kYes, kSuccess}, 0, "uninstall-unattended: " + kEntry + "32-bit registry view) is removed\nuninstall-unattended: " +
     kOthersEntry, "", "what-if: " + kEntry + "32-bit registry view) would be removed\nwhat-if: " + kOthersEntry,
     registerProduct, onlyTheProductsEntryIsGone},
    // After a 0 nothing of the product is left: its programs at once, the
    // runner and the folder at the restart.
    {"UnattendedLeavesNothingOfTheProductAfterTheRestart", "app", "", "{work}", true,
     {config(), dll(), {"{app}", "uninstall.exe", std::nullopt, 0, Hold::None, After::Deleted},
      {"{app}", "dialog_probe.dll", std::nullopt, 0, Hold::None, After::Deleted}},
     {kYes, kSuccess}, 0, programsGone("uninstall-unattended: ", "is"), "", programsGone("what-if: ", "would be"),
     withoutKeepingPrograms, goneAtTheRestart},
    // A folder that everyone may change: said with who may do what, no icons
    // named, and after a 3010 the removal left to a second run, since a user
    // could put a link in its place before the restart (which
    // tests/tools/swap_test.sh makes).
    {"UnattendedSaysAFolderEveryoneMayChangeAndLeavesItToASecondRun", "app", "--allow-replaceable-program", "{work}", true,
     {config("{app}", 0, After::RewrittenInPlace), dll(After::Unchanged, Hold::ReadSharing, FILE_ATTRIBUTE_HIDDEN)},
     {{"Uninstall", "", "Yes No", "Yes", kConfirm, IDYES}, {"Uninstall Information", "", "OK", "OK", kReboot, IDOK}}, 3010,
     "uninstall-unattended: ws2_32.dll: which program holds it is unknown: the Restart Manager names none, and no "
     "program has it loaded\nuninstall-unattended: ws2_32.dll: {app}ws2_32.dll is not scheduled for deletion at the "
     "restart: a standard user could redirect the deletion: {app}ws2_32.dll: " + kEveryone + "; run the uninstaller "
     "again after the restart\nuninstall-unattended: vantrelconfig.txt: {app}vantrelconfig.txt is kept for that run\n",
     "uninstall-unattended: a standard user could have replaced or redirected {app}uninstall.exe: " +
     kEveryone + "; install the product where only administrators can write. dialog_probe.dll is not loaded, so the "
     "icons are not named\n", "", openToEveryone},
    // Started with the runner's rights, what anyone could have put there is
    // not started unless the administrator says so.
    {"UnattendedStartsNoUninstallerAStandardUserCouldHaveReplaced", "app", "", "{work}", true, kUntouched, {}, 1603,
     "uninstall-unattended: cannot start {exe}: a standard user could have replaced or redirected {app}uninstall.exe: " +
     kEveryone + "; install the product where only administrators can write, or give --allow-replaceable-program to "
     "start it anyway\n", "", "", openToEveryone},
    // The product's folder loses its programs, but not the runner there
    // that did not run, which nothing schedules: the folder stays too.
    {"UnattendedDeletesFromTheSystemFolderWhenAllowedForTheUninstallerItIsGivenFromAThirdFolder", "app",
     "--allow-system-folder {work}uninstall.exe", "{windows}", true,
     {{"{work}", "vantrelconfig.txt", "TRACE_ENABLED 1\n", 0, Hold::None, After::Deleted}, systemDll(After::Deleted),
      {"{work}", "uninstall-unattended.exe", "MZ another runner", 0, Hold::None, After::Unchanged}},
     {kYes, warning("{system}", IDYES), kSuccess}, 0, "uninstall-unattended: uninstall.exe: {work}uninstall.exe is "
     "deleted\nuninstall-unattended: the folder {work} is kept: it holds uninstall-unattended.exe, which stays: only "
     "the runner that ran is scheduled\n", "", "", withoutKeepingPrograms},
    // Started from a tools folder, with the product's files elsewhere: the
    // folder is none of the product's, and its programs stay.
    {"UnattendedStartedFromAToolsFolderKeepsItsPrograms", "app", "--allow-system-folder", "{work}", true,
     {{"{windows}", "vantrelconfig.txt", "TRACE_ENABLED 1\n", 0, Hold::None, After::Deleted}, systemDll(After::Deleted)},
     {kYes, warning("{system}", IDYES), kSuccess}, 0, "uninstall-unattended: the programs in {app} are kept: it is not "
     "the product's folder: neither of the product's files was there, and its Apps & Features entry names no such "
     "folder\n", "", "", withoutKeepingPrograms},
    // The restart deletes as SYSTEM: nothing outside the product's folder.
    {"UnattendedSchedulesNothingOutsideTheProductsFolder", "app", "", "{work}", true,
     {{"{windows}", "vantrelconfig.txt", "TRACE_ENABLED 1\n", 0, Hold::None, After::RewrittenInPlace}, kDllInUse}, {kYes,
      information(kReboot)}, 3010, "uninstall-unattended: ws2_32.dll: which program holds it is unknown: the Restart "
     "Manager names none, and no program has it loaded\nuninstall-unattended: vantrelconfig.txt: {windows}vantrelconfig.txt "
     "is not scheduled for deletion at the restart: it lies outside the product's folder {app}; run the uninstaller "
     "again after the restart\nuninstall-unattended: vantrelconfig.txt: {windows}vantrelconfig.txt is kept for that run\n",
     "", "", nullptr, windowsConfigurationRemoved},
    {"UnattendedLeavesADllInUseInTheSystemFolderForASecondRun", "app", "--allow-system-folder", "{work}", true,
     {configNamingNoLibrary(After::RewrittenInPlace), {"{system}", "ws2_32.dll", std::nullopt, 0, Hold::ReadSharing, After::Unchanged}},
     {kYes, warning("{system}", IDYES), information(kReboot)}, 3010,
     "uninstall-unattended: ws2_32.dll: which program holds it is unknown: the Restart Manager names none, and no "
     "program has it loaded\nuninstall-unattended: ws2_32.dll: {system}ws2_32.dll is not scheduled for deletion at "
     "the restart: it lies in a Windows system folder; run the uninstaller again after the restart\n"
     "uninstall-unattended: vantrelconfig.txt: {app}vantrelconfig.txt is kept for that run\n", "", "",
     registerProduct, bothEntriesKept},
    // Switches that deployment templates pass out of habit change nothing,
    // and the first line says so; anything else is still refused.
    {"UnattendedTakesSwitchesPassedOutOfHabitAsNoOps", "app", "/S /NoRestart", "{work}", true, {config(), dll()},
     {kYes, kSuccess}, 0, "", "uninstall-unattended: /S /NoRestart: nothing to do, this program never shows anything "
     "and never restarts\n"},
    {"UnattendedRefusesAnUnknownOption", "app", "/passive", "{work}", true, kUntouched, {}, ERROR_INVALID_PARAMETER, kUsage},
    {"UnattendedShowsItsUsageWhenAsked", "app", "/?", "{work}", true, kUntouched, {}, 0, kUsage},
    {"UnattendedReportsAndLogsAProgramThatCannotStart", "app", "--log {log} {app}missing.exe", "{work}", true,
     kUntouched, {}, ERROR_FILE_NOT_FOUND, "uninstall-unattended: cannot start {app}missing.exe\nSystem error message: "},
    // The system would run a script through cmd.exe: it is no program here.
    {"UnattendedStartsNoScript", "app", "{app}remove.bat", "{work}", true,
     {config("{app}", 0, After::Unchanged), dll(After::Unchanged),
      {"{app}", "remove.bat", "@exit 5\r\n", 0, Hold::None, After::Unchanged}},
     {}, ERROR_BAD_EXE_FORMAT, "uninstall-unattended: cannot start {app}remove.bat\nSystem error message: "},
    // Its one second times only a dialog that never comes: no other step
    // of the runner's runs before it.
    {"UnattendedEndsAProgramThatShowsNoDialog", "app", "--timeout 1 {windows}notepad.exe", "{work}", true,
     kUntouched, {}, ERROR_TIMEOUT, "uninstall-unattended: {windows}notepad.exe showed no dialog for 1 seconds and was ended\n"},
};

// Why a row cannot run on this machine, or "". Outside Wine, a row that
// uses what the Wine runner provides (the links it makes,
// wineboot as the restart, a Restart Manager that names no holder) is left
// out, and a row that writes to Windows' own folders runs only on a machine
// declared disposable: there the system's ws2_32.dll is Windows' own.
std::string whyNotHere(const Scenario& scenario) {
    char wow64[MAX_PATH];
    if (std::string(scenario.name).find("SysWow64") != std::string::npos && !GetSystemWow64DirectoryA(wow64, MAX_PATH))
        return "only 64-bit Windows has SysWOW64";
    if (runsUnderWine()) return "";
    if (!IsUserAnAdmin()) return "not elevated: the programs ask for administrator rights; run from an elevated prompt";
    std::string used = scenario.appDirectory + scenario.commandLine + scenario.output, written = scenario.appDirectory;
    for (const File& file : scenario.files) used += file.directory, written += file.directory;
    for (const Dialog& dialog : scenario.dialogs) used += dialog.text + dialog.after;
    for (const char* mark : {"{link", "{through-link}", "names none"})
        if (used.find(mark) != std::string::npos) return std::string("needs Wine: it uses ") + mark;
    if (scenario.exitCode == ERROR_SUCCESS_REBOOT_REQUIRED || scenario.check == goneAtTheRestart)
        return "needs Wine: its restart is wineboot -r";
    if ((written.find("{system}") != std::string::npos || written.find("{windows}") != std::string::npos ||
         scenario.prepare == registerProduct) &&
        !mayChangeWindows())
        return "writes to Windows' own folders: runs outside Wine only with VANTREL_DISPOSABLE_MACHINE=1, on a "
               "machine that may be lost";
    return "";
}

// A real run's one record, under Wine, where its trace shows it, of the
// type and id of its outcome; usage and help, and a log that cannot be
// opened, start nothing and write none.
void expectRecord(const Scenario& scenario, const Stage& stage, const std::string& shown) {
    if (wineStderr().empty()) return;
    const vantrel::uninstall::OutcomeRow& outcome = vantrel::uninstall::outcomeRow(
        scenario.exitCode, !scenario.dialogs.empty() || scenario.exitCode == ERROR_TIMEOUT);
    const bool none = shown.rfind(kUsage, 0) == 0 || scenario.exitCode == ERROR_INVALID_PARAMETER ||
                      scenario.exitCode == ERROR_INSTALL_LOG_FAILURE;
    const Records expected = none ? Records{} : Records{{outcome.eventType, outcome.eventId}};
    EXPECT_EQ(expected, stage.records) << shown;
}

class UninstallTest : public testing::TestWithParam<Scenario> {};

TEST_P(UninstallTest, DialogsStatusAndFilesAreAsAPersonExpects) {
    const Scenario& scenario = GetParam();
    if (const std::string why = whyNotHere(scenario); !why.empty()) GTEST_SKIP() << why;
    Stage stage(scenario);
    struct Before { std::string bytes; DWORD attributes; ULONGLONG index; };
    std::vector<Before> before;
    for (const File& file : scenario.files) {
        const std::string path = stage.put(file);
        before.push_back({readFile(path), GetFileAttributesA(path.c_str()), fileIndex(path)});
    }
    if (scenario.prepare) scenario.prepare(stage);
    const std::set<std::string> staged = stage.names();
    std::string expected = stage.expand(scenario.first), shown;
    for (const Dialog& d : scenario.dialogs)
        expected += stage.expand(logged(d));
    // Every file as staged, or as the scenario leaves it, and no other name
    // (no temporary file) in the program's folder.
    auto expectFiles = [&](bool ran) {
        std::set<std::string> remaining = staged;
        for (std::size_t i = 0; i < scenario.files.size(); ++i) {
            const File& file = scenario.files[i];
            const std::string path = stage.expand(file.directory) + file.name;
            const DWORD attributes = GetFileAttributesA(path.c_str());
            const After after = ran ? file.after : After::Unchanged;
            if (after == After::Deleted) {
                EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes) << path << " still exists";
                if (file.directory == "{app}") remaining.erase(file.name);
                continue;
            }
            const bool rewritten = after == After::RewrittenInPlace;
            // Every entry kept, in key order, tracing off.
            const std::string rewrittenText = before[i].bytes == kConfig ? kRewritten : "TRACE_ENABLED 0\r\n";
            EXPECT_EQ(rewritten ? rewrittenText : before[i].bytes, readFile(path)) << path;
            const bool unprotected = after != After::Unchanged;
            EXPECT_EQ(unprotected ? 0 : before[i].attributes, unprotected ? attributes & kRHS : attributes) << path;
            EXPECT_EQ(before[i].index, fileIndex(path)) << path << ": written in place";
        }
        EXPECT_EQ(remaining, stage.names());
    };
    DWORD exitCode = 0;
    std::string records;  // what the log must hold, after each line's time
    // The program the runner is given last, or the uninstaller beside it.
    std::string arguments = kKeep + stage.expand(scenario.commandLine);
    if (arguments.back() == ' ') arguments.pop_back();
    const std::size_t lastWord = arguments.rfind(' ') + 1;
    const bool logLast = arguments.rfind("--log ", lastWord) + 6 == lastWord || arguments.rfind("/L*v ", lastWord) + 5 == lastWord;
    const bool pathLast = arguments.find(":\\", lastWord) != std::string::npos && !logLast;
    const std::string program = pathLast ? arguments.substr(lastWord) : stage.expand("{exe}");
    const std::string opening = "uninstall-unattended: computer " + std::string(getenv("COMPUTERNAME")) + ", user " +
                                getenv("USERDOMAIN") + "\\" + getenv("USERNAME") + ", program " + program + ", options: ";
    if (scenario.unattended) {
        DWORD ran = 0;
        // The dry run foresees the status and changes nothing; only a
        // program that shows no dialog is beyond it.
        if (scenario.exitCode != ERROR_TIMEOUT) {
            const std::string foreseen = stage.runUnattended("--what-if ", scenario, exitCode, ran);
            EXPECT_EQ(scenario.exitCode, exitCode) << foreseen;
            if (!scenario.dialogs.empty() || scenario.output.find("cannot start") != std::string::npos) {
                EXPECT_NE(std::string::npos, foreseen.find("what-if: " + program + " would exit with " +
                                                           std::to_string(scenario.exitCode) + ": ")) << foreseen;
            }
            EXPECT_NE(std::string::npos, foreseen.find(stage.expand(scenario.foreseen))) << foreseen;
            expectFiles(false);
            EXPECT_TRUE(stage.records.empty()) << "the dry run wrote an event log record";
            records = opening + "--what-if " + arguments + "\n" + foreseen;
        }
        const std::string ending = "uninstall-unattended: " + program + " exited with " +
                                   std::to_string(scenario.exitCode) + "\n" + stage.expand(scenario.output);
        expected += ending;
        expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
        shown = stage.runUnattended("", scenario, exitCode, ran);
        expectRecord(scenario, stage, shown);
        if (scenario.dialogs.empty()) {
            // No uninstaller ran: the output says why, in words.
            EXPECT_EQ(0u, shown.rfind(stage.expand(scenario.output), 0)) << shown;
            expected = shown;
        }
        // Seconds, neither milliseconds nor minutes; a loaded, emulated host
        // takes its time to start and end the program.
        EXPECT_TRUE(scenario.exitCode != ERROR_TIMEOUT || (ran >= 1000 && ran < kSlowest)) << ran << " ms";
        records += opening + arguments + "\n" + shown;
        const bool logs = scenario.commandLine.find("--log") != std::string::npos || scenario.commandLine.find("/L*v") != std::string::npos;
        if (logs && scenario.first.find("without it") == std::string::npos && scenario.exitCode != ERROR_INVALID_PARAMETER &&
            scenario.exitCode != ERROR_INSTALL_LOG_FAILURE) {
            // Each line after its "YYYY-MM-DD HH:MM:SS ", ended by CR LF; a line
            // without them keeps what it has, so that it shows.
            EXPECT_EQ(records, std::regex_replace(readFile(stage.expand("{log}")),
                                                  std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d (.*)\r\n"), "$1\n"));
        }
    } else {
        ChildProcess child(stage.expand("{exe}"), stage.expand(scenario.commandLine), stage.expand(scenario.currentDirectory));
        std::size_t next = 0;
        ASSERT_EQ(DialogsEnd::ProgramEnded, answerDialogs(child, [&](const SeenDialog& d) {
            const int answer = next < scenario.dialogs.size() ? scenario.dialogs[next++].answer
                                                              : d.buttons == "OK" ? IDOK : IDNO;
            shown += logged({d.caption, d.icon, d.buttons, d.defaultButton, d.text, answer});
            return answer;
        }, kSlowest, besideThisProgram("dialog_probe.dll")));
        exitCode = child.exitCode();
    }
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(scenario.exitCode, exitCode);
    expectFiles(true);
    if (scenario.unattended && scenario.exitCode == ERROR_SUCCESS_REBOOT_REQUIRED) {
        // Run again before the restart, given the uninstaller under its
        // other spelling (long or short names), then restart: what was
        // scheduled was scheduled once, in one spelling, and is gone; the
        // rest is as the run left it.
        Scenario again = scenario;
        const std::size_t shortly = again.commandLine.find("{exe~}");
        again.commandLine = shortly == std::string::npos ? again.commandLine + " {exe~}"
                                                         : again.commandLine.replace(shortly, 6, "\"{exe}\"");
        DWORD ran = 0;
        const std::string shownAgain = stage.runUnattended("", again, exitCode, ran);
        EXPECT_EQ(scenario.exitCode, exitCode) << shownAgain;
        std::vector<std::string> scheduled;
        for (const File& file : scenario.files) {
            const std::string path = stage.expand(file.directory) + file.name;
            if (stage.expand(scenario.output).find(path + " is scheduled") == std::string::npos) continue;
            scheduled.push_back(path);
            const std::string pending = pendingDeletions();
            std::size_t count = 0;
            for (const std::string& spelling : std::set<std::string>{path, shortName(path)})
                for (std::size_t at = 0; (at = pending.find("\\??\\" + spelling + "\n", at)) != std::string::npos; ++at)
                    ++count;
            EXPECT_EQ(1u, count) << path << " in " << pending;
        }
        stage.release();
        restartWine();
        for (const std::string& path : scheduled)
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << path << " is still there";
        EXPECT_EQ("", pendingDeletions());
    }
    if (scenario.check) scenario.check(stage);
}

// Whatever a program does at its dialog, the driver ends it within its
// bound, which runs from the box seen, never from the program's start
// (which a loaded, emulated host makes slow).
TEST(DialogDriverTest, AProgramThatMisbehavesAtItsDialogIsEndedWithinTheBound) {
    // A box without a default button is answered, and its program then
    // shows nothing; one that the probe cannot enter names no icon (the
    // others' icons are not asked: a loaded host may answer after the
    // probe's own bound).
    const struct { const char* program; DialogsEnd end; const char* icon; } cases[] = {
        {"ignores_answer.exe", DialogsEnd::DialogStuck, nullptr},
        {"stops_pumping.exe", DialogsEnd::DialogUnreadable, nullptr},
        {"refuses_focus.exe", DialogsEnd::NoDialog, nullptr},
        {"takes_no_posts.exe", DialogsEnd::DialogStuck, "(no answer)"}};
    ScratchDirectory scratch;
    for (const auto& c : cases) {
        const std::string program = scratch.path(c.program);
        CopyFileA(besideThisProgram("prompt_and_wait.exe").c_str(), program.c_str(), FALSE);
        ChildProcess child(program, "\"" + program + "\"", scratch.directory());
        for (const DWORD started = GetTickCount();
             !IsWindowVisible(FindWindowA("#32770", "Prompt and wait")) && GetTickCount() - started < kSlowest;)
            Sleep(50);
        std::string icon;
        const auto answer = [&](const SeenDialog& dialog) { return icon = dialog.icon, IDOK; };
        EXPECT_EQ(c.end, answerDialogs(child, answer, 2000, besideThisProgram("dialog_probe.dll"))) << c.program;
        if (c.icon) {
            EXPECT_EQ(c.icon, icon) << c.program;
        }
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.handle(), 0)) << c.program << " still runs";
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, UninstallTest, testing::ValuesIn(scenarios),
                         [](const testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
}  // namespace e2e
