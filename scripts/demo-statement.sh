#!/usr/bin/env bash
# The sample case's calculation statement (計算書) as a PDF file, made
# without a window: the sample history is imported into a demonstration
# database and printed with korvalen-db. Prints the PDF's path.
# Usage: scripts/demo-statement.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target korvalen-db >/dev/null
tool="$build/bin/korvalen-db"

demo="$build/demo-statement"
rm -rf "$demo/db"
mkdir -p "$demo"
"$tool" init "$demo/db"
seq=$("$tool" import "$demo/db" examples/sample.csv --creditor=アコム株式会社 --debtor=山田太郎 \
  --remarks=見本の事件 --rate=29.2 --overpayment-rate=5)
pdf="$(pwd)/$demo/計算書.pdf"
"$tool" print "$demo/db" "$seq" --pdf "$pdf"
echo "== 計算書 (calculation statement, PDF) =="
echo "$pdf"
