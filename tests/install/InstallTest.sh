#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build with prefix /usr into a temporary DESTDIR and checks what a user gets:
# exactly the expected files (so no test, benchmark or library), programs that run, the desktop
# entry and the AppStream file valid and naming each other and the icon, PNG icons of their
# nominal sizes, and manual pages that describe what the programs' --help lists.
# The AppStream releases, CHANGELOG.md and debian/changelog name the same versions, newest first,
# the newest being the project's.
# Usage: InstallTest.sh BUILD-DIR CMAKE VERSION SOURCE-DIR
set -euo pipefail
build=$1 cmake=$2 version=$3 src=$4
id=org.velkora.Velkora
sizes=(16 24 32 48 64 128 256)

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$dest "$cmake" --install "$build" --prefix /usr >/dev/null
usr=$dest/usr

expected=(bin/velkora bin/velkora-tool
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/man/man1/velkora.1.gz share/man/man1/velkora-tool.1.gz)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/$id.png"); done
if ! diff <(printf '%s\n' "${expected[@]}" | sort) \
    <(cd "$dest" && find . ! -type d | sed 's|^\./usr/||' | sort); then
    fail "the installed files (>) are not the expected ones (<)"
fi

# The programs, run without a display.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
for p in velkora velkora-tool; do
    got=$("${nodisplay[@]}" "$usr/bin/$p" --version 2>&1) || fail "$p --version failed: $got"
    [ "$got" = "$p $version" ] || fail "$p --version printed \"$got\", not \"$p $version\""
done

# PNG icons: the signature, then the width and height of the IHDR chunk.
for s in "${sizes[@]}"; do
    f=$usr/share/icons/hicolor/${s}x${s}/apps/$id.png
    [ -f "$f" ] || continue
    header=$(od -An -tu1 -N24 "$f" | tr -s ' \n' ' ')
    want=" 137 80 78 71 13 10 26 10 0 0 0 13 73 72 68 82 0 0 $((s >> 8)) $((s & 255)) 0 0 $((s >> 8)) $((s & 255)) "
    [ "$header" = "$want" ] || fail "$f is not a ${s} x ${s} PNG"
done
grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is no SVG"

# The desktop entry starts an installed program and shows the installed icon; the AppStream
# file launches that entry.
desktop=$usr/share/applications/$id.desktop
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$usr/bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no installed program"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not show the icon $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$usr/share/metainfo/$id.metainfo.xml" || fail "the AppStream file does not launch $id.desktop"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
else
    echo "SKIPPED: desktop-file-validate is not installed (Debian package desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" ||
        fail "appstreamcli refuses the AppStream file"
else
    echo "SKIPPED: appstreamcli is not installed (Debian package appstream)"
fi

# Manual pages: troff pages of the right name whose text holds every option and every command
# line that the program's --help shows (troff escapes and fonts taken out).
page_text() { gzip -dc "$1" | sed -e 's/\\f[BIRP]//g' -e 's/\\[/,]//g' -e 's/\\-/-/g'; }
for p in velkora velkora-tool; do
    page=$usr/share/man/man1/$p.1.gz
    [ -f "$page" ] || continue
    text=$(page_text "$page") || { fail "$page is not gzip data"; continue; }
    upper=$(echo "$p" | tr a-z A-Z)
    grep -q "^\.TH $upper \"1\"" <<<"$text" || fail "$page is no section 1 page of $p"
    help=$("${nodisplay[@]}" "$usr/bin/$p" --help)
    while IFS= read -r line; do
        item=$(sed -e 's/^ *//' -e 's/  .*//' <<<"$line")
        grep -qF -- "$item" <<<"$text" || fail "$page does not mention \"$item\""
    done < <(grep -E "^  +(-|$p )" <<<"$help")
done

# One release per version: the changelog's headings, the AppStream releases, the Debian changelog.
changelog=$(sed -n 's/^## \([^ ]*\) .*/\1/p' "$src/CHANGELOG.md")
releases=$(grep -o '<release version="[^"]*"' "$usr/share/metainfo/$id.metainfo.xml" | cut -d'"' -f2)
debian=$(sed -n 's/^velkora (\([^)-]*\).*/\1/p' "$src/debian/changelog" | uniq)
[ "$(head -n 1 <<<"$changelog")" = "$version" ] ||
    fail "CHANGELOG.md does not begin with version $version"
[ "$releases" = "$changelog" ] || fail "the AppStream releases ($releases) are not CHANGELOG.md's ($changelog)"
[ "$debian" = "$changelog" ] || fail "debian/changelog's versions ($debian) are not CHANGELOG.md's ($changelog)"

[ "$failures" -eq 0 ] || exit 1
echo "The installed files are complete and valid."
