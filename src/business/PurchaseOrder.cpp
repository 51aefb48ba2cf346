// The module's export. The business object and its operators are added here
// once they exist; until then the module loads and exports nothing of use.
namespace gateway {}  // namespace gateway
