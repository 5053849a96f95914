// uninstall.exe: removes the Vantrel tracer and its configuration file.
#include "app/driver.h"

int main(int, char**) { return vantrel::uninstall::runUninstaller(); }
