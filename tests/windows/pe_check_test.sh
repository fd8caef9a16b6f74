#!/usr/bin/env bash
# The executable as Windows sees it: a GUI-subsystem 64-bit program that loads
# only DLLs every Windows has (no C++ runtime, SDL or other library beside
# it), and carries the manifest that makes it DPI-aware.
#
#   pe_check_test.sh PIXELFOLK.EXE
set -uo pipefail
exe=${1:?usage: pe_check_test.sh PIXELFOLK.EXE}
objdump=x86_64-w64-mingw32-objdump
headers=$($objdump -p "$exe") || exit 1
# shellcheck source=../support/checks.sh
source "$(dirname "$0")/../support/checks.sh"

grep -q '^Subsystem[[:space:]]*00000002[[:space:]]*(Windows GUI)' <<<"$headers"
check $? "GUI subsystem"
grep -q '^Magic[[:space:]]*020b[[:space:]]*(PE32+)' <<<"$headers"
check $? "64-bit (PE32+)"

# Part of Windows itself (the C runtime msvcrt.dll included), in any case.
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll imm32.dll "
system_dlls+="version.dll winmm.dll setupapi.dll cfgmgr32.dll msvcrt.dll dinput8.dll hid.dll shlwapi.dll "
imports=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u)
echo "     imports: $(tr '\n' ' ' <<<"$imports")"
[ -n "$imports" ]
check $? "imports are listed"
foreign=0
for dll in $imports; do
  case "$system_dlls" in
    *" $dll "*) ;;
    *)
      echo "     not a Windows system DLL: $dll" >&2
      foreign=1
      ;;
  esac
done
check $foreign "only Windows system DLLs are imported"
grep -q -x 'kernel32.dll' <<<"$imports" && grep -q -x 'user32.dll' <<<"$imports"
check $? "kernel32 and user32 are among them"

# The manifest is a resource: its text is in the .rsrc section.
resources=$(mktemp)
trap 'rm -f "$resources"' EXIT
x86_64-w64-mingw32-objcopy -O binary --only-section=.rsrc "$exe" "$resources" &&
  grep -a -q '<dpiAwareness[^>]*>PerMonitorV2' "$resources"
check $? "DPI-aware manifest in the resources"

finish
