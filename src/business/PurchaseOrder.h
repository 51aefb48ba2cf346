// The module's exported entry points, as the module defines them (hosts use
// the function types of gateway/IBusiness.h with dlsym).
#pragma once

#include "gateway/Exception.h"
#include "gateway/IBusiness.h"

extern "C" {
GATEWAY_API void GetOperaters(gateway::IBusiness** business);
GATEWAY_API void FreeBusiness(gateway::IBusiness* business);
GATEWAY_API const char* GetModuleVersion();
GATEWAY_API void SetWarningHandler(WarningHandler handler);
}
