// The fixed master data of the demo ERP: currencies, suppliers, staff,
// plants, payment terms, warehouses, the item families purchase-order lines
// are drawn from, and the two factories of the company table. Every database
// of the demo holds the same master data; only the orders differ.
#pragma once

#include <cstdint>
#include <vector>

namespace gateway::demo {

struct Currency {
  const char* code;
  const char* name;
  int price_digits;
  int amount_digits;
  int64_t rate_micros;  // local currency per unit, times 1,000,000
};

struct Supplier {
  const char* code;
  const char* short_name;
  const char* full_name;
  const char* contact;
  const char* phone;
  const char* address;
  const char* currency;
  const char* payment_term;
  bool approved;           // MA069: orders of unapproved suppliers are never handed over
  const char* categories;  // the item categories (first digit of the item code) it sells
};

struct Staff {
  const char* code;
  const char* name;
  const char* department;
};

struct Plant {
  const char* code;
  const char* name;
  const char* address;
};

struct PaymentTerm {
  const char* type;  // "1" purchase, "2" sales
  const char* code;
  const char* name;
  int days;
};

struct Warehouse {
  const char* code;
  const char* name;
  const char* plant;
};

// One kind of item in several sizes; item codes are the prefix followed by
// the 3-digit number of the size.
struct ItemFamily {
  const char* code_prefix;  // its first digit is the category
  const char* name;
  std::vector<const char*> variants;
  const char* unit;
  int64_t price;  // local currency, times 10,000
  const char* brand;
  const char* origin;
  const char* pack_unit;
  int pack_size;  // units per pack
  const char* warehouse;
  int64_t weight;  // kilograms per unit, times 10,000
};

// A factory of the company table with the database that holds its orders.
struct Factory {
  const char* code;
  const char* name;
  const char* database;
  bool bonded;  // a bonded plant: its orders carry the customs manual number (TC036)
};

const std::vector<Currency>& Currencies();
const std::vector<Supplier>& Suppliers();
const std::vector<Staff>& StaffMembers();
const std::vector<Plant>& Plants();
const std::vector<PaymentTerm>& PaymentTerms();
const std::vector<Warehouse>& Warehouses();
const std::vector<ItemFamily>& ItemFamilies();
const std::vector<Factory>& Factories();

const Currency& CurrencyOf(const Supplier& supplier);
const PaymentTerm& PurchaseTermOf(const Supplier& supplier);

}  // namespace gateway::demo
