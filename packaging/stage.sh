# Sourced by scripts/package and the package test: the binaries as the packages ship them.
# rova_strip_binaries <folder> <file...>: copies each file into the folder without its debug
# information. strip would stamp the current time into the PE header; it keeps the link time
# instead, so the same build always gives the same shipped bytes.
rova_strip_binaries() {
  local dest=$1 f header stamp
  shift
  for f in "$@"; do
    header=$(od -An -t u4 -j 60 -N 4 "$f" | tr -d ' ')
    stamp=$(od -An -t u4 -j $((header + 8)) -N 4 "$f" | tr -d ' ')
    SOURCE_DATE_EPOCH=$stamp x86_64-w64-mingw32-strip -o "$dest/$(basename "$f")" "$f"
  done
}
