// Where the product's files lie: the search for the tracer DLL and the test
// whether a file lies in one of Windows' system folders, shared by the
// uninstall procedure and the unattended runner's checks.
#ifndef VANTREL_APP_PRODUCT_FILES_H_
#define VANTREL_APP_PRODUCT_FILES_H_

#include <string>

namespace vantrel {
namespace uninstall {

// The tracer DLL's path: the first searched place that holds a file of that
// name, whether or not it opens; `startedIn` as Helpers::findFile's.
std::string findTracerDll(const std::string& startedIn = "");

// What of the product a search from `startedIn` finds, once, for every
// later step of a run: each file's path where a file of that name is in a
// searched place, "" where none is. The configuration is the one the
// uninstaller opens, or else the first one present. A ws2_32.dll found
// first in a Windows system folder is Windows' own, not the product's
// (every Windows has one): it is `windowsDll`, and `dll` is "".
struct ProductFiles {
    std::string config, dll, windowsDll;

    // The ws2_32.dll the uninstaller finds first, Windows' own or not.
    const std::string& firstDll() const { return dll.empty() ? windowsDll : dll; }
};
ProductFiles locateProduct(const std::string& startedIn = "");

// Whether the file lies in one of Windows' system folders, however its
// path spells the folder; throws exceptions::Exception when the system
// folder cannot be asked for.
bool liesInASystemDirectory(const std::string& path);

}  // namespace uninstall
}  // namespace vantrel

#endif  // VANTREL_APP_PRODUCT_FILES_H_
