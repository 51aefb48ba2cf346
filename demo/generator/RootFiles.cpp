#include "RootFiles.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "MasterData.h"
#include "Schema.h"

namespace gateway::demo {

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Every text written here is the generator's own; escaping keeps the file
// well-formed should one of them ever hold markup characters.
std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// One property of the metadata file.
struct Property {
  std::string id, name, table, type, values, desc, company, default_value;
  int size = 0;
  bool key = false, read_only = false;
};

Property FromColumn(const Table& table, const char* id, const char* name = nullptr) {
  const Column& column = table.Find(id);
  Property p;
  p.id = column.id;
  p.name = name != nullptr ? name : column.name;
  p.table = table.name;
  p.type = TypeLetter(column);
  p.size = TypeSize(column);
  p.values = column.values;
  p.desc = std::string(table.label) + "的" + column.name;
  if (column.note[0] != '\0') p.desc += "：" + std::string(column.note);
  return p;
}

// The result columns of the purchase-order statement, in its select-list
// order: PURTC.*, TD001-TD018, TC018C, TD019-TD047, then the joined names.
std::vector<Property> ResultProperties() {
  std::vector<Property> properties;
  const Table& header = TableNamed("PURTC");
  const Table& lines = TableNamed("PURTD");
  for (const Column& column : header.columns) properties.push_back(FromColumn(header, column.id));
  for (size_t i = 0; i < lines.columns.size(); ++i) {
    if (i == 18) {
      Property label;
      label.id = "TC018C";
      label.name = "课税别说明";
      label.type = "C";
      label.size = 20;
      label.values = "1.应税内含;2.应税外加;3.零税率;4.免税;9.不计税";
      label.desc = "课税别代号及名称，由 TC018 换算";
      label.read_only = true;
      properties.push_back(label);
    }
    properties.push_back(FromColumn(lines, lines.columns[i].id));
  }
  const struct {
    const char *table, *id, *name;
  } joined[] = {{"CMSMF", "MF002", "币别名称"}, {"CMSMV", "MV002", "采购人员姓名"},
                {"CMSMB", "MB002", "厂别名称"}, {"PURMA", "MA002", "供应商简称"},
                {"CMSMC", "MC002", "库别名称"}, {"CMSNA", "NA003", "付款条件名称"}};
  for (const auto& j : joined) {
    Property p = FromColumn(TableNamed(j.table), j.id, j.name);
    p.read_only = true;
    properties.push_back(p);
  }
  for (Property& p : properties) {
    if (p.id == "TC001" || p.id == "TC002") p.key = true;
    if (p.id == "TC035") p.default_value = "N";
    if (p.id == "TC036") {
      for (const Factory& factory : Factories()) {
        if (factory.bonded) p.company = factory.code;
      }
    }
  }
  return properties;
}

}  // namespace

void WriteGatewayConfig(const std::string& root, const std::string& connection) {
  WriteText(root + "/GatewayConfig.ini",
            "[Options]\nKeepLog=1\nAutoTrunc=1\n[Connection]\nProvider=" + connection + "\n");
}

void WriteRegistry(const std::string& root) {
  WriteText(root + "/registry.ini",
            "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Velmarine]\nClientPath=" + root + "\n");
}

void WriteMetadata(const std::string& root) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<BusinessObject ID=\"PurchaseOrder\" Name=\"采购单\" "
      "Desc=\"ERP 采购单：单头 PURTC、单身 PURTD "
      "及其供应商、币别、税别、人员、厂别、库别与付款条件\">\n"
      // HelpInfo is read as lines: no indentation inside it.
      "  <HelpInfo>GetData：按请求的 PropertyList、Condition、AgentOption、OrderList "
      "查询采购单，每行为一笔采购单身连同其单头。\n"
      "只返回核准供应商（MA069='Y'）的已确认单身（TD018='Y'）。\n"
      "返回的每一笔采购单都会标记为已传递（TC035='Y'）；只取新单时在 Condition 中加上 "
      "TC035='N'。\n"
      "PropertyList 须包含 TC001 与 TC002，否则无法标记已传递。\n"
      "Factory 为公司资料 KVTMB 的公司代号，查询该公司自己的数据库。\n"
      "Help：返回本说明、方法与属性表。</HelpInfo>\n"
      "  <PropertyList>\n";
  for (const Property& p : ResultProperties()) {
    xml += "    <Property ID=\"" + Escape(p.id) + "\" Name=\"" + Escape(p.name) + "\" Field=\"" +
           Escape(p.id) + "\"";
    if (!p.table.empty()) xml += " Table=\"" + Escape(p.table) + "\"";
    xml += " Type=\"" + p.type + "\" Size=\"" + std::to_string(p.size) + "\"";
    if (p.key) xml += " IsKey=\"Y\" Required=\"Y\"";
    if (p.read_only) xml += " ReadOnly=\"Y\"";
    if (!p.values.empty()) xml += " ValueList=\"" + Escape(p.values) + "\"";
    if (!p.default_value.empty()) xml += " Default=\"" + Escape(p.default_value) + "\"";
    if (!p.company.empty()) xml += " Company=\"" + Escape(p.company) + "\"";
    xml += " Desc=\"" + Escape(p.desc) + "\"/>\n";
  }
  xml += "  </PropertyList>\n</BusinessObject>\n";
  WriteText(root + "/Obj/PurchaseOrder.xml", xml);
}

void CopyModule(const std::string& module, const std::string& root) {
  namespace fs = std::filesystem;
  const std::string target = root + "/Bin/PurchaseOrder.so";
  fs::create_directories(root + "/Bin");
  if (fs::exists(target) && fs::equivalent(module, target)) return;  // regenerating in place
  fs::copy_file(module, target, fs::copy_options::overwrite_existing);
}

}  // namespace gateway::demo
