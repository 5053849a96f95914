// uninstall.exe: removes the Vantrel tracer and its configuration file.
#include "app/driver.h"

int main(int, char**) {
    vantrel::uninstall::runUninstaller();
    // The dialogs report the outcome; the status is the same on every path.
    return 0;
}
