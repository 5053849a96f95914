// The product's names: what the uninstaller looks for and what it says.
#ifndef VANTREL_APP_CONSTANTS_H_
#define VANTREL_APP_CONSTANTS_H_

#include <string>

extern const std::string PRODUCT_NAME;
extern const std::string CONFIG_FILE_NAME;
extern const std::string TRACER_DLL_NAME;
extern const std::string KEY_TRACE_ENABLED;

#endif  // VANTREL_APP_CONSTANTS_H_
