#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package as a packager would, with dpkg-buildpackage -us -uc -b in a clean
# copy of the source tree, and checks it: Debian's build flags with hardening reached every
# compile and link, no test or benchmark was built, the package holds the programs, its copyright
# file and its changelog, and lintian reports no error and no warning.
# Exit status 77 (CTest: skipped) where the Debian packaging tools are missing.
# Usage: DebianPackageTest.sh SOURCE-DIR
set -euo pipefail
src=$(cd "$1" && pwd)

for tool in dpkg-buildpackage dh lintian dpkg-checkbuilddeps; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is not installed (Debian packages dpkg-dev, debhelper, lintian)"
        exit 77
    fi
done
if ! missing=$(cd "$src" && dpkg-checkbuilddeps 2>&1); then
    echo "SKIPPED: the build dependencies are not installed: $missing"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The clean tree: the files of the checkout (what git would commit), or the tree without its
# build folders where it is no checkout.
tree=$work/velkora
mkdir "$tree"
if git -C "$src" rev-parse --show-toplevel >/dev/null 2>&1; then
    (cd "$src" && git ls-files -z --cached --others --exclude-standard |
        xargs -0 -I{} sh -c 'test -e "{}" && printf "%s\0" "{}"' | tar --null -T - -cf -) |
        tar -xf - -C "$tree"
else
    tar -C "$src" --exclude='./build*' --exclude='./obj-*' -cf - . | tar -xf - -C "$tree"
fi

log=$work/build.log
if ! (cd "$tree" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc -b) >"$log" 2>&1
then
    tail -n 60 "$log" >&2
    fail "dpkg-buildpackage failed"
    exit 1
fi

version=$(cd "$tree" && dpkg-parsechangelog -SVersion)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=$work/velkora_${version}_${arch}.deb
[ -f "$deb" ] || { fail "dpkg-buildpackage made no $(basename "$deb")"; exit 1; }

# Every compile and link of the build used Debian's flags with hardening, as dpkg-buildflags
# gives them for debian/rules (the file-prefix map names the build folder, so it is left out).
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1" | tr ' ' '\n' | grep -v -- '-ffile-prefix-map'; }
obj=$(echo "$tree"/obj-*)
compiles=$(grep -h '"command"' "$obj/compile_commands.json" || true)
[ -n "$compiles" ] || fail "no compile commands were recorded"
wanted=$(flags CXXFLAGS; flags CPPFLAGS)
for flag in -fstack-protector-strong -D_FORTIFY_SOURCE=2; do
    grep -qx -- "$flag" <<<"$wanted" || fail "dpkg-buildflags gives no $flag"
done
for flag in $wanted; do
    n=$(grep -cF -- " $flag " <<<"$compiles" || true)
    [ "$n" -eq "$(wc -l <<<"$compiles")" ] || fail "$flag is missing from some compiles"
done
for program in shell/velkora tools/velkora-tool; do
    link=$obj/$(dirname "$program")/CMakeFiles/$(basename "$program").dir/link.txt
    for flag in $(flags LDFLAGS); do
        grep -qF -- "$flag" "$link" || fail "$program was not linked with $flag"
    done
done
# No test, benchmark or fuzz target was built.
built=$(find "$obj" -type f -perm -u+x \( -name '*Test' -o -name '*_bench' -o -name '*Replay' \))
[ -z "$built" ] || fail "test programs were built: $built"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/velkora ./usr/bin/velkora-tool ./usr/share/doc/velkora/copyright \
    ./usr/share/doc/velkora/changelog.gz ./usr/share/man/man1/velkora.1.gz \
    ./usr/share/applications/org.velkora.Velkora.desktop \
    ./usr/share/metainfo/org.velkora.Velkora.metainfo.xml; do
    grep -qx -- "$f" <<<"$contents" || fail "the package lacks $f"
done
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ "$maintainer" =~ \<[^@\>]+@[^@\>]+\>$ ]] || fail "the Maintainer \"$maintainer\" has no address"

echo "lintian $(basename "$deb"):"
report=$(lintian --display-info --tag-display-limit 0 "$deb" 2>&1 | grep -v "^running with root privileges") || true
echo "${report:-(nothing to report)}"
if grep -qE '^[EW]: ' <<<"$report"; then
    fail "lintian reports errors or warnings"
fi

[ "$failures" -eq 0 ] || exit 1
echo "The Debian package builds with hardening and passes lintian."
