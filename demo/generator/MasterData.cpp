#include "MasterData.h"

#include <cstring>
#include <stdexcept>

namespace gateway::demo {

const std::vector<Currency>& Currencies() {
  static const std::vector<Currency> currencies = {
      {"RMB", "人民币", 4, 2, 1000000}, {"USD", "美元", 4, 2, 7100000},
      {"EUR", "欧元", 4, 2, 7800000},   {"JPY", "日元", 2, 0, 48000},
      {"HKD", "港币", 4, 2, 910000},
  };
  return currencies;
}

const std::vector<Supplier>& Suppliers() {
  // S014 and S015 are suspended (MA069 'N'): their orders stay in the ERP but
  // are never handed over. S016 carries apostrophes through every layer.
  static const std::vector<Supplier> suppliers = {
      {"S001", "华强五金", "深圳市华强五金制品有限公司", "陈国华", "0755-27781234",
       "深圳市宝安区石岩街道塘头工业区3栋", "RMB", "01", true, "1"},
      {"S002", "鑫达塑胶", "东莞市鑫达塑胶原料有限公司", "林晓东", "0769-87721188",
       "东莞市樟木头镇塑胶城B区12号", "RMB", "02", true, "2"},
      {"S003", "恒通钢材", "苏州恒通精密钢材有限公司", "王建军", "0512-65873321",
       "苏州市相城区黄埭镇潘阳工业园", "RMB", "02", true, "2"},
      {"S004", "联合电子", "上海联合电子元器件有限公司", "刘敏", "021-54328876",
       "上海市闵行区莘庄工业区申富路618号", "RMB", "01", true, "3"},
      {"S005", "永固紧固件", "宁波永固紧固件有限公司", "周海波", "0574-86651230",
       "宁波市镇海区骆驼街道金华路9号", "RMB", "03", true, "1"},
      {"S006", "南方包装", "广州南方包装材料有限公司", "黄丽萍", "020-36257788",
       "广州市白云区太和镇大源工业区", "RMB", "01", true, "4"},
      {"S007", "佳美纸品", "昆山佳美纸品有限公司", "张志强", "0512-57716655",
       "昆山市周市镇青阳北路288号", "RMB", "01", true, "4"},
      {"S008", "安富利", "Avnet Asia Pte. Ltd.", "Kelvin Tan", "+65-6580-6000",
       "1 Kallang Sector, Singapore", "USD", "05", true, "3"},
      {"S009", "大昌电子", "香港大昌电子贸易有限公司", "李家明", "852-2765-1234",
       "香港九龙观塘巧明街100号", "HKD", "04", true, "3"},
      {"S010", "山田製作所", "株式会社山田製作所", "山田太郎", "+81-6-6941-2211",
       "大阪府東大阪市高井田元町2-8-15", "JPY", "05", true, "12"},
      {"S011", "伍尔特", "Würth Industrie Service GmbH", "Stefan Weber", "+49-7931-910",
       "Industriepark Würth, Bad Mergentheim", "EUR", "05", true, "15"},
      {"S012", "渤海润滑油", "天津渤海润滑油有限公司", "赵立新", "022-25801234",
       "天津市滨海新区塘沽海洋高新区", "RMB", "03", true, "5"},
      {"S013", "安盾劳保", "厦门安盾劳保用品有限公司", "郑秀英", "0592-57123456",
       "厦门市集美区杏林工业区", "RMB", "01", true, "5"},
      {"S014", "中策机电", "杭州中策机电有限公司", "钱伟", "0571-86901234", "杭州市余杭区仁和街道",
       "RMB", "02", false, "13"},
      {"S015", "利达电器", "温州利达电器有限公司", "孙建平", "0577-62781234", "乐清市柳市镇电器城",
       "RMB", "01", false, "3"},
      {"S016", "O'Brien", "O'Brien Industrial Supply Co.", "Sean O'Brien", "+1-312-555-0142",
       "2200 W Fulton St, Chicago, IL", "USD", "05", true, "15"},
  };
  return suppliers;
}

const std::vector<Staff>& StaffMembers() {
  // P0001 confirms orders; P0002 to P0008 are the buyers; E* request material.
  static const std::vector<Staff> staff = {
      {"P0001", "张伟", "PUR1"}, {"P0002", "王芳", "PUR1"}, {"P0003", "李娜", "PUR1"},
      {"P0004", "刘洋", "PUR1"}, {"P0005", "陈静", "PUR2"}, {"P0006", "杨磊", "PUR2"},
      {"P0007", "赵敏", "PUR2"}, {"P0008", "黄涛", "PUR2"}, {"E0101", "周杰", "PRD1"},
      {"E0102", "吴霞", "PRD1"}, {"E0201", "徐斌", "ENG"},  {"E0301", "孙丽", "QA"},
  };
  return staff;
}

const std::vector<Plant>& Plants() {
  static const std::vector<Plant> plants = {
      {"01", "深圳龙华厂区", "深圳市龙华区观澜街道环观南路88号"},
      {"02", "东莞塘厦厂区", "东莞市塘厦镇林村工业区16号"},
      {"03", "苏州工业园厂区", "苏州工业园区星龙街358号"},
  };
  return plants;
}

const std::vector<PaymentTerm>& PaymentTerms() {
  // The same codes exist for sales: the join must pick the purchase term only.
  static const std::vector<PaymentTerm> terms = {
      {"1", "01", "月结30天", 30},        {"1", "02", "月结60天", 60},
      {"1", "03", "货到付款", 0},         {"1", "04", "预付50%余款月结30天", 30},
      {"1", "05", "T/T 90天", 90},        {"2", "01", "月结45天（销售）", 45},
      {"2", "02", "款到发货（销售）", 0}, {"2", "03", "信用证（销售）", 60},
  };
  return terms;
}

const std::vector<Warehouse>& Warehouses() {
  static const std::vector<Warehouse> warehouses = {
      {"A01", "原材料仓", "01"}, {"A02", "电子料仓", "01"}, {"B01", "成品仓", "01"},
      {"C01", "辅料仓", "02"},   {"D01", "包材仓", "02"},   {"Q01", "待验仓", "03"},
  };
  return warehouses;
}

const std::vector<ItemFamily>& ItemFamilies() {
  static const std::vector<ItemFamily> families = {
      {"1010",
       "不锈钢内六角螺丝",
       {"M3×8", "M4×10", "M5×12", "M6×16", "M8×20"},
       "PCS",
       800,
       "永固",
       "中国",
       "包",
       1000,
       "A01",
       20},
      {"1020",
       "六角螺母",
       {"M4", "M5", "M6", "M8"},
       "PCS",
       300,
       "永固",
       "中国",
       "包",
       1000,
       "A01",
       10},
      {"1030",
       "铝合金型材",
       {"6063-T5 20×20", "6063-T5 30×30", "6063-T5 40×40"},
       "M",
       185000,
       "亚铝",
       "中国",
       "捆",
       6,
       "A01",
       6000},
      {"2010",
       "冷轧钢板",
       {"SPCC 1.0mm", "SPCC 1.5mm", "SPCC 2.0mm"},
       "KG",
       58000,
       "宝钢",
       "中国",
       "卷",
       1000,
       "A01",
       10000},
      {"2020",
       "ABS塑胶粒",
       {"本色 PA-757", "黑色 PA-757", "白色 PA-757"},
       "KG",
       142000,
       "奇美",
       "中国台湾",
       "包",
       25,
       "A01",
       10000},
      {"3010",
       "电解电容",
       {"10uF/25V", "100uF/16V", "470uF/35V"},
       "PCS",
       1200,
       "红宝石",
       "日本",
       "盘",
       2000,
       "A02",
       5},
      {"3020",
       "贴片电阻",
       {"0603 1KΩ ±1%", "0603 10KΩ ±1%", "0805 4.7KΩ ±1%"},
       "PCS",
       80,
       "国巨",
       "中国台湾",
       "盘",
       5000,
       "A02",
       1},
      {"3030",
       "单片机",
       {"STM32F103C8T6", "STM32F030F4P6", "STM32G431CBU6"},
       "PCS",
       98000,
       "意法半导体",
       "马来西亚",
       "盘",
       1000,
       "A02",
       20},
      {"4010",
       "五层瓦楞纸箱",
       {"300×200×150", "400×300×250", "600×400×400"},
       "PCS",
       42000,
       "佳美",
       "中国",
       "捆",
       25,
       "D01",
       3500},
      {"4020",
       "气泡膜",
       {"宽1.2m 厚0.1mm", "宽0.6m 厚0.1mm"},
       "卷",
       650000,
       "南方",
       "中国",
       "卷",
       1,
       "D01",
       80000},
      {"5010",
       "抗磨液压油",
       {"46# 18L", "68# 18L"},
       "桶",
       3600000,
       "长城",
       "中国",
       "桶",
       1,
       "C01",
       160000},
      {"5020",
       "劳保手套",
       {"尼龙浸胶 L", "尼龙浸胶 XL", "棉纱 均码"},
       "双",
       35000,
       "安盾",
       "中国",
       "包",
       12,
       "C01",
       500},
  };
  return families;
}

const std::vector<Factory>& Factories() {
  static const std::vector<Factory> factories = {
      {"F01", "深圳一厂", "ERP_F01", false},
      {"F02", "苏州二厂", "ERP_F02", true},
  };
  return factories;
}

const Currency& CurrencyOf(const Supplier& supplier) {
  for (const Currency& currency : Currencies()) {
    if (std::strcmp(currency.code, supplier.currency) == 0) return currency;
  }
  throw std::logic_error(std::string("no currency ") + supplier.currency);
}

const PaymentTerm& PurchaseTermOf(const Supplier& supplier) {
  for (const PaymentTerm& term : PaymentTerms()) {
    if (std::strcmp(term.type, "1") == 0 && std::strcmp(term.code, supplier.payment_term) == 0) {
      return term;
    }
  }
  throw std::logic_error(std::string("no payment term ") + supplier.payment_term);
}

}  // namespace gateway::demo
