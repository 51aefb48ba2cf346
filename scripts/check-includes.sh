#!/usr/bin/env bash
# Lists every include in src/ that climbs: the folders are floors, and a file may
# include its own floor or a lower one (the public headers in include/gateway/
# stand beside them all). Exits 1 when any include climbs.
#
#   business  -> pools -> data -> config -> text
set -euo pipefail
cd "$(dirname "$0")/.."

floor() {
  case $1 in
    text) echo 0 ;;
    config) echo 1 ;;
    data) echo 2 ;;
    pools) echo 3 ;;
    business) echo 4 ;;
    *) echo "" ;;
  esac
}

status=0
while IFS= read -r line; do
  file=${line%%:*}
  rest=${line#*:}
  rest=${rest#*:}
  target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$rest")
  from=$(cut -d/ -f2 <<<"$file")
  to=${target%%/*}
  [[ $to == gateway ]] && continue
  from_floor=$(floor "$from")
  to_floor=$(floor "$to")
  if [[ -z $from_floor ]]; then
    echo "$file: not on a known floor (text, config, data, pools, business)"
    status=1
  elif [[ -z $to_floor ]]; then
    echo "$file: includes \"$target\", which is on no known floor"
    status=1
  elif ((to_floor > from_floor)); then
    echo "$file: includes \"$target\": $from may include $from and the floors below it only"
    status=1
  fi
done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src --include='*.h' --include='*.cpp')

if ((status == 0)); then echo "includes: every include in src/ points to its own floor or a lower one"; fi
exit $status
