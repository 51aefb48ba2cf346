#!/usr/bin/env bash
# Installs, from Debian's packages, everything the build, the tests, the
# benchmarks and the demo need. Safe to run again: apt-get skips what is there.
# With --fuzz also clang and its libFuzzer, for the request fuzzer
# (-DGATEWAY_FUZZ=ON); the rest of the build never needs them.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libxml2-dev            # XML DOM and XPath
  libsqlite3-dev sqlite3 # embedded database driver; the shell is the benchmark baseline
  unixodbc-dev odbcinst  # ODBC driver manager for the production driver
  libsqliteodbc          # an ODBC driver the tests can run the ODBC path through
  tdsodbc                # FreeTDS, the ODBC driver SQL Server providers are mapped to
  postgresql odbc-postgresql  # a database server and its ODBC driver for the tests and benchmarks
  libgtest-dev libgmock-dev googletest
  libbenchmark-dev
)
if [[ "${1:-}" == "--fuzz" ]]; then
  packages+=(clang libclang-rt-dev)  # libclang-rt-dev holds libFuzzer and the sanitizer runtimes
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[[ $(id -u) -ne 0 ]] && SUDO="sudo"

if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The SQL Server providers are mapped to the ODBC driver named "FreeTDS".
# Debian's package registers it unless told not to; register it then.
if ! odbcinst -q -d -n FreeTDS >/dev/null 2>&1; then
  $SUDO odbcinst -i -d -f /usr/share/tdsodbc/odbcinst.ini >/dev/null
fi
