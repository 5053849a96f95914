#include "unattended/holders.h"

#include <restartmanager.h>
#include <tlhelp32.h>

#include <algorithm>

#include "commandline/command_line_converter.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/text.h"
#include "unattended/restart.h"

namespace unattended {

namespace {

// The ids of the programs that the Restart Manager says hold `path`.
std::vector<DWORD> restartManagerList(const std::string& path) {
    std::vector<DWORD> ids;
    // Not one of Windows' known DLLs: as an import it would first be looked
    // for beside the runner, so it is loaded from the system folder by hand.
    const io::ScopedModule owner(LoadLibraryExA("rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    const HMODULE manager = owner.get();
    if (!manager) return ids;
    const auto start = reinterpret_cast<decltype(&RmStartSession)>(
        reinterpret_cast<void*>(GetProcAddress(manager, "RmStartSession")));
    const auto add = reinterpret_cast<decltype(&RmRegisterResources)>(
        reinterpret_cast<void*>(GetProcAddress(manager, "RmRegisterResources")));
    const auto list = reinterpret_cast<decltype(&RmGetList)>(
        reinterpret_cast<void*>(GetProcAddress(manager, "RmGetList")));
    const auto end = reinterpret_cast<decltype(&RmEndSession)>(
        reinterpret_cast<void*>(GetProcAddress(manager, "RmEndSession")));
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (start && add && list && end && start(&session, 0, key) == ERROR_SUCCESS) {
        const std::vector<wchar_t> file = io::wide(path);
        LPCWSTR files[] = {file.data()};
        std::vector<RM_PROCESS_INFO> found;
        UINT needed = 0, count = 0;
        DWORD reasons = 0, result = add(session, 1, files, 0, nullptr, 0, nullptr);
        while (result == ERROR_SUCCESS &&
               (result = list(session, &needed, &count, found.data(), &reasons)) == ERROR_MORE_DATA) {
            found.resize(needed);
            count = needed;
            result = ERROR_SUCCESS;
        }
        for (UINT i = 0; result == ERROR_SUCCESS && i < count; ++i) ids.push_back(found[i].Process.dwProcessId);
        end(session);
    }
    return ids;
}

// Whether the program `id` has `path` among its loaded modules.
bool hasLoaded(DWORD id, const std::string& path) {
    io::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, id));
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL more = snapshot.valid() && Module32First(snapshot.get(), &module); more;
         more = Module32Next(snapshot.get(), &module))
        // Names first: opening every module of every program would be slow.
        if (io::isSamePath(getPathFileName(module.szExePath), getPathFileName(path)) &&
            io::isSameFile(module.szExePath, path))
            return true;
    return false;
}

}  // namespace

std::vector<Holder> findHolders(const std::string& path) {
    const std::vector<DWORD> listed = restartManagerList(path);
    std::vector<Holder> holders;
    io::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot.valid() && Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        const DWORD id = entry.th32ProcessID;
        const bool holds = listed.empty() ? hasLoaded(id, path) : std::count(listed.begin(), listed.end(), id) > 0;
        if (holds && id != GetCurrentProcessId() && id != 0) holders.push_back({entry.szExeFile, id});
    }
    return holders;
}

std::string describeHolders(const std::string& name, const std::vector<Holder>& holders) {
    if (holders.empty())
        return name + ": which program holds it is unknown: the Restart Manager names none, and no program has it loaded";
    std::string line = name + ": held by ";
    for (std::size_t i = 0; i < holders.size(); ++i)
        line += (i ? ", " : "") + holders[i].name + " (id " + std::to_string(holders[i].id) + ")";
    return line;
}

}  // namespace unattended
