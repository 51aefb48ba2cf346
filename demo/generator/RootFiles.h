// The text files of a demo gateway root: the gateway configuration, the
// registry stand-in, the purchase-order metadata, and the module's copy.
#pragma once

#include <string>

namespace gateway::demo {

// ROOT/GatewayConfig.ini: tracing on, and the SQLite ERP database ROOT/erp.db
// (or the given connection string).
void WriteGatewayConfig(const std::string& root,
                        const std::string& connection = "Provider=SQLite;Data Source=erp.db");
// ROOT/registry.ini: ClientPath = ROOT, so the alert logs land in ROOT/Log.
void WriteRegistry(const std::string& root);
// ROOT/Obj/PurchaseOrder.xml: the object's help and one property per column
// of the purchase-order statement's result.
void WriteMetadata(const std::string& root);
// ROOT/Bin/PurchaseOrder.so, a copy of `module`.
void CopyModule(const std::string& module, const std::string& root);

}  // namespace gateway::demo
