#!/bin/sh
# Publishes the sample project resources/samples/sample.tvn into resources/samples/sample/, the
# folder that samples/index.html links to. Run it after changing the sample, its pictures, the
# runtime script or the generator, and commit the result:
#
#   tools/publish-sample.sh [TORVANE-CLI]      (default: build/bin/torvane-cli)
#
# The sample names its pictures without a folder, so the publisher runs inside resources/samples,
# where those names resolve. The folder is written anew; two pages are added below: tower.html,
# the page the tower picture links to (so that every link of the sample leads somewhere), and
# in-a-page.html, the slider placed inside a page of text as Build HTML's code explains.
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
printf '%s\r\n' \
  '<html>' \
  '<head>' \
  '<meta charset="utf-8">' \
  '<title>A slider inside a page</title>' \
  '</head>' \
  '<body style="font-family: sans-serif; margin: 2em; max-width: 40em;">' \
  '<h1>A slider inside a page</h1>' \
  '<p>This page was written by hand. From the code that <b>Script &gt; Build HTML</b> shows,' \
  'it took the three lines between BEGIN and END, and the &lt;div&gt; line where the slider' \
  'appears. The page lies in the same folder as the saved files, because the code names them' \
  'without a folder.</p>' \
  '<!-- BEGIN -->' \
  '<link href="./torvane.css" type=text/css rel=stylesheet>' \
  '<script language="javascript" src="./torvane.js"></script>' \
  '<script language="javascript" src="./torvanecfg.js"></script>' \
  '<!-- END -->' \
  "$(grep -a '^<div id=' sample/sample.html | tr -d '\r')" \
  '<p>Text goes on below the slider as usual. Rest the mouse pointer on the slider to stop it.</p>' \
  '<p><a href="sample.html">The page that Save wrote</a> | <a href="../index.html">All samples</a></p>' \
  '</body>' \
  '</html>' > sample/in-a-page.html
echo "sample/in-a-page.html"
