#include "app/product_files.h"

#include "app/constants.h"
#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/windows_folders.h"

namespace vantrel {
namespace uninstall {

std::string findTracerDll(const std::string& startedIn) {
    // A tracer held without sharing is still the first one: passing it over
    // would find Windows' own ws2_32.dll in the system folder.
    return Helpers::findFile(TRACER_DLL_NAME, startedIn, Helpers::Accept::Present);
}

ProductFiles locateProduct(const std::string& startedIn) {
    ProductFiles found;
    for (const Helpers::Accept accept : {Helpers::Accept::Openable, Helpers::Accept::Present}) {
        try {
            found.config = Helpers::findFile(CONFIG_FILE_NAME, startedIn, accept);
            break;
        } catch (const exceptions::Exception&) {
            // None that opens: then any present; else in none of the places.
        }
    }
    try {
        found.dll = findTracerDll(startedIn);
        if (liesInASystemDirectory(found.dll)) found.windowsDll.swap(found.dll);
    } catch (const exceptions::Exception&) {
        // In none of the places, or no system folder to tell Windows' own by.
    }
    return found;
}

bool liesInASystemDirectory(const std::string& path) {
    const std::string directory = getPathDirectory(path);
    for (const std::string& system : io::getSystemDirectories())
        if (io::isSameDirectory(directory, system)) return true;
    return false;
}

}  // namespace uninstall
}  // namespace vantrel
