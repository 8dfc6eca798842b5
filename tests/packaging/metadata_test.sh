#!/usr/bin/env bash
# What the package declares against what it does:
# - the metainfo's modaliases name exactly the boards the udev rule opens to the user at the
#   seat (a wider list offers the package for boards it cannot reach);
# - debian/libusbio1.symbols names exactly what the built library exports (a new export
#   without its line gives other packages a dependency too old for it).
#   tests/packaging/metadata_test.sh SOURCE_ROOT LIBUSBIO
set -euo pipefail

top=${1:?source root}
library=${2:?libusbio.so}
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

same() {  # what expected-file actual-file
  if diff -u "$2" "$3" >"$work/diff"; then
    echo "ok $1 ($(wc -l <"$2") entries)"
  else
    echo "FAIL: $1 differ (- declared, + actual):" >&2
    cat "$work/diff" >&2
    failures=$((failures + 1))
  fi
}

sed -n 's|.*<modalias>usb:v\([0-9A-F]\{4\}\)p\([0-9A-F]\{4\}\)d\*</modalias>.*|\1:\2|p;
        s|.*<modalias>\(.*\)</modalias>.*|unreadable \1|p' \
  "$top/packaging/desktop/org.tollvane.Tollvane.metainfo.xml" |
  LC_ALL=C sort -u >"$work/modalias"
grep -v '^#' "$top/packaging/udev/70-usbio.rules" |
  sed -n 's|.*ATTRS{idVendor}=="\([0-9a-f]*\)", ATTRS{idProduct}=="\([0-9a-f]*\)".*TAG+="uaccess".*|\1:\2|p' |
  tr 'a-f' 'A-F' | LC_ALL=C sort -u >"$work/udev"
[ -s "$work/udev" ] || { echo "FAIL: no board in the udev rule" >&2; exit 1; }
same "metainfo modaliases and udev boards" "$work/modalias" "$work/udev"

sed -n 's|^ \([A-Za-z0-9_]*\)@Base .*|\1|p' "$top/debian/libusbio1.symbols" |
  LC_ALL=C sort >"$work/declared"
nm -D --defined-only "$library" | awk '$2 ~ /^[TDBRVW]$/ {print $3}' | LC_ALL=C sort >"$work/exported"
same "symbols file and library exports" "$work/declared" "$work/exported"

[ "$failures" -eq 0 ]
