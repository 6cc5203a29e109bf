#!/usr/bin/env bash
# A launcher whose full path is longer than its module-name buffer must start nothing.
# GetModuleFileNameA cuts such a name short, and what is left ends inside a parent
# folder; every parent holds a decoy Start.bat that records it if it runs.
# Wine's CreateProcess cannot start a program at such a path, so this test starts the
# launcher the way a user of Wine would: wine <path>.
set -uo pipefail
launcher=$1

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
windows_root=$(winepath -w "$root" 2>/dev/null)
hijacked=$root/hijacked.txt
decoy=$(printf '@echo off\r\necho %%~dp0> "%s\\hijacked.txt"\r\n' "$windows_root")

# Parents with decoys down to some 220 characters, then one long folder name: the cut at
# MAX_PATH falls inside that name, and leaves a parent whose Start.bat path would fit.
folder=$root/deep
windows_folder=$windows_root\\deep
while :; do
  mkdir -p "$folder"
  printf '%s' "$decoy" > "$folder/Start.bat"
  [ "${#windows_folder}" -ge 220 ] && break
  folder=$folder/deeper
  windows_folder=$windows_folder\\deeper
done
folder=$folder/$(printf 'a%.0s' {1..80})
mkdir "$folder"
cp "$launcher" "$folder/launcher.exe"

(cd "$root" && wine "$folder/launcher.exe")
status=$?

failed=0
if [ "$status" -ne 122 ]; then
  echo "exit status $status, expected 122 (the path does not fit)"
  failed=1
fi
if [ -e "$hijacked" ]; then
  echo "a decoy ran: $(cat "$hijacked")"
  failed=1
fi
exit "$failed"
