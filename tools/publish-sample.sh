#!/bin/sh
# Publishes the sample project resources/samples/sample.tvn into resources/samples/sample/, the
# folder that samples/index.html links to. Run it after changing the sample, its pictures, the
# runtime script or the generator, and commit the result:
#
#   tools/publish-sample.sh [TORVANE-CLI]      (default: build/bin/torvane-cli)
#
# The sample names its pictures without a folder, so the publisher runs inside resources/samples,
# where those names resolve. The folder is written anew; tower.html, the page the tower picture
# links to, is added by hand below so that every link of the sample leads somewhere.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/bin/torvane-cli}
case $cli in /*) ;; *) cli=$(pwd)/$cli ;; esac
if [ ! -x "$cli" ]; then
  echo "publish-sample.sh: $cli not found; build it first:" >&2
  echo "  cmake -S . -B build -DTORVANE_GUI=OFF -G Ninja && cmake --build build --target torvane-cli torvane_resources" >&2
  exit 1
fi
cd "$root/resources/samples"
rm -rf sample
"$cli" publish sample.tvn --to sample
printf '%s\r\n' \
  '<html>' \
  '<head>' \
  '<meta charset="utf-8">' \
  '<title>The tower</title>' \
  '</head>' \
  '<body style="font-family: sans-serif; margin: 2em;">' \
  '<h1>The tower</h1>' \
  '<p>This page stands for the page of your own site that a picture links to. In the sample, the' \
  'tower picture has the link <code>tower.html</code>: an address relative to the slider&#39;s' \
  'page, so it works wherever the published folder is copied.</p>' \
  '<p><a href="sample.html">Back to the sample slider</a></p>' \
  '</body>' \
  '</html>' > sample/tower.html
echo "sample/tower.html"
