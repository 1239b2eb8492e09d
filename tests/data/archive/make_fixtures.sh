#!/usr/bin/env bash
# Makes the archive fixtures with real tools: zip for ZIP, jlha for LZH (every method and
# header level it offers), then confirms each LZH archive with lhasa, a second reader.
# The sources come from a fixed generator, so running this again gives the same members.
set -euo pipefail
cd "$(dirname "$0")"
rm -rf src ./*.zip ./*.lzh
mkdir -p src/sub

# Word soup from a linear congruential generator: compressible, never trivially so.
soup() {  # soup SEED BYTES
  awk -v seed="$1" -v n="$2" 'BEGIN {
    split("cel film cut layer frame ink paper line shade tone grey black white key loop time camera pan", w, " ")
    s = seed; out = ""
    while (length(out) < n) {
      s = (s * 1103515245 + 12345) % 2147483648
      out = out w[int(s / 65536) % 18 + 1] ((s % 7 == 0) ? "\n" : " ")
    }
    printf "%s", substr(out, 1, n)
  }'
}
# Bytes of every value (few repeats).
noise() {  # noise SEED BYTES (C locale: one byte per value)
  LC_ALL=C awk -v seed="$1" -v n="$2" 'BEGIN {
    s = seed
    for (i = 0; i < n; i++) { s = (s * 1103515245 + 12345) % 2147483648; printf "%c", int(s / 65536) % 256 }
  }'
}

soup 1 2000 >src/notes.txt
noise 2 700 >src/sub/deep.tl
# Repeats 14 KB back (beyond the 8 KB dictionary of -lh5-) and 34 KB back (beyond 32 KB).
soup 3 8000 >src/a
soup 4 6000 >src/b
soup 5 18000 >src/c
noise 6 3000 >src/n
cat src/a src/b src/n src/a src/c src/b >src/Clip.OV
rm src/a src/b src/c src/n
soup 7 1000 >src/other.ov
touch -d '2024-05-06 07:08:10 UTC' src/notes.txt src/sub/deep.tl src/Clip.OV src/other.ov src/sub

members=(notes.txt sub/deep.tl Clip.OV other.ov)
(cd src && zip -q -X -0 ../stored.zip "${members[@]}")
(cd src && zip -q -X -9 ../deflate.zip "${members[@]}")
(cd src && zip -q -X -9 ../noov.zip notes.txt sub/deep.tl)

lzh() {  # lzh NAME OPTIONS MEMBERS...
  local name=$1 options=$2
  shift 2
  (cd src && jlha "a$options" "../$name" "$@" >/dev/null)
  lhasa tq "$name"
  for m in "$@"; do cmp <(lhasa pq "$name" "$m") "src/$m"; done
}
lzh lh0.lzh z "${members[@]}"
lzh lh5-level0.lzh 0o5 "${members[@]}"
lzh lh5-level1.lzh 1o5 "${members[@]}"
lzh lh5.lzh 2o5 "${members[@]}"
lzh lh6-level1.lzh 1o6 "${members[@]}"
lzh lh6.lzh 2o6 "${members[@]}"
lzh lh7-level0.lzh 0o7 "${members[@]}"
lzh lh7.lzh 2o7 "${members[@]}"
lzh noov.lzh 2 notes.txt sub/deep.tl
for z in ./*.zip; do unzip -tqq "$z"; done
echo "fixtures made"
