#!/usr/bin/env bash
# run.sh builds in the source tree, yet the program must start in the folder
# the script was started from, so a relative database name names a file there.
# The script runs in a copy of the tree whose setup step does nothing and whose
# program reports the folder it started in and its arguments.
set -euo pipefail
RUN_SH=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/tree/scripts" "$tmp/tree/build/bin" "$tmp/caller/trips"
cp "$RUN_SH" "$tmp/tree/scripts/run.sh"
printf '#!/usr/bin/env bash\nexit 0\n' > "$tmp/tree/scripts/setup.sh"
printf '#!/usr/bin/env bash\necho "$PWD"\necho "$*"\n' > "$tmp/tree/build/bin/vettaro"
chmod +x "$tmp/tree/scripts/"*.sh "$tmp/tree/build/bin/vettaro"

out=$(cd "$tmp/caller" && DISPLAY=:99 VETTARO_BUILD_DIR= bash ../tree/scripts/run.sh trips/tour.mdb)
expected=$(printf '%s\n%s' "$(cd "$tmp/caller" && pwd)" "trips/tour.mdb")
if [ "$out" != "$expected" ]; then
  echo "expected:"; echo "$expected"; echo "got:"; echo "$out"
  exit 1
fi
echo "ok"
