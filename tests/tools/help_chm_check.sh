#!/usr/bin/env bash
# The help file as a reader of another author sees it (libchm's enum_chmLib and
# extract_chmLib): it holds every page of the user guide, the contents and the index; every
# link and picture of a page, and every entry of the contents and the index, leads to a file
# inside the help (and, with a #part, to an id on that page) or is an external http(s)
# address; every page is in the contents; the help opens on the getting-started page; and the
# pages are plain ASCII, which every help viewer shows alike whatever its code page.
#
#   help_chm_check.sh ZV-LK5MQ.chm GUIDE_FOLDER
set -euo pipefail

CHM=$1
GUIDE=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAILURES=0

fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}

[[ -s $CHM ]] || { echo "FAIL: no help file $CHM"; exit 1; }

# The files the reader lists, without the leading slash.
enum_chmLib "$CHM" >"$WORK/listing" || { echo "FAIL: enum_chmLib cannot read $CHM"; exit 1; }
awk '/ normal file\t/ { sub(/^\//, "", $NF); print $NF }' "$WORK/listing" | sort >"$WORK/files"
extract_chmLib "$CHM" "$WORK/chm" >/dev/null || { echo "FAIL: extract_chmLib cannot unpack $CHM"; exit 1; }

in_help() { grep -qxF "$1" "$WORK/files"; }

# What the help must hold: the guide's pages and its contents and index.
for page in "$GUIDE"/*.html toc.hhc index.hhk; do
  name=${page##*/}
  in_help "$name" || fail "$name is not in the help"
done

# The links of one file: href and src attributes of a page, Local entries of contents and index.
links_of() {
  case $1 in
    *.hhc | *.hhk) grep -oE '<param name="Local" value="[^"]*"' "$1" | sed -E 's/.*value="([^"]*)"/\1/' ;;
    *) grep -oE '(href|src)="[^"]*"' "$1" | sed -E 's/^[a-z]+="([^"]*)"/\1/' ;;
  esac
}

links=0
while read -r file; do
  case $file in *.html | *.hhc | *.hhk) ;; *) continue ;; esac
  [[ -f "$WORK/chm/$file" ]] || { fail "$file is listed but does not unpack"; continue; }
  if LC_ALL=C grep -q '[^[:print:][:space:]]' "$WORK/chm/$file"; then
    fail "$file holds characters outside ASCII"
  fi
  folder=$(dirname "$file")
  while read -r link; do
    [[ -n $link ]] || continue
    links=$((links + 1))
    case $link in
      http://* | https://*) continue ;;
      *:*) fail "$file links to $link, which the help cannot open"; continue ;;
    esac
    target=${link%%#*}
    part=""
    [[ $link == *#* ]] && part=${link#*#}
    # Relative to the linking file; a link to #part alone stays on its page.
    if [[ -z $target ]]; then
      target=$file
    elif [[ $folder != . ]]; then
      target="$folder/$target"
    fi
    target=$(realpath -m --relative-to="$WORK/chm" "$WORK/chm/$target")
    if ! in_help "$target"; then
      fail "$file links to $link: $target is not in the help"
    elif [[ -n $part ]] && ! grep -qE "(id|name)=\"$part\"" "$WORK/chm/$target"; then
      fail "$file links to $link: $target has no id \"$part\""
    fi
  done < <(links_of "$WORK/chm/$file")
done <"$WORK/files"

# Every page can be found from the contents.
while read -r page; do
  [[ $page == *.html ]] || continue
  links_of "$WORK/chm/toc.hhc" | grep -qxF "$page" || fail "$page is not in the contents"
done <"$WORK/files"

# Every picture of the guide made it into the help.
for picture in "$GUIDE"/images/*.png; do
  [[ -e $picture ]] || continue
  in_help "images/${picture##*/}" || fail "images/${picture##*/} is not in the help"
done

# The page the help opens on: the default topic of the system file and of the window.
grep -aqF "getting-started.html" "$WORK/chm/#SYSTEM" || fail "the help does not open on getting-started.html"

echo "$(wc -l <"$WORK/files") files, $links links checked, $FAILURES failures"
[[ $FAILURES -eq 0 ]]
