#!/usr/bin/env bash
# Makes the Debian package from this build tree, unpacks it as dpkg would and
# checks what a machine gets: the two programs, the desktop entry, the icon
# and the metainfo, each accepted by its validator, and programs that start
# from /usr without the build tree and without a display.
#   package_test.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build_dir=$1 version=$2 id=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/baisuu-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! cpack --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack" >&2
  exit 1
fi
deb="$work/out/baisuu_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls -l "$work/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }

control=$(dpkg-deb -f "$deb")
# Dependencies come from the shared libraries the programs link.
for dep in libqt6core6 libqt6widgets6 libpulse0 libicu libpq5 fonts-ipafont-gothic; do
  grep -q "^Depends:.*$dep" <<<"$control" || fail "Depends lacks $dep: $(grep ^Depends <<<"$control")"
done
# The head office's database is reached through libpq alone.
for dep in libpqxx libqt6sql6; do
  grep -q "^Depends:.*$dep" <<<"$control" && fail "Depends has $dep: $(grep ^Depends <<<"$control")"
done
grep -q '^Section: education$' <<<"$control" || fail "section: $control"
grep -q '^Maintainer: .*@' <<<"$control" || fail "maintainer: $control"

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/$id.desktop"
metainfo="$root/usr/share/metainfo/$id.metainfo.xml"
icon="$root/usr/share/icons/hicolor/scalable/apps/$id.svg"
for f in "$root/usr/bin/baisuu" "$root/usr/bin/baisuu-cli"; do
  [ -x "$f" ] || fail "$f is not an executable in the package"
done
for f in "$desktop" "$metainfo" "$icon"; do
  [ -f "$f" ] || fail "$f is not in the package"
done

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
for line in "Name=倍数判定" "Exec=baisuu" "Icon=$id" "Categories=Education;" "StartupWMClass=baisuu"; do
  grep -qx "$line" "$desktop" || fail "$desktop lacks $line"
done
grep -q '^Comment=.*[倍数奇偶]' "$desktop" || fail "$desktop has no Japanese Comment"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "$metainfo names no release $version"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "$metainfo does not launch $id.desktop"
rsvg-convert -w 64 -h 64 "$icon" -o "$work/icon.png" || fail "the icon does not render"

# What Debian asks of every package: a machine-readable copyright file, the
# changelog, a manual page for each program, and here the README.
doc="$root/usr/share/doc/baisuu"
head -1 "$doc/copyright" 2>/dev/null |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "$doc/copyright is not in the machine-readable format"
grep -q '^Files: \*$' "$doc/copyright" 2>/dev/null || fail "$doc/copyright covers no Files: *"
top=$(gzip -dc "$doc/changelog.Debian.gz" 2>/dev/null | head -1)
[ "$top" = "baisuu ($version) unstable; urgency=medium" ] || fail "changelog.Debian.gz begins: $top"
cmp -s "$doc/README.md" "$(dirname "$0")/../../README.md" || fail "$doc/README.md is not the README"
for program in baisuu baisuu-cli; do
  page="$root/usr/share/man/man1/$program.1.gz"
  # Minus signs are written \- in a manual page's source.
  text=$(gzip -dc "$page" 2>/dev/null | sed 's/\\-/-/g') || { fail "no manual page $page"; continue; }
  grep -q -- '--program-dir' <<<"$text" || fail "$page does not describe --program-dir"
  grep -q "$version" <<<"$text" || fail "$page does not name version $version"
  if grep -q "$HOME" <<<"$text"; then fail "$page names the builder's home $HOME"; fi
done
gzip -dc "$root/usr/share/man/man1/baisuu.1.gz" 2>/dev/null | sed 's/\\-/-/g' | grep -q -- --fullscreen ||
  fail "baisuu.1 does not describe --fullscreen"
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
  if grep -q '^E: ' "$work/lintian.log"; then
    cat "$work/lintian.log" >&2
    fail "lintian reports errors"
  fi
else
  echo "lintian is not installed: the package's lint is not checked" >&2
fi

# As a person's terminal without a desktop: no display, no platform chosen,
# nothing of the build tree, settings in an empty home.
mkdir -p "$work/home"
run() {
  env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$work/home" \
    XDG_CONFIG_HOME="$work/home/.config" XDG_CONFIG_DIRS="$work/xdg" "$@"
}
out=$(run "$root/usr/bin/baisuu-cli" --version) || fail "baisuu-cli --version exits $?"
[ "$out" = "baisuu-cli $version" ] || fail "baisuu-cli --version printed: $out"
out=$(run "$root/usr/bin/baisuu" --version 2>&1) || fail "baisuu --version exits $?: $out"
grep -q "$version" <<<"$out" || fail "baisuu --version printed: $out"
out=$(run "$root/usr/bin/baisuu" --help) || fail "baisuu --help exits $?"
grep -q -- --program-dir <<<"$out" || fail "baisuu --help printed: $out"
# Options are read before any display is looked for.
if out=$(run "$root/usr/bin/baisuu" --bogus 2>&1); then fail "baisuu --bogus succeeded: $out"; fi
code=$(run "$root/usr/bin/baisuu" --bogus >/dev/null 2>&1; echo $?)
[ "$code" = 2 ] || fail "baisuu --bogus exits $code"
grep -q bogus <<<"$out" || fail "baisuu --bogus printed: $out"

# Installed, there is no school beside the program: the machine's settings
# file names it, and without one the tool says what to set.
if out=$(run "$root/usr/bin/baisuu-cli" config 2>&1); then
  fail "config without a school succeeded: $out"
fi
grep -q programDir <<<"$out" || fail "config without a school: $out"
run "$root/usr/bin/baisuu-cli" init-demo "$work/school" >/dev/null || fail "init-demo"
mkdir -p "$work/xdg/baisuu"
printf '[General]\nprogramDir=%s\n' "$work/school/倍数判定" >"$work/xdg/baisuu/baisuu.conf"
out=$(run "$root/usr/bin/baisuu-cli" config 2>&1) || fail "config with the machine's setting: $out"
grep -q "\"dataRoot\": \"$work/school/data/\"" <<<"$out" || fail "config with the machine's setting: $out"

[ "$failures" -eq 0 ] || exit 1
echo "package $deb: all checks passed"
