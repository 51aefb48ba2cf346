#include "Schema.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace gateway::demo {

namespace {

// Dates the ERP keeps as 8-digit texts are char(8) "YYYYMMDD"; only the audit
// times are datetime columns, stored as "YYYY-MM-DD hh:mm:ss".
const std::vector<Table> kErpTables = {
    {"PURTC",
     "采购单头",
     "TC001, TC002",
     {
         {"COMPANY", "varchar(10)", "公司别", "单据所属公司代号", ""},
         {"CREATOR", "varchar(10)", "建立者", "建立单据的员工代号", ""},
         {"CREATE_DATE", "datetime", "建立时间", "单据建立的日期时间", ""},
         {"MODIFIER", "varchar(10)", "修改者", "最近修改单据的员工代号", ""},
         {"MODI_DATE", "datetime", "修改时间", "最近修改的日期时间，未修改为空", ""},
         {"FLAG", "numeric(3,0)", "修改次数", "单据每保存一次加一", ""},
         {"TC001", "char(4)", "采购单别", "3301 一般采购，3302 紧急采购，3303 委外采购",
          "3301;3302;3303"},
         {"TC002", "char(11)", "采购单号", "采购日期 YYYYMMDD 加三位流水号", ""},
         {"TC003", "char(8)", "采购日期", "格式 YYYYMMDD", ""},
         {"TC004", "varchar(10)", "供应商编号", "对应供应商资料 PURMA", ""},
         {"TC005", "varchar(4)", "币别", "对应币别资料 CMSMF", ""},
         {"TC006", "numeric(12,6)", "汇率", "折合本币的汇率", ""},
         {"TC007", "varchar(10)", "价格条件", "", "FOB;CIF;EXW;DDP"},
         {"TC008", "varchar(60)", "付款条件说明", "", ""},
         {"TC009", "varchar(255)", "备注", "", ""},
         {"TC010", "varchar(10)", "厂别", "对应厂别资料 CMSMB", ""},
         {"TC011", "varchar(10)", "采购人员", "对应员工资料 CMSMV", ""},
         {"TC012", "char(1)", "列印格式", "1 标准格式，2 英文格式", "1;2"},
         {"TC013", "numeric(3,0)", "列印次数", "", ""},
         {"TC014", "char(1)", "确认码", "Y 已确认，N 未确认，V 作废", "Y;N;V"},
         {"TC015", "varchar(20)", "运输方式", "", "陆运;海运;空运;快递"},
         {"TC016", "varchar(120)", "送货地址", "", ""},
         {"TC017", "varchar(30)", "联系人", "供应商联系人", ""},
         {"TC018", "char(1)", "课税别", "1 应税内含，2 应税外加，3 零税率，4 免税，9 不计税",
          "1;2;3;4;9"},
         {"TC019", "numeric(18,2)", "采购金额", "单身采购金额合计", ""},
         {"TC020", "numeric(18,2)", "税额", "单身税额合计", ""},
         {"TC021", "varchar(30)", "联系电话", "供应商联系电话", ""},
         {"TC022", "varchar(30)", "供应商单号", "供应商的销售订单号", ""},
         {"TC023", "numeric(16,3)", "数量合计", "单身采购数量合计", ""},
         {"TC024", "char(8)", "单据日期", "格式 YYYYMMDD", ""},
         {"TC025", "varchar(10)", "确认者", "确认单据的员工代号", ""},
         {"TC026", "numeric(5,4)", "营业税率", "0.13 即 13%", ""},
         {"TC027", "varchar(6)", "付款条件", "对应付款条件资料 CMSNA 的采购类条件", ""},
         {"TC028", "numeric(16,3)", "包装数量合计", "", ""},
         {"TC029", "numeric(18,2)", "预付款", "", ""},
         {"TC030", "char(1)", "签核状态", "0 未送签，1 签核中，2 退件，3 已核准", "0;1;2;3"},
         {"TC031", "numeric(3,0)", "变更版次", "", ""},
         {"TC032", "varchar(20)", "合同编号", "", ""},
         {"TC033", "varchar(20)", "项目编号", "", ""},
         {"TC034", "char(8)", "确认日期", "格式 YYYYMMDD", ""},
         {"TC035", "char(1)", "已传递", "Y 已交给外部系统，N 未传递；网关返回的采购单即标记为 Y",
          "Y;N"},
         {"TC036", "varchar(20)", "保税手册号", "保税厂区的海关手册编号", ""},
     }},
    {"PURTD",
     "采购单身",
     "TD001, TD002, TD003",
     {
         {"TD001", "char(4)", "采购单别", "", ""},
         {"TD002", "char(11)", "采购单号", "", ""},
         {"TD003", "char(4)", "序号", "单身序号，四位数字", ""},
         {"TD004", "varchar(20)", "品号", "", ""},
         {"TD005", "varchar(60)", "品名", "", ""},
         {"TD006", "varchar(60)", "规格", "", ""},
         {"TD007", "varchar(10)", "交货库别", "对应库别资料 CMSMC", ""},
         {"TD008", "numeric(16,3)", "采购数量", "", ""},
         {"TD009", "varchar(6)", "单位", "", "PCS;KG;M;卷;桶;双"},
         {"TD010", "numeric(18,4)", "采购单价", "", ""},
         {"TD011", "numeric(18,2)", "采购金额", "采购数量乘采购单价", ""},
         {"TD012", "char(8)", "预交货日", "格式 YYYYMMDD", ""},
         {"TD013", "varchar(20)", "请购单号", "", ""},
         {"TD014", "varchar(255)", "备注", "", ""},
         {"TD015", "numeric(16,3)", "已交数量", "", ""},
         {"TD016", "char(1)", "结案码", "Y 自动结案，y 指定结案，N 未结案", "Y;y;N"},
         {"TD017", "varchar(30)", "供应商品号", "", ""},
         {"TD018", "char(1)", "确认码", "Y 已确认，N 未确认；只有已确认的单身交给外部系统", "Y;N"},
         {"TD019", "char(1)", "急料", "", "Y;N"},
         {"TD020", "char(1)", "检验方式", "0 免检，1 抽检，2 全检", "0;1;2"},
         {"TD021", "numeric(16,3)", "验退数量", "", ""},
         {"TD022", "char(8)", "原预交货日", "格式 YYYYMMDD", ""},
         {"TD023", "varchar(20)", "项目编号", "", ""},
         {"TD024", "numeric(5,4)", "税率", "", ""},
         {"TD025", "numeric(18,2)", "税额", "", ""},
         {"TD026", "numeric(18,2)", "含税金额", "", ""},
         {"TD027", "numeric(16,3)", "包装数量", "", ""},
         {"TD028", "varchar(6)", "包装单位", "", ""},
         {"TD029", "numeric(12,4)", "换算率", "每个包装单位所含的采购单位数", ""},
         {"TD030", "char(1)", "保税品", "", "Y;N"},
         {"TD031", "varchar(20)", "批号", "", ""},
         {"TD032", "char(8)", "最近交货日", "格式 YYYYMMDD，未交货为空", ""},
         {"TD033", "numeric(16,3)", "已开票数量", "", ""},
         {"TD034", "numeric(18,2)", "已开票金额", "", ""},
         {"TD035", "varchar(30)", "品牌", "", ""},
         {"TD036", "varchar(20)", "产地", "", ""},
         {"TD037", "numeric(16,3)", "最小采购量", "", ""},
         {"TD038", "char(1)", "赠品", "", "Y;N"},
         {"TD039", "varchar(10)", "请购部门", "", ""},
         {"TD040", "varchar(10)", "请购人员", "", ""},
         {"TD041", "numeric(5,0)", "采购提前期", "天数", ""},
         {"TD042", "numeric(4,0)", "变更版次", "", ""},
         {"TD043", "varchar(30)", "图号", "", ""},
         {"TD044", "varchar(10)", "图面版本", "", ""},
         {"TD045", "numeric(10,4)", "单位重量", "公斤", ""},
         {"TD046", "varchar(60)", "自定义文字", "", ""},
         {"TD047", "numeric(18,4)", "自定义数值", "", ""},
     }},
    {"PURMA",
     "供应商资料",
     "MA001",
     {
         {"MA001", "varchar(10)", "供应商编号", "", ""},
         {"MA002", "varchar(30)", "供应商简称", "", ""},
         {"MA003", "varchar(120)", "供应商全名", "", ""},
         {"MA005", "varchar(20)", "联系人", "", ""},
         {"MA008", "varchar(30)", "电话", "", ""},
         {"MA014", "varchar(120)", "地址", "", ""},
         {"MA021", "varchar(4)", "交易币别", "", ""},
         {"MA025", "varchar(6)", "付款条件", "", ""},
         {"MA069", "char(1)", "核准状况", "Y 可采购，N 暂停采购", "Y;N"},
     }},
    {"CMSMF",
     "币别资料",
     "MF001",
     {
         {"MF001", "varchar(4)", "币别", "", ""},
         {"MF002", "varchar(20)", "币别名称", "", ""},
         {"MF003", "numeric(1,0)", "单价取位", "", ""},
         {"MF004", "numeric(1,0)", "金额取位", "", ""},
         {"MF005", "numeric(12,6)", "参考汇率", "", ""},
     }},
    {"CMSMV",
     "员工资料",
     "MV001",
     {
         {"MV001", "varchar(10)", "员工代号", "", ""},
         {"MV002", "varchar(20)", "姓名", "", ""},
         {"MV004", "varchar(10)", "部门代号", "", ""},
     }},
    {"CMSMB",
     "厂别资料",
     "MB001",
     {
         {"MB001", "varchar(10)", "厂别代号", "", ""},
         {"MB002", "varchar(60)", "厂别名称", "", ""},
         {"MB004", "varchar(120)", "厂区地址", "", ""},
     }},
    {"CMSNA",
     "付款条件资料",
     "NA001, NA002",
     {
         {"NA001", "char(1)", "类别", "1 采购，2 销售", "1;2"},
         {"NA002", "varchar(6)", "付款条件代号", "", ""},
         {"NA003", "varchar(60)", "付款条件名称", "", ""},
         {"NA004", "numeric(4,0)", "天数", "", ""},
     }},
    {"CMSMC",
     "库别资料",
     "MC001",
     {
         {"MC001", "varchar(10)", "库别代号", "", ""},
         {"MC002", "varchar(30)", "库别名称", "", ""},
         {"MC003", "varchar(10)", "厂别", "", ""},
     }},
};

const Table kCompanyTable = {"KVTMB",
                             "公司资料",
                             "MB001",
                             {
                                 {"MB001", "varchar(10)", "公司代号", "", ""},
                                 {"MB002", "varchar(60)", "公司名称", "", ""},
                                 {"MB003", "varchar(60)", "数据库名称", "", ""},
                             }};

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

const Column& Table::Find(const std::string& id) const {
  for (const Column& column : columns) {
    if (id == column.id) return column;
  }
  throw std::logic_error("table " + std::string(name) + " has no column " + id);
}

std::string Table::CreateStatement() const {
  std::string sql = "CREATE TABLE " + std::string(name) + " (";
  for (const Column& column : columns) {
    sql += std::string(column.id) + " " + column.sql_type + ", ";
  }
  return sql + "PRIMARY KEY (" + primary_key + "))";
}

std::string Table::InsertStatement() const {
  std::string sql = "INSERT INTO " + std::string(name) + " VALUES(";
  for (size_t i = 0; i < columns.size(); ++i) sql += i == 0 ? "?" : ", ?";
  return sql + ")";
}

const std::vector<Table>& ErpTables() { return kErpTables; }

const Table& CompanyTable() { return kCompanyTable; }

const Table& TableNamed(const std::string& name) {
  for (const Table& table : kErpTables) {
    if (name == table.name) return table;
  }
  if (name == kCompanyTable.name) return kCompanyTable;
  throw std::logic_error("no table " + name);
}

const char* TypeLetter(const Column& column) {
  if (StartsWith(column.sql_type, "numeric")) return "N";
  if (StartsWith(column.sql_type, "datetime")) return "D";
  return "C";
}

int TypeSize(const Column& column) {
  if (StartsWith(column.sql_type, "datetime")) return 19;  // "YYYY-MM-DD hh:mm:ss"
  const char* open = std::strchr(column.sql_type, '(');
  return open == nullptr ? 0 : std::atoi(open + 1);
}

}  // namespace gateway::demo
