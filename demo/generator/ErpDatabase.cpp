#include "ErpDatabase.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#include "MasterData.h"
#include "Schema.h"
#include "ServerSchema.h"
#include "SqliteFile.h"
#include "data/sqlite/SqliteTypes.h"

namespace gateway::demo {

namespace {

using Day = std::chrono::sys_days;

const std::vector<const char*> kOrderRemarks = {"请随货附材质证明", "含运费",
                                                "分批交货，每批需附送货单", "急单，请优先安排"};
const std::vector<const char*> kLineRemarks = {"按图纸最新版本加工", "需提供RoHS报告",
                                               "包装需防潮"};

// Orders are numbered per day; 25 a day keeps the 3-digit serial of TC002
// far from its limit and spreads 100,000 lines over a few years.
constexpr int kOrdersPerDay = 25;
constexpr Day kFirstDay = std::chrono::year{2023} / std::chrono::January / 3;

// A seeded stream. mt19937_64 and seed_seq are fully specified by the
// language, and values are drawn with plain integer arithmetic (never the
// distributions, whose results may differ between libraries).
class Random {
 public:
  Random(uint64_t seed, uint32_t stream) {
    std::seed_seq sequence{static_cast<uint32_t>(seed), static_cast<uint32_t>(seed >> 32), stream};
    engine_.seed(sequence);
  }
  int64_t Below(int64_t n) { return static_cast<int64_t>(engine_() % static_cast<uint64_t>(n)); }
  bool Percent(int p) { return Below(100) < p; }
  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Below(static_cast<int64_t>(items.size())))];
  }

 private:
  std::mt19937_64 engine_;
};

