#!/usr/bin/env bash
# The installed tree: `cmake --install` into a temporary prefix, the desktop files validated, the
# tree made read-only, then both programs run from it (as an unprivileged user when possible):
# they find their files in share/torvane/, keep their state in the user's folders, publish with
# the installed runtime, and write nothing into the tree.
#   check_install.sh BUILD_FOLDER
set -euo pipefail
build=$1
tmp=$(mktemp -d)
cleanup() { chmod -R u+w "$tmp" 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
chmod 755 "$tmp"
prefix=$tmp/usr
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/torvane bin/torvane-cli share/torvane/torvane.js share/torvane/help/index.html \
         share/torvane/samples/index.html "share/torvane/templates/Photo strip.tvn" \
         share/applications/torvane.desktop share/mime/packages/torvane.xml \
         share/icons/hicolor/scalable/apps/torvane.svg share/icons/hicolor/48x48/apps/torvane.png \
         share/metainfo/example.torvane.torvane.metainfo.xml; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ ! -e "$prefix/bin/torvane.js" ] || fail "program files installed beside the programs"
icon=$(file "$prefix/share/icons/hicolor/48x48/apps/torvane.png")
grep -q 'PNG image data, 48 x 48' <<<"$icon" || fail "the PNG icon is not 48 x 48: $icon"

desktop-file-validate "$prefix/share/applications/torvane.desktop"
grep -qx 'Exec=torvane %f' "$prefix/share/applications/torvane.desktop" || fail "Exec line"
grep -qx 'MimeType=application/x-torvane-project;' "$prefix/share/applications/torvane.desktop" ||
  fail "MimeType line"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/example.torvane.torvane.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/example.torvane.torvane.metainfo.xml"

# The type definition compiles, with the glob and the magic of a project file's start.
mkdir -p "$tmp/mime/packages"
cp "$prefix/share/mime/packages/torvane.xml" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" >/dev/null 2>&1
grep -q 'application/x-torvane-project:\*\.tvn' "$tmp/mime/globs2" || fail "no *.tvn glob"
grep -aq '<Product_Name>' "$tmp/mime/magic" || fail "no magic rule"

# From now on the tree is read-only, and must stay exactly as installed.
chmod -R a-w "$prefix"
snapshot() { (cd "$prefix" && find . -printf '%p %s %T@ %m\n' | LC_ALL=C sort); }
before=$(snapshot)

home=$tmp/home
export HOME=$home XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
  XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime XDG_DATA_DIRS=$prefix/share
mkdir -p "$home/data" "$home/cache" "$home/config" "$home/runtime" "$tmp/project" "$tmp/out"
chmod 700 "$home/runtime"
cp -r "$prefix/share/torvane/samples/." "$tmp/project/"
chmod -R u+w "$tmp/project"
as_user=()
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
  chown -R nobody:nogroup "$home" "$tmp/project" "$tmp/out"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi

# torvane-cli publishes with the installed runtime script.
(cd "$tmp/project" && "${as_user[@]}" "$prefix/bin/torvane-cli" publish sample.tvn --to "$tmp/out" >/dev/null)
cmp "$tmp/out/torvane.js" "$prefix/share/torvane/torvane.js" || fail "published runtime differs"
for f in sample.html torvanecfg.js torvane.css sample.tvn sample_PublishReport.txt slider0.jpg; do
  [ -f "$tmp/out/$f" ] || fail "not published: $f"
done

# Starts the window program on a project and ends it once the project is in the recent list;
# prints how many private work folders were there meanwhile.
run_window() {
  QT_QPA_PLATFORM=offscreen "${as_user[@]}" "$1" "$2" >"$tmp/window.log" 2>&1 &
  local window=$!
  for _ in $(seq 1 300); do
    grep -qs "^&1 $2" "$home/data/torvane/recentfile.dat" && break
    kill -0 "$window" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$window" 2>/dev/null || { cat "$tmp/window.log" >&2; fail "the window program ended early"; }
  find "$home/runtime/torvane" -mindepth 1 -maxdepth 1 -name 'instance-*' | wc -l
  kill "$window"
  wait "$window" 2>/dev/null || true
}

# The window program opens a project from its command line: the recent list is the user's, and
# the installed desktop entry makes a user's copy needless.
instances=$(run_window "$prefix/bin/torvane" "$tmp/out/sample.tvn")
grep -q "^&1 $tmp/out/sample.tvn" "$home/data/torvane/recentfile.dat" || fail "recent list"
[ "$instances" -eq 1 ] || fail "expected one private work folder, found $instances"
[ ! -e "$home/data/applications/torvane.desktop" ] || fail "user association written"

[ "$before" = "$(snapshot)" ] || { diff <(echo "$before") <(snapshot) >&2; fail "the installed tree changed"; }

# A portable copy (programs and files side by side) in a folder the user cannot write is left
# alone the same way. Only checked as an unprivileged user: root may write anywhere, and a
# folder it can write keeps everything beside the program.
if [ ${#as_user[@]} -gt 0 ]; then
  portable=$tmp/portable
  mkdir "$portable"
  cp -r "$build/bin/torvane" "$build/bin/torvane-cli" "$build/bin/torvane.js" "$build/bin/help" \
    "$build/bin/samples" "$build/bin/templates" "$portable/"
  chmod -R a-w "$portable"
  portable_before=$(cd "$portable" && find . -printf '%p %s %T@ %m\n' | LC_ALL=C sort)
  mkdir "$tmp/out2"
  chown nobody:nogroup "$tmp/out2"
  (cd "$tmp/project" && "${as_user[@]}" "$portable/torvane-cli" publish sample.tvn --to "$tmp/out2" >/dev/null) ||
    fail "the portable torvane-cli"
  cmp "$tmp/out2/torvane.js" "$portable/torvane.js" || fail "portable: published runtime differs"
  instances=$(run_window "$portable/torvane" "$tmp/out2/sample.tvn")
  [ "$instances" -eq 1 ] || fail "portable: expected one private work folder, found $instances"
  [ "$portable_before" = "$(cd "$portable" && find . -printf '%p %s %T@ %m\n' | LC_ALL=C sort)" ] ||
    fail "the read-only portable copy changed"
fi
echo "installed tree: ok${as_user:+ (run as nobody)}"
