#!/usr/bin/env bash
# Sets up this machine and runs the main job as a short story: what the
# purchase-order object offers (Help), what a GetData request returns, what it
# marked as handed over (counted in the database), and that the same request
# sent again returns nothing twice. See usage() for the details.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  cat <<'EOF'
usage: scripts/demo.sh [ORDERS [LINES_PER_ORDER]]
       scripts/demo.sh --help

Installs what the build needs (scripts/install-deps.sh), builds the module, the
host and the demo generator in build/ (the build's progress goes to
build/demo-build.log), generates the gateway root demo-root/ with an SQLite ERP
database of ORDERS purchase orders of LINES_PER_ORDER lines each (default 200 x 5,
in every factory's database), and then:
  1. asks the purchase-order object for its Help;
  2. runs the request demo/requests/getdata.xml through GetData: the rows come
     back and every order returned is marked as handed over (TC035='Y');
  3. counts in the factory's database how many orders the request marked and
     how many remain not handed over;
  4. runs the same request again: no order is returned twice.
Responses are shown as tables (gatewayhost --view) and kept as XML in
demo-root/responses/. At the end it says where the logs are and how to run a
request by hand.
EOF
}

case "${1:-}" in
  -h | --help)
    usage
    exit 0
    ;;
esac
fail_usage() {
  echo "scripts/demo.sh: $1" >&2
  echo "usage: scripts/demo.sh [ORDERS [LINES_PER_ORDER]]" >&2
  echo "Try 'scripts/demo.sh --help' for more information." >&2
  exit 2
}
(($# <= 2)) || fail_usage "too many arguments"
orders=${1:-200}
lines=${2:-5}
[[ $orders =~ ^[1-9][0-9]*$ ]] || fail_usage "ORDERS must be a whole number, not '$orders'"
[[ $lines =~ ^[1-9][0-9]*$ ]] || fail_usage "LINES_PER_ORDER must be a whole number, not '$lines'"

root=$PWD/demo-root
out=$root/responses
log=build/demo-build.log
host=build/tools/gatewayhost/gatewayhost
library=demo-root/Bin/PurchaseOrder.so
# The factory the GetData request asks for, and its own database.
factory_db=$root/ERP_F01.db

scripts/install-deps.sh

echo "== building the module, the host and the demo generator (progress in $log) =="
mkdir -p build
if ! {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGATEWAY_BUILD_TESTS=OFF \
    -DGATEWAY_BUILD_BENCH=OFF &&
    cmake --build build -j "$(nproc)" --target PurchaseOrder gatewayhost demo_generator
} >"$log" 2>&1; then
  tail -n 25 "$log" >&2
  echo "scripts/demo.sh: the build failed; the whole log is $log" >&2
  exit 1
fi

echo
echo "== generating the gateway root demo-root/ ($orders orders x $lines lines) =="
build/demo/demo_generator --root "$root" --orders "$orders" --lines-per-order "$lines" \
  --seed 1 --module build/PurchaseOrder.so
# The registry stand-in sends the alert logs (every statement run) to demo-root/Log/.
export GATEWAY_REGISTRY=$root/registry.ini
mkdir -p "$out"

# Prints the command, then runs it.
run() {
  echo "\$ ${*#"$PWD"/}"
  "$@"
}
# Orders of the factory not handed over yet, and those handed over.
count_orders() { sqlite3 "$factory_db" "select count(*) from PURTC where TC035 = '$1'"; }

echo
echo "== 1. What the purchase-order object offers: its Help (the first properties) =="
run "$host" --library "$library" --operator Help --output "$out/help.xml" --view-rows 8 \
  demo/requests/help.xml

echo
echo "== 2. GetData: demo/requests/getdata.xml =="
echo "Factory F01's confirmed lines of regular purchase orders (3301) of 2023 for screws"
echo "and nuts that were not handed over yet (TC035 = 'N'):"
waiting_before=$(count_orders N)
run "$host" --library "$library" --operator GetData --output "$out/first.xml" --view-rows 10 \
  demo/requests/getdata.xml

echo
echo "== 3. What the request marked, counted in demo-root/ERP_F01.db (factory F01) =="
waiting_after=$(count_orders N)
all_orders=$((waiting_after + $(count_orders Y)))
printf '%-38s %s\n' \
  "not handed over before the request:" "$waiting_before of $all_orders orders (TC035 = 'N')" \
  "marked as handed over by the request:" "$((waiting_before - waiting_after)) orders (TC035 = 'Y' now)" \
  "still not handed over:" "$waiting_after orders"

echo
echo "== 4. The same request again: every order returned above is handed over now =="
run "$host" --library "$library" --operator GetData --output "$out/second.xml" --view-rows 10 \
  demo/requests/getdata.xml

echo
echo "responses (XML):  demo-root/responses/"
echo "trace log:        demo-root/Bin/Log/PurchaseOrder.Log"
echo "alert logs:       demo-root/Log/ (every statement run, in Alert_ProgramList_<day>.log)"
echo
echo "To run a request by hand (from $PWD), with the alert logs going to demo-root/Log/:"
echo "  export GATEWAY_REGISTRY=$GATEWAY_REGISTRY"
echo "  $host --library $library --operator GetData --output my-response.xml --view demo/requests/getdata.xml"
echo "  $host --help"