std::string Yyyymmdd(Day day) {
  const std::chrono::year_month_day date{day};
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

std::string DateTimeText(Day day, int64_t second_of_day) {
  const std::chrono::year_month_day date{day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(second_of_day / 3600), static_cast<int>(second_of_day / 60 % 60),
                static_cast<int>(second_of_day % 60));
  return text;
}

// `value` rounded to a multiple of 10^`digits` (half up; values are positive).
int64_t RoundTo(int64_t value, int digits) {
  int64_t step = 1;
  for (int i = 0; i < digits; ++i) step *= 10;
  return (value + step / 2) / step * step;
}

// The tax of an amount (cents) for the tax type: part of it when the price
// includes the tax ('1'), added to it ('2'), none otherwise. Rate in 1/10,000.
int64_t TaxOf(int64_t amount, char tax_type, int64_t rate) {
  if (tax_type == '1') return amount - (amount * 10000 + (10000 + rate) / 2) / (10000 + rate);
  if (tax_type == '2') return (amount * rate + 5000) / 10000;
  return 0;
}

std::string Numbered(const char* prefix, int64_t number, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld", digits, static_cast<long long>(number));
  return prefix + std::string(text);
}

void CreateTables(Target& target, const Site& site) {
  for (const Table& table : ErpTables()) target.Exec(target.CreateStatement(table));
  if (site.company_table) target.Exec(target.CreateStatement(CompanyTable()));
}

void WriteMasterData(Target& file, const Site& site) {
  Insert suppliers(file, TableNamed("PURMA"));
  for (const Supplier& s : Suppliers()) {
    suppliers.Text(s.code).Text(s.short_name).Text(s.full_name).Text(s.contact).Text(s.phone);
    suppliers.Text(s.address).Text(s.currency).Text(s.payment_term).Text(s.approved ? "Y" : "N");
    suppliers.Row();
  }
  Insert currencies(file, TableNamed("CMSMF"));
  for (const Currency& c : Currencies()) {
    currencies.Text(c.code).Text(c.name).Integer(c.price_digits).Integer(c.amount_digits);
    currencies.Fixed(c.rate_micros, 6).Row();
  }
  Insert staff(file, TableNamed("CMSMV"));
  for (const Staff& s : StaffMembers()) staff.Text(s.code).Text(s.name).Text(s.department).Row();
  Insert plants(file, TableNamed("CMSMB"));
  for (const Plant& p : Plants()) plants.Text(p.code).Text(p.name).Text(p.address).Row();
  Insert terms(file, TableNamed("CMSNA"));
  for (const PaymentTerm& t : PaymentTerms()) {
    terms.Text(t.type).Text(t.code).Text(t.name).Integer(t.days).Row();
  }
  Insert warehouses(file, TableNamed("CMSMC"));
  for (const Warehouse& w : Warehouses()) warehouses.Text(w.code).Text(w.name).Text(w.plant).Row();
  if (site.company_table) {
    Insert companies(file, CompanyTable());
    for (const Factory& f : Factories()) companies.Text(f.code).Text(f.name).Text(f.database).Row();
  }
}

// One purchase-order line before it is written; amounts in cents, prices in
// 1/10,000 of the order's currency.
struct Line {
  const ItemFamily* family;
  std::string item;
  size_t variant;
  int64_t quantity, packs, price, amount, tax, delivered;
  Day due;
  bool confirmed;
};

class OrderWriter {
 public:
  OrderWriter(Target& file, const Site& site, const Size& size)
      : header_(file, TableNamed("PURTC")),
        line_(file, TableNamed("PURTD")),
        site_(site),
        size_(size),
        random_(size.seed, site.stream) {
    for (const Supplier& supplier : Suppliers()) {
      (supplier.approved ? approved_ : suspended_).push_back(&supplier);
    }
    for (const Staff& staff : StaffMembers()) {
      if (staff.code[0] == 'P' && std::strcmp(staff.code, "P0001") != 0) buyers_.push_back(&staff);
      if (staff.code[0] == 'E') requesters_.push_back(&staff);
    }
  }

  void WriteAll() {
    for (int64_t order = 0; order < size_.orders; ++order) Write(order);
  }

 private:
  void Write(int64_t order) {
    const Day date = kFirstDay + std::chrono::days{order / kOrdersPerDay};
    const std::string day = Yyyymmdd(date);
    const std::string number = Numbered(day.c_str(), order % kOrdersPerDay + 1, 3);
    const int64_t kind = random_.Below(10);
    const char* type = kind < 8 ? "3301" : kind == 8 ? "3302" : "3303";
    // Every eighth order goes to a suspended supplier: such orders exist in
    // any ERP, and the gateway must never hand them over.
    const Supplier& supplier =
        order % 8 == 5 ? *random_.Pick(suspended_) : *random_.Pick(approved_);
    const Currency& currency = CurrencyOf(supplier);
    const PaymentTerm& term = PurchaseTermOf(supplier);
    const bool domestic = std::strcmp(currency.code, "RMB") == 0;
    const char tax_type = domestic              ? (random_.Percent(70) ? '1' : '2')
                          : random_.Percent(80) ? '3'
                          : random_.Percent(50) ? '4'
                                                : '9';
    const int64_t tax_rate = tax_type == '1' || tax_type == '2' ? 1300 : 0;  // 1/10,000
    const bool confirmed = random_.Percent(95);
    // Every fifth order was handed over by an earlier run of the gateway.
    const bool handed_over = confirmed && order % 5 == 2;
    const bool modified = random_.Percent(30);
    const Staff& buyer = *random_.Pick(buyers_);
    const Staff& requester = *random_.Pick(requesters_);
    const Plant& plant = random_.Pick(Plants());
    const std::string project =
        random_.Percent(15) ? Numbered("PJ-", random_.Below(40) + 1, 3) : "";
    const std::string manual =
        site_.bonded && random_.Percent(40) ? Numbered("E5223", random_.Below(10000000), 7) : "";

    lines_.clear();
    int64_t total_quantity = 0, total_packs = 0, total_amount = 0, total_tax = 0;
    for (int i = 0; i < size_.lines_per_order; ++i) {
      Line line = NewLine(supplier, currency, date, confirmed);
      line.tax = TaxOf(line.amount, tax_type, tax_rate);
      total_quantity += line.quantity;
      total_packs += line.packs;
      total_amount += line.amount;
      total_tax += line.tax;
      lines_.push_back(std::move(line));
    }
    const int64_t total_with_tax = tax_type == '1' ? total_amount : total_amount + total_tax;

    header_.Text(site_.company).Text(buyer.code);                          // COMPANY, CREATOR
    header_.Text(DateTimeText(date, 8 * 3600 + random_.Below(9 * 3600)));  // CREATE_DATE
    header_.Text(modified ? buyer.code : "");                              // MODIFIER
    if (modified) {                                                        // MODI_DATE
      const Day modified_on = date + std::chrono::days{1 + random_.Below(3)};
      header_.Text(DateTimeText(modified_on, 8 * 3600 + random_.Below(9 * 3600)));
    } else {
      header_.Null();
    }
    header_.Integer(modified ? 2 + random_.Below(3) : 1);                               // FLAG
    header_.Text(type).Text(number).Text(day).Text(supplier.code).Text(currency.code);  // TC001-005
    header_.Fixed(currency.rate_micros, 6);                                             // TC006
    header_.Text(domestic ? "DDP" : random_.Percent(50) ? "FOB" : "CIF");               // TC007
    header_.Text(term.name);                                                            // TC008
    header_.Text(Remark(40, kOrderRemarks)).Text(plant.code).Text(buyer.code);          // TC009-011
    header_.Text(domestic ? "1" : "2").Integer(confirmed ? 1 + random_.Below(3) : 0);   // TC012-013
    header_.Text(confirmed ? "Y" : "N");                                                // TC014
    header_.Text(domestic ? (random_.Percent(80) ? "陆运" : "快递")
                          : (random_.Percent(60) ? "海运" : "空运"));                   // TC015
    header_.Text(plant.address).Text(supplier.contact).Text(std::string(1, tax_type));  // TC016-018
    header_.Fixed(total_amount, 2).Fixed(total_tax, 2).Text(supplier.phone);            // TC019-021
    header_.Text(random_.Percent(40) ? Numbered("SO", random_.Below(100000000), 8) : "");  // TC022
    header_.Integer(total_quantity).Text(day).Text(confirmed ? "P0001" : "");           // TC023-025
    header_.Fixed(tax_rate, 4).Text(term.code).Integer(total_packs);                    // TC026-028
    header_.Fixed(std::strcmp(term.code, "04") == 0 ? total_with_tax / 2 : 0, 2);       // TC029
    header_.Text(confirmed ? "3" : random_.Percent(50) ? "1" : "0");                    // TC030
    header_.Integer(modified && random_.Percent(50) ? 1 : 0);                           // TC031
    header_.Text(random_.Percent(25) ? Numbered("HT-", random_.Below(10000), 4) : "");  // TC032
    header_.Text(project);                                                              // TC033
    header_.Text(confirmed ? Yyyymmdd(date + std::chrono::days{random_.Below(2)}) : "");  // TC034
    header_.Text(handed_over ? "Y" : "N").Text(manual);  // TC035-036
    header_.Row();

    for (size_t i = 0; i < lines_.size(); ++i) {
      WriteLine(lines_[i], type, number, i + 1, tax_type, tax_rate, project, manual, requester,
                supplier, date);
    }
  }

  Line NewLine(const Supplier& supplier, const Currency& currency, Day date, bool confirmed) {
    families_.clear();
    for (const ItemFamily& family : ItemFamilies()) {
      if (std::strchr(supplier.categories, family.code_prefix[0]) != nullptr) {
        families_.push_back(&family);
      }
    }
    Line line;
    line.family = random_.Pick(families_);
    line.variant = static_cast<size_t>(random_.Below(static_cast<int64_t>(line.family->variants.size())));
    line.item = Numbered(line.family->code_prefix, static_cast<int64_t>(line.variant) + 1, 3);
    line.packs = 1 + random_.Below(10);
    line.quantity = line.family->pack_size * line.packs;
    const int64_t local_price = line.family->price * (95 + random_.Below(11)) / 100;
    // Prices and amounts keep the decimals the currency allows (yen: none).
    line.price = RoundTo((local_price * 1000000 + currency.rate_micros / 2) / currency.rate_micros,
                         4 - currency.price_digits);
    line.amount = RoundTo((line.quantity * line.price + 50) / 100, 2 - currency.amount_digits);
    line.due = date + std::chrono::days{7 + random_.Below(38)};
    // Every eleventh line is still unconfirmed: it stays in the ERP.
    line.confirmed = ++line_counter_ % 11 != 0 && confirmed;
    const int64_t progress = line.confirmed ? random_.Below(10) : 9;
    line.delivered = progress < 4 ? line.quantity : progress < 6 ? line.quantity / 2 : 0;
    return line;
  }

  void WriteLine(const Line& l, const char* type, const std::string& number, size_t position,
                 char tax_type, int64_t tax_rate, const std::string& project,
                 const std::string& manual, const Staff& requester, const Supplier& supplier,
                 Day date) {
    const ItemFamily& f = *l.family;
    const bool closed = l.delivered == l.quantity;
    const bool invoiced = closed && random_.Percent(70);
    const Day promised = l.due - std::chrono::days{random_.Percent(15) ? random_.Below(7) : 0};
    const bool drawn = f.code_prefix[0] == '1' || f.code_prefix[0] == '2';
    const std::string sequence = Numbered("", static_cast<int64_t>(position), 4);
    const std::string requisition =
        random_.Percent(70) ? "3101-" + Numbered(Yyyymmdd(date).c_str(), random_.Below(999) + 1, 3)
                            : "";
    const std::string lot =
        l.delivered > 0 ? Numbered(("L" + Yyyymmdd(l.due)).c_str(), random_.Below(100), 2) : "";
    line_.Text(type).Text(number).Text(sequence);                                     // TD001-003
    line_.Text(l.item).Text(f.name).Text(f.variants[l.variant]).Text(f.warehouse);          // TD004-007
    line_.Integer(l.quantity).Text(f.unit).Fixed(l.price, 4).Fixed(l.amount, 2);      // TD008-011
    line_.Text(Yyyymmdd(l.due));                                                      // TD012
    line_.Text(requisition);                                                          // TD013
    line_.Text(Remark(30, kLineRemarks)).Integer(l.delivered);                        // TD014-015
    line_.Text(closed ? "Y" : l.delivered > 0 && random_.Percent(20) ? "y" : "N");    // TD016
    line_.Text(std::string(supplier.code) + "-" + l.item);                            // TD017
    line_.Text(l.confirmed ? "Y" : "N");                                              // TD018
    line_.Text(random_.Percent(10) ? "Y" : "N");                                      // TD019
    line_.Text(std::to_string(random_.Below(3)));                                     // TD020
    line_.Integer(l.delivered > 0 && random_.Percent(5) ? l.delivered / 10 : 0);      // TD021
    line_.Text(Yyyymmdd(promised)).Text(project).Fixed(tax_rate, 4).Fixed(l.tax, 2);  // TD022-025
    line_.Fixed(tax_type == '1' ? l.amount : l.amount + l.tax, 2);                    // TD026
    line_.Integer(l.packs).Text(f.pack_unit).Integer(f.pack_size);                    // TD027-029
    line_.Text(manual.empty() ? "N" : "Y");                                           // TD030
    line_.Text(lot);                                                                  // TD031
    line_.Text(l.delivered > 0 ? Yyyymmdd(l.due) : "");                               // TD032
    line_.Integer(invoiced ? l.delivered : 0).Fixed(invoiced ? l.amount : 0, 2);      // TD033-034
    line_.Text(f.brand).Text(f.origin).Integer(f.pack_size).Text("N");                // TD035-038
    line_.Text(requester.department).Text(requester.code);                            // TD039-040
    line_.Integer((l.due - date).count()).Integer(random_.Percent(10) ? 1 : 0);       // TD041-042
    line_.Text(drawn ? "DWG-" + l.item : "");                                         // TD043
    line_.Text(drawn ? (random_.Percent(70) ? "A" : "B") : "");                       // TD044
    line_.Fixed(f.weight, 4).Text("").Integer(0);                                     // TD045-047
    line_.Row();
  }

  // Some documents carry a remark.
  const char* Remark(int percent, const std::vector<const char*>& remarks) {
    return random_.Percent(percent) ? random_.Pick(remarks) : "";
  }

  Insert header_;
  Insert line_;
  const Site& site_;
  const Size& size_;
  Random random_;
  std::vector<const Supplier*> approved_, suspended_;
  std::vector<const Staff*> buyers_, requesters_;
  std::vector<const ItemFamily*> families_;
  std::vector<Line> lines_;
  int64_t line_counter_ = 0;
};

}  // namespace

std::vector<Site> DemoSites(const std::string& root) {
  const std::string main_file = root + "/erp.db";
  std::vector<Site> sites{{main_file, "", "HQ", true, false, 0}};
  uint32_t stream = 0;
  for (const Factory& factory : Factories()) {
    sites.push_back({CompanyDatabaseFile(main_file, factory.database), factory.database,
                     factory.code, false, factory.bonded, ++stream});
  }
  return sites;
}

void WriteErpDatabase(const Site& site, const Size& size, const std::string& odbc) {
  std::unique_ptr<Target> target;
  if (odbc.empty()) {
    target = std::make_unique<SqliteFile>(site.path);
  } else {
    target = std::make_unique<ServerSchema>(odbc, site.schema);
  }
  target->Begin();
  CreateTables(*target, site);
  WriteMasterData(*target, site);
  OrderWriter(*target, site, size).WriteAll();
  target->Commit();
}

}  // namespace gateway::demo
