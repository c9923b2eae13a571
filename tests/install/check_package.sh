#!/usr/bin/env bash
# The Debian package: built with cpack into a temporary folder (never installed), its control
# fields and contents checked, and its programs run from the unpacked tree.
#   check_package.sh BUILD_FOLDER
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$tmp" >"$tmp/cpack.log") || { cat "$tmp/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$tmp"/torvane_*.deb)
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = torvane ] || fail "package name"
[ "$(field Section)" = graphics ] || fail "section"
[ -n "$(field Maintainer)" ] || fail "maintainer"
description=$(field Description)
grep -q 'image sliders' <<<"$description" || fail "description"
[ "$(awk 'length > 80' <<<"$description" | wc -l)" -eq 0 ] || fail "description lines over 80"
depends=$(field Depends)
for dep in libc6 libqt6widgets6 libqt6gui6 libjpeg62-turbo liblcms2-2 libpng16-16 libwebp7 libwebpdemux2 \
           libheif1 libtiff6 qt6-qpa-plugins libqt6svg6 libqt6webenginewidgets6 libqt6webenginecore6-bin; do
  grep -q "\b$dep\b" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/torvane ./usr/bin/torvane-cli ./usr/share/torvane/torvane.js \
         ./usr/share/torvane/help/index.html ./usr/share/applications/torvane.desktop \
         ./usr/share/mime/packages/torvane.xml ./usr/share/icons/hicolor/48x48/apps/torvane.png \
         ./usr/share/icons/hicolor/scalable/apps/torvane.svg \
         ./usr/share/metainfo/example.torvane.torvane.metainfo.xml; do
  grep -qx -- "$f" <<<"$contents" || fail "not in the package: $f"
done

# The unpacked programs find their files relative to themselves.
dpkg-deb -x "$deb" "$tmp/root"
mkdir "$tmp/project"
cp -r "$tmp/root/usr/share/torvane/samples/." "$tmp/project/"
(cd "$tmp/project" && HOME=$tmp XDG_RUNTIME_DIR='' "$tmp/root/usr/bin/torvane-cli" publish sample.tvn \
  --to "$tmp/out" >/dev/null)
cmp "$tmp/out/torvane.js" "$tmp/root/usr/share/torvane/torvane.js" || fail "runtime script"
# Once the desktop's caches are refreshed (the package's triggers do that when installed), the
# entry is the default for project files.
if command -v xdg-mime >/dev/null; then
  update-desktop-database "$tmp/root/usr/share/applications"
  default=$(HOME=$tmp/home XDG_DATA_HOME=$tmp/home/data XDG_CONFIG_HOME=$tmp/home/config \
    XDG_DATA_DIRS=$tmp/root/usr/share xdg-mime query default application/x-torvane-project)
  [ "$default" = torvane.desktop ] || fail "default for project files: '$default'"
fi
echo "package: ok ($(basename "$deb"), Depends: $depends)"
