#!/usr/bin/env bash
# Reads the 32-bit Vexlar.dll statically and fails unless its export table is
# exactly what hosts look for (names with a leading underscore, ordinals 1-8,
# module name "Vexlar.dll"), it imports system DLLs only, and every entry point
# removes exactly its arguments from the stack (stdcall), and carries no debug
# information. Prints the DLL's size.
set -u
dll=$1
dump=$(i686-w64-mingw32-objdump -p "$dll") || { echo "cannot read $dll"; exit 1; }
fail=0
problem() { echo "check-dll: $*"; fail=1; }

echo "$dump" | grep -qE '^Name\s+[0-9a-f]+ Vexlar\.dll$' || problem "export module name is not Vexlar.dll"

expected="1 _nbAbout 0
2 _nbEditAction 8
3 _nbExecAction 8
4 _nbInitPlugIn 16
5 _nbMessage 8
6 _nbRegisterInterfaceAccess 4
7 _nbRegisterPlugIn 16
8 _nbRegisterScriptProcessor 4"

# The export name table: "[ordinal - base] name", ordinal base 1.
echo "$dump" | grep -qE '^Ordinal Base\s+1$' || problem "ordinal base is not 1"
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s*\[\s*[0-9]+\]\s+\S+\s*$' |
  sed -E 's/^\s*\[\s*([0-9]+)\]\s+(\S+).*/\1 \2/' | awk '{print $1 + 1, $2}' | sort -u)
want=$(echo "$expected" | awk '{print $1, $2}')
if [ "$(echo "$exports" | sort)" != "$(echo "$want" | sort)" ]; then
  problem "exports differ from the expected eight:"
  echo "$exports"
fi

# Imports: system DLLs only.
allowed='^(kernel32|user32|gdi32|gdiplus|msvcrt|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|ntdll|api-ms-win-.*|ucrtbase|ws2_32|shlwapi|uxtheme|version)\.dll$'
for lib in $(echo "$dump" | sed -n 's/^\s*DLL Name: //p'); do
  echo "$lib" | tr 'A-Z' 'a-z' | grep -qE "$allowed" || problem "imports a non-system DLL: $lib"
done

# Stack clean-up: disassemble each export up to its first return.
export_rva() { # ordinal -> address of the entry point
  echo "$dump" | sed -n '/Export Address Table/,/^$/p' |
    sed -nE "s/^\s*\[\s*$(( $1 - 1 ))\]\s+\+base\[\s*$1\]\s+([0-9a-f]+).*/\1/p"
}
base=$(echo "$dump" | sed -nE 's/^ImageBase\s+([0-9a-f]+)/\1/p')
while read -r ordinal name bytes; do
  rva=$(export_rva "$ordinal")
  [ -n "$rva" ] || { problem "no address for $name"; continue; }
  start=$(printf '0x%x' $(( 0x$base + 0x$rva )))
  stop=$(printf '0x%x' $(( 0x$base + 0x$rva + 4096 )))
  ret=$(i686-w64-mingw32-objdump -d --no-show-raw-insn --start-address="$start" \
        --stop-address="$stop" "$dll" | grep -m1 -E '\sret' | sed -E 's/.*\sret\s*//')
  if [ "$bytes" = 0 ]; then
    [ -z "$ret" ] || problem "$name returns with 'ret $ret', expected a plain ret"
  else
    [ "$ret" = "$(printf '$0x%x' "$bytes")" ] || problem "$name returns with 'ret $ret', expected ret \$$(printf '0x%x' "$bytes")"
  fi
done <<< "$expected"

# The shipped DLL is stripped: its debug information lives in Vexlar.dll.debug.
if i686-w64-mingw32-objdump -h "$dll" | grep -qE '\s\.debug_'; then
  problem "carries debug information (it should be in $(basename "$dll").debug)"
fi
size=$(stat -c %s "$dll")
echo "check-dll: $dll is $size bytes ($(awk -v s="$size" 'BEGIN { printf "%.2f", s / 1048576 }') MB)"

if [ "$fail" = 0 ]; then
  echo "check-dll: $dll exports, imports and stack clean-up are as hosts expect"
fi
exit $fail
