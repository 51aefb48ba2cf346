// The gateway's machine-wide values that the original platform kept in the
// registry key Software\KVT\Velmarine. Here they live in a read-only INI file,
// $GATEWAY_REGISTRY or else /etc/gateway/registry.ini, under the section
// [HKEY_LOCAL_MACHINE\Software\KVT\Velmarine]. Nothing is ever written there.
#pragma once

#include <string>

namespace gateway {

// The file that stands in for the registry.
std::string GetRegistryFile();

// "ClientPath", or "ServerPath" when that is empty. A missing file, section or
// value reads as empty text. The file is read again only when it has changed
// (see Registry.cpp for the rule).
std::string GetClientPath();

}  // namespace gateway
