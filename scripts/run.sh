#!/usr/bin/env bash
# The main job: sets up, builds, and runs the calculator on the sample case.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target korvalen-calc
echo "== 業者計算 (lender's calculation) =="
./build/bin/korvalen-calc --table=lender --rate=29.2 --overpayment-rate=5 examples/sample.csv
echo
echo "== 引直計算 (statutory recalculation) =="
./build/bin/korvalen-calc --table=recalc --rate=29.2 --overpayment-rate=5 examples/sample.csv
# Without a display, the sample case's calculation statement as a PDF.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo
  ./scripts/demo-statement.sh
fi
