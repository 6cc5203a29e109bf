#!/usr/bin/env bash
# A launcher whose path is too long must start nothing. Every parent folder holds a decoy
# Start.bat that records it if it runs.
#   plain: over the path limit of 259 characters, yet well within the name buffer.
#   cut:   over the name buffer (777 bytes of UTF-8), so that GetModuleFileNameA cuts the
#          name inside the last folder; the parent that the cut leaves is short enough
#          that its Start.bat could be started.
# Wine's CreateProcess cannot start a program at such a path, so this test starts the
# launcher the way a user of Wine would: wine <path>.
# Usage: long_path_test.sh LAUNCHER_EXE
set -uo pipefail
export LC_ALL=C.UTF-8  # ${#name} counts characters
launcher=$1

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
windows_root=$(winepath -w "$root" 2>/dev/null)
failed=0

# check NAME PARENT_FOLDER_NAME LAST_FOLDER_NAME
check() {
  local name=$1 parent=$2 last=$3
  local case_root=$root/$name
  local hijacked=$case_root/hijacked.txt
  local decoy
  decoy=$(printf '@echo off\r\necho %%~dp0> "%s\\%s\\hijacked.txt"\r\n' "$windows_root" "$name")

  # Parents with decoys down to some 220 characters, then the last folder.
  local folder=$case_root/$parent windows_folder=$windows_root\\$name\\$parent
  while :; do
    mkdir -p "$folder"
    printf '%s' "$decoy" > "$folder/Start.bat"
    [ "${#windows_folder}" -ge 220 ] && break
    folder=$folder/$parent
    windows_folder=$windows_folder\\$parent
  done
  folder=$folder/$last
  mkdir "$folder"
  cp "$launcher" "$folder/launcher.exe"

  (cd "$root" && wine "$folder/launcher.exe")
  local status=$?
  if [ "$status" -ne 122 ]; then
    echo "$name: exit status $status, expected 122 (the path does not fit)"
    failed=1
  fi
  if [ -e "$hijacked" ]; then
    echo "$name: a decoy ran: $(cat "$hijacked")"
    failed=1
  fi
}

check plain deeper "$(printf 'a%.0s' {1..80})"
check cut 深い森の奥へ "$(printf '字%.0s' {1..80})"
exit "$failed"
