#!/usr/bin/env bash
# Every library the build links must come from a Debian package the setup
# script installs, directly or as a hard dependency: a machine that happens to
# hold a development package already hides a missing one, which then fails to
# link on a fresh install.
#
# usage: check_linked_packages.sh <build-dir> <setup-script>
#
# Reads the link lines of the build (build.ninja, or link.txt of the Makefile
# generators), takes each library named as an unversioned .so path, a static
# .a of the system or -lNAME (looked up in the linker's folders as ld does),
# finds its package with dpkg -S and checks that package against the setup
# list and everything that list depends on (apt-cache depends --recurse,
# without recommends or suggests; asked once per list and kept in the build
# folder).
set -euo pipefail

build=${1:?build folder}
setup=${2:?setup script}
[ -d "$build" ] || { echo "no build folder: $build"; exit 1; }
build=$(cd "$build" && pwd -P)

# The link lines: the library and path lists of every linking step.
link_text() {
  if [ -f "$build/build.ninja" ]; then
    sed -n 's/^[[:space:]]*\(LINK_LIBRARIES\|LINK_PATH\|LINK_FLAGS\) = //p' "$build/build.ninja"
  fi
  if [ ! -f "$build/build.ninja" ]; then
    find "$build" -name link.txt -path '*/CMakeFiles/*' -exec cat {} + 2>/dev/null || true
  fi
}
tokens=$(link_text | tr -s ' \t' '\n\n' | tr -d '"' | sort -u)
[ -n "$tokens" ] || { echo "no link lines found in $build"; exit 1; }

# Folders -lNAME is looked up in: -L of the link lines, then the compiler's own.
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
search_dirs=()
while IFS= read -r t; do
  case "$t" in -L?*) search_dirs+=("${t#-L}") ;; esac
done <<< "$tokens"
if [ -n "$compiler" ] && command -v "$compiler" > /dev/null; then
  IFS=: read -r -a more <<< "$("$compiler" -print-search-dirs | sed -n 's/^libraries: =//p')"
  search_dirs+=("${more[@]}")
fi
search_dirs+=(/usr/local/lib /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu /usr/lib /lib)
mapfile -t search_dirs < <(for d in "${search_dirs[@]}"; do
                             [ -d "$d" ] && (cd "$d" && pwd -P)
                           done | awk '!seen[$0]++')

find_in_dirs() {   # name...: the first file found, folder by folder
  local d n
  for d in "${search_dirs[@]}"; do
    for n in "$@"; do
      [ -e "$d/$n" ] && { echo "$d/$n"; return 0; }
    done
  done
  return 1
}

libraries=()   # "link token|file"
unresolved=()
while IFS= read -r t; do
  file=""
  case "$t" in
    -l:*) file=$(find_in_dirs "${t#-l:}") || unresolved+=("$t") ;;
    -l?*) file=$(find_in_dirs "lib${t#-l}.so" "lib${t#-l}.a") || unresolved+=("$t") ;;
    /*.so|/*.a)
      case "$t" in "$build"/*) continue ;; esac   # built here
      file=$t ;;
    *) continue ;;                                  # options, build products, versioned .so
  esac
  [ -n "$file" ] && libraries+=("$t|$file")
done <<< "$tokens"

# The package that owns each file, asked of dpkg in one call. /lib and
# /usr/lib are one folder on Debian 12, while dpkg knows each file under one
# of the two names, so both are asked.
alternatives() {
  local f=$1 dir
  dir=$(cd "$(dirname "$f")" 2>/dev/null && pwd -P) || dir=$(dirname "$f")
  printf '%s\n' "$f" "$dir/$(basename "$f")" "${f#/usr}" "/usr$f"
}
declare -A owner_of=()
if [ ${#libraries[@]} -gt 0 ]; then
  mapfile -t asked < <(for e in "${libraries[@]}"; do alternatives "${e#*|}"; done | sort -u)
  # "zlib1g-dev:amd64: /usr/lib/.../libz.so"; a shared file lists several.
  while IFS= read -r line; do
    path=${line##*: }
    pkg=${line%%: /*}
    pkg=${pkg%%,*}
    owner_of[$path]=${pkg%%:*}
  done < <(dpkg -S "${asked[@]}" 2>/dev/null | grep -v '^diversion' || true)
fi
owner() {
  local alt
  while IFS= read -r alt; do
    [ -n "${owner_of[$alt]:-}" ] && { echo "${owner_of[$alt]}"; return 0; }
  done < <(alternatives "$1")
  return 1
}

mapfile -t listed < <(bash "$setup" --list-packages)
[ ${#listed[@]} -gt 0 ] || { echo "$setup lists no packages"; exit 1; }
# Every package the list brings in: the names apt-cache prints at the start
# of a line (virtual ones in <>), without architecture.
# The answer is kept in the build folder for as long as the list and apt's
# package index stay the same: asking apt takes seconds on a busy machine.
key=$( { printf '%s\n' "${listed[@]}"
         stat -c '%n %Y' /var/lib/apt/lists /var/cache/apt/pkgcache.bin 2>/dev/null || true
       } | sha256sum | cut -c1-16)
cache="$build/linked-packages/$key"
if [ -s "$cache" ]; then
  allowed=$(cat "$cache")
else
  allowed=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
              --no-breaks --no-replaces --no-enhances "${listed[@]}" \
            | sed -n 's/^<\{0,1\}\([^ <>:]*\).*/\1/p' | sort -u)
  mkdir -p "$build/linked-packages"
  printf '%s\n' "$allowed" > "$cache.$$" && mv "$cache.$$" "$cache"
fi
allowed=$(printf '%s\n' "$allowed" "${listed[@]}" | sort -u)

bad=0
for u in "${unresolved[@]}"; do
  echo "MISSING  $u: no such library in the linker's folders"
  bad=1
done
for entry in "${libraries[@]}"; do
  t=${entry%%|*}
  file=${entry#*|}
  if ! pkg=$(owner "$file"); then
    echo "MISSING  $t ($file): no Debian package owns it"
    bad=1
  elif grep -qxF "$pkg" <<< "$allowed"; then
    echo "ok       $t ($file): $pkg"
  else
    echo "MISSING  $t ($file): $pkg is neither in $setup's list nor a dependency of it"
    bad=1
  fi
done
[ ${#libraries[@]} -gt 0 ] || { echo "no system library found in the link lines"; bad=1; }
exit $bad
