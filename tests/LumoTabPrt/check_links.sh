#!/bin/sh
# Fails when the table-printing library needs any library beyond Qt and the
# C/C++ runtime (readelf -d lists what the dynamic loader must find).
lib="$1"
[ -f "$lib" ] || { echo "no library: $lib"; exit 1; }
needed=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || { echo "readelf found no dependencies in $lib"; exit 1; }
bad=0
for n in $needed; do
  case "$n" in
    libQt6Core.so.*|libQt6Gui.so.*|libQt6Widgets.so.*|libQt6PrintSupport.so.*) ;;
    libstdc++.so.*|libm.so.*|libgcc_s.so.*|libc.so.*|ld-linux*.so.*) ;;
    *) echo "unexpected dependency: $n"; bad=1 ;;
  esac
done
echo "$lib needs: $needed"
exit $bad
