#!/usr/bin/env bash
# Sets up this machine and runs the main job. Until the business object can
# answer requests, this builds everything and shows how the host is used.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGATEWAY_BUILD_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)" --target PurchaseOrder gatewayhost
echo "built: build/PurchaseOrder.so and build/tools/gatewayhost/gatewayhost"
build/tools/gatewayhost/gatewayhost --help
