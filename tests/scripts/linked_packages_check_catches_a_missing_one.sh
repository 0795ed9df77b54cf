#!/usr/bin/env bash
# The linked-package check must fail on a setup list that leaves out a package
# the build links: zlib's development files, which libxlsxwriter links (-lz)
# without its package bringing them in.
# usage: linked_packages_check_catches_a_missing_one.sh <check> <build-dir> <setup-script>
set -euo pipefail
check=$1 build=$2 setup=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
grep -qw 'zlib1g-dev' "$setup" || { echo "$setup does not list zlib1g-dev"; exit 1; }
sed 's/[[:space:]]zlib1g-dev\b//' "$setup" > "$tmp/setup.sh"
if bash "$tmp/setup.sh" --list-packages | grep -qx 'zlib1g-dev'; then
  echo "could not take zlib1g-dev out of the list"; exit 1
fi

set +e
out=$(bash "$check" "$build" "$tmp/setup.sh")
rc=$?
set -e
echo "$out"
[ $rc -ne 0 ] || { echo "the check passed a list without zlib1g-dev"; exit 1; }
grep -q '^MISSING .*libz\.so.*zlib1g-dev' <<< "$out" \
  || { echo "the check did not name zlib1g-dev as the missing package"; exit 1; }
if grep '^MISSING' <<< "$out" | grep -qv 'zlib1g-dev'; then
  echo "the check named other packages as missing"; exit 1
fi
echo "ok: the check refuses the list without zlib1g-dev"
