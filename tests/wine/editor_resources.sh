#!/usr/bin/env bash
# The resources compiled into OrvinaDeveloper.exe, read back with windres (no Wine needed):
# every command id of edit/command_ids.h has its help string ("tooltip\nstatus text"), every
# command has a menu item (40095/40096 are keys only), the menu bar has its eight popups, the
# tool popup repeats the ツール menu, the accelerators are table 105, all dialog templates
# exist with OK and キャンセル and each up-down control right after its edit field, and the
# toolbar strip holds 27 images of 16 x 16.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/wine_env.sh"
EXE=$ROOT/$WIN_BUILD/OrvinaDeveloper.exe
HEADER=$ROOT/editor/resource.h
COMMANDS=$ROOT/edit/command_ids.h

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$ORVINA_MINGW-windres" -i "$EXE" -o "$work/res.rc" || { echo "windres cannot read $EXE"; exit 1; }
RC=$work/res.rc

fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

# The lines of one resource of the dump: section NAME TYPE (up to its END at column 0).
section() {
  awk -v head="$1 $2" 'index($0, head) == 1 { on = 1 } on { print } on && /^END/ { exit }' "$RC"
}
# The dump's string tables (id, then the escaped text) and the menu bar's item ids.
declare -A strings menu_count
while IFS=$'\t' read -r id text; do
  strings[$id]=$text
done < <(awk '$1 ~ /^[0-9]+,$/ && $2 ~ /^L?"/ { id = $1; sub(/,$/, "", id); sub(/^[^,]*, /, ""); print id "\t" $0 }' "$RC")
section 103 MENU >"$work/menu.txt"
while read -r id; do
  menu_count[$id]=$((${menu_count[$id]:-0} + 1))
done < <(awk '$1 == "MENUITEM" && $NF ~ /^[0-9]+$/ { print $NF }' "$work/menu.txt")

# Commands: a help string with a line feed, and a menu item.
commands=$(awk '$1 == "#define" && $2 ~ /^ID_/ { print $3 }' "$COMMANDS")
[ "$(wc -w <<<"$commands")" -ge 100 ] || fail "command_ids.h lists only $(wc -w <<<"$commands") commands"
for id in $commands; do
  help=${strings[$id]:-}
  if [ -z "$help" ]; then
    fail "command $id has no string"
  elif [[ "$help" != *'\n'* ]]; then
    fail "command $id: its string has no line feed (tooltip, then status-bar text): $help"
  fi
  case $id in
    40095|40096) continue ;;
  esac
  n=${menu_count[$id]:-0}
  want=1
  [ "$id" = 40027 ] && want=2   # 停止: under フィルム and カット
  [ "$n" -eq "$want" ] || fail "command $id appears $n times in menu 103 (want $want)"
done
for id in 40138 40139 40140 40141 10002 10003 10004 10005 10006 10007 10009; do
  [ -n "${strings[$id]:-}" ] || fail "string $id is missing"
done

# The menu bar: eight popups (the clipboard popup sits inside セル); menu 122 = the seventh.
popups=$(grep -c '^  POPUP ' "$work/menu.txt")
[ "$popups" -eq 8 ] || fail "menu 103 has $popups popups, not 8"
awk '/^  POPUP / { n++ } n == 7 && $1 == "MENUITEM" { print $NF }' "$work/menu.txt" >"$work/tools_bar.txt"
section 122 MENU | awk '$1 == "MENUITEM" { print $NF }' >"$work/tools_popup.txt"
[ -s "$work/tools_bar.txt" ] && cmp -s "$work/tools_bar.txt" "$work/tools_popup.txt" ||
  fail "menu 122 does not repeat the items of the ツール popup"
[ "$(grep -c . "$work/tools_bar.txt")" -ge 16 ] || fail "the ツール popup lacks tools"
# The window menu is the eighth popup: only "close all".
last=$(awk '/^  POPUP / { n++ } n == 8 && $1 == "MENUITEM" { print $NF }' "$work/menu.txt")
[ "$last" = 40122 ] || fail "the eighth popup holds $last, not 40122 alone"

# Accelerators (table 105): key code, command, modifiers.
section 105 ACCELERATORS | awk '/VIRTKEY/ { gsub(/,/, ""); $1 = $1; print }' | sort >"$work/keys.txt"
sort >"$work/keys_want.txt" <<'EOF'
112 40136 VIRTKEY
119 40136 VIRTKEY
113 40007 VIRTKEY
117 40007 VIRTKEY
114 40008 VIRTKEY
118 40008 VIRTKEY
115 40026 VIRTKEY
116 40026 VIRTKEY
27 40027 VIRTKEY
120 40027 VIRTKEY
114 40115 VIRTKEY SHIFT
121 40115 VIRTKEY
113 40116 VIRTKEY SHIFT
122 40116 VIRTKEY
78 40050 VIRTKEY CONTROL
79 40056 VIRTKEY CONTROL
83 40052 VIRTKEY CONTROL
13 40095 VIRTKEY
9 40095 VIRTKEY
13 40096 VIRTKEY SHIFT
9 40096 VIRTKEY SHIFT
EOF
diff "$work/keys_want.txt" "$work/keys.txt" >"$work/keys.diff" ||
  { fail "accelerator table 105 differs (< wanted, > found):"; cat "$work/keys.diff"; }

# Dialogs: every template, OK and キャンセル, each spin right after an edit field.
for id in $(awk '$1 == "#define" && $2 ~ /^IDD_/ { print $3 }' "$HEADER"); do
  section "$id" DIALOGEX >"$work/dialog.txt"
  if [ ! -s "$work/dialog.txt" ]; then
    fail "dialog $id is missing"
    continue
  fi
  grep -q 'PUSHBUTTON "OK", 1,' "$work/dialog.txt" || fail "dialog $id has no OK button (id 1)"
  grep -q 'PUSHBUTTON .*, 2,' "$work/dialog.txt" || fail "dialog $id has no cancel button (id 2)"
  awk -v id="$id" '/MSCTLS_UPDOWN32/ && prev !~ /^ *EDITTEXT/ { print "FAIL: dialog " id ": an up-down control does not follow an edit field"; bad = 1 }
                   { prev = $0 } END { exit bad }' "$work/dialog.txt" || fails=$((fails + 1))
done

# Icons 102 and 104; bitmap 118: a 432 x 16 strip (the info header's width and height).
for id in 102 104; do
  grep -q "^$id 14 /\\* RT_GROUP_ICON" "$RC" || fail "icon $id is missing"
done
size=$(section 118 2 | awk 'NR > 2 { gsub(/[L,]/, " "); print $2, $3; exit }')
[ "$size" = "0x1b0 0x10" ] || fail "bitmap 118 is not 432 x 16 (width, height: $size)"

if [ $fails -eq 0 ]; then
  echo "editor resources: all checks passed"
fi
[ $fails -eq 0 ]
