#include "app/constants.h"

const std::string PRODUCT_NAME = "Vantrel";
const std::string CONFIG_FILE_NAME = "vantrelconfig.txt";
const std::string TRACER_DLL_NAME = "ws2_32.dll";
const std::string KEY_TRACE_ENABLED = "TRACE_ENABLED";

