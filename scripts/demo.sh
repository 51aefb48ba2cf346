#!/usr/bin/env bash
# Sets up this machine and runs the main job: builds the module and the host,
# generates a demo gateway root with an SQLite ERP database, asks the
# purchase-order business object for its "Help", runs a "GetData" request, and
# runs the same request again to show that handed-over orders are not
# returned twice.
#
#   scripts/demo.sh [ORDERS [LINES_PER_ORDER]]     (default 200 orders x 5 lines)
set -euo pipefail
cd "$(dirname "$0")/.."

orders=${1:-200}
lines=${2:-5}
root=$PWD/demo-root

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGATEWAY_BUILD_TESTS=OFF \
  -DGATEWAY_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)" --target PurchaseOrder gatewayhost demo_generator

echo "== generating the gateway root $root ($orders orders x $lines lines) =="
build/demo/demo_generator --root "$root" --orders "$orders" --lines-per-order "$lines" \
  --seed 1 --module build/PurchaseOrder.so
export GATEWAY_REGISTRY=$root/registry.ini
host=(build/tools/gatewayhost/gatewayhost --library "$root/Bin/PurchaseOrder.so")

echo
echo "== Help =="
"${host[@]}" --operator Help demo/requests/help.xml | head -c 3000
echo
echo "..."

count_rows() { grep -o '<Row ' "$1" | wc -l; }
out=$root/responses
mkdir -p "$out"

echo
echo "== GetData: demo/requests/getdata.xml =="
"${host[@]}" --operator GetData --output "$out/first.xml" demo/requests/getdata.xml
head -c 2500 "$out/first.xml"
echo
echo "..."
echo "rows returned: $(count_rows "$out/first.xml")  ($(grep -o '<Status>[^<]*</Status>' "$out/first.xml"))"

echo
echo "== the same request again: every order returned above is now handed over =="
"${host[@]}" --operator GetData --output "$out/second.xml" demo/requests/getdata.xml
echo "rows returned: $(count_rows "$out/second.xml")  ($(grep -o '<Status>[^<]*</Status>' "$out/second.xml"))"

echo
echo "responses:  $out/"
echo "trace log:  $root/Bin/Log/PurchaseOrder.Log"
echo "alert logs: $root/Log/ (every statement run, in Alert_ProgramList_<day>.log)"
