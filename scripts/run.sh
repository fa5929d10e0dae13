#!/usr/bin/env bash
# The main job: sets up, builds the program カドレア (Korvalen), installs its
# program folder for this user and starts it. Without a display it says so
# and runs the headless demonstration instead: the sample case imported
# into a demo database, its tables printed and its statement written as PDF.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target Korvalen korvalen-db korvalen-calc

# The program folder is build/vex/Korvalen; the user's copy lives under a
# vex/Korvalen folder of the user's data folder, where the program keeps its
# DBPath.ini and its database KorvalenDB/ beside itself. An update replaces
# the program files only.
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
install_dir=$data_home/vex/Korvalen
mkdir -p "$install_dir/help"
cp -f build/vex/Korvalen/Korvalen build/vex/Korvalen/libunlha32.so build/vex/Korvalen/libcab32.so \
  build/vex/Korvalen/korvalen.png "$install_dir/"
cp -f build/vex/Korvalen/help/* "$install_dir/help/"

# The desktop's menu entry and icon.
mkdir -p "$data_home/applications" "$data_home/icons/hicolor/256x256/apps"
cp -f build/vex/Korvalen/korvalen.png "$data_home/icons/hicolor/256x256/apps/korvalen.png"
cat >"$data_home/applications/korvalen.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=カドレア
Name[ja]=カドレア
GenericName=Interest recalculation
GenericName[ja]=引直計算
Comment=Recalculates consumer-loan histories under the Interest Rate Restriction Act
Comment[ja]=利息制限法に基づく引直計算
Exec="$install_dir/Korvalen"
Path=$install_dir
Icon=korvalen
Terminal=false
Categories=Office;Finance;
StartupWMClass=Korvalen
ENTRY
command -v update-desktop-database >/dev/null && update-desktop-database "$data_home/applications" 2>/dev/null || true

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "カドレアを起動します: $install_dir/Korvalen"
  exec "$install_dir/Korvalen"
fi

echo "画面（DISPLAY / WAYLAND_DISPLAY）がないため、カドレアの代わりにヘッドレスのデモを実行します。"
demo=build/demo/KorvalenDB
rm -rf "$demo"
./build/bin/korvalen-db init "$demo"
seq=$(./build/bin/korvalen-db import "$demo" examples/sample.csv \
  --creditor=アコム --debtor=山田太郎 --rate=29.2 --overpayment-rate=5)
echo "== 事件の一覧 (cases) =="
./build/bin/korvalen-db list "$demo"
echo
echo "== 事件 $seq (case) =="
./build/bin/korvalen-db show "$demo" "$seq"
echo
echo "== 業者計算 (lender's calculation) =="
./build/bin/korvalen-db calc "$demo" "$seq" --table=lender
echo
echo "== 引直計算 (statutory recalculation) =="
./build/bin/korvalen-db calc "$demo" "$seq" --table=recalc
echo
# The sample case's calculation statement as a PDF file.
./scripts/demo-statement.sh
