#!/usr/bin/env bash
# The release zip holds the program as built, the example Start.bat with the line ends
# the command interpreter expects, and the user guide; nothing else.
# Usage: package_test.sh BUILD_DIR PROGRAM_FILE_NAME
set -euo pipefail
build=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
zips=("$work"/*.zip)
[ "${#zips[@]}" -eq 1 ] || { echo "expected one zip, found: ${zips[*]}"; exit 1; }
folder=$(basename "${zips[0]}" .zip)

expected=$(printf '%s\n' "$folder/$program" "$folder/README.txt" "$folder/Start.bat" | sort)
actual=$(cmake -E tar tf "${zips[0]}" | sort)
if [ "$actual" != "$expected" ]; then
  printf 'the zip holds:\n%s\nexpected:\n%s\n' "$actual" "$expected"
  exit 1
fi

(cd "$work" && cmake -E tar xf "${zips[0]}")
cmp "$work/$folder/$program" "$build/$program"
for text in Start.bat README.txt; do
  lines=$(wc -l < "$work/$folder/$text")
  crlf=$(grep -c $'\r$' "$work/$folder/$text" || true)
  if [ "$lines" -eq 0 ] || [ "$crlf" -ne "$lines" ]; then
    echo "$text: $crlf of $lines lines end in CR LF"
    exit 1
  fi
done
echo "${zips[0]##*/}: $(printf '%s ' $actual)"
