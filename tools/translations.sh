#!/usr/bin/env bash
# The window's translations (translations/torvane_LANG.ts) against its sources.
#
#   tools/translations.sh check    fails when a translation lacks a text of the sources
#                                  (unfinished) or keeps one they no longer have (obsolete)
#   tools/translations.sh update   brings every .ts file up to date with the sources (new texts
#                                  come in unfinished, texts gone are dropped), to be translated
#                                  then with Qt Linguist or an editor
#
# Exit status: 0 when all is well, 1 when a check fails, 77 when lupdate is missing (CTest counts
# that as skipped).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LUPDATE=${LUPDATE:-}
if [ -z "$LUPDATE" ]; then
  for candidate in /usr/lib/qt6/bin/lupdate lupdate-qt6 lupdate; do
    command -v "$candidate" >/dev/null && { LUPDATE=$candidate; break; }
  done
fi
if [ -z "$LUPDATE" ]; then
  echo "translations: lupdate is not installed (apt-get install qt6-l10n-tools)" >&2
  exit 77
fi
# English is the language of the sources: its file holds only the forms of the plurals.
options() { case "$1" in *_en.ts) echo -pluralonly ;; esac; }
# The texts of the window and of the document's undo steps, and the project model's messages,
# which the model marks with TV_MESSAGE("model", ...) or TV_MESSAGE_NOOP (src/model/Message.h)
# and the window translates under that context.
sources=("$ROOT/src/ui" "$ROOT/src/document" "$ROOT/src/platform" "$ROOT/src/model"
  "$ROOT/src/app/main.cpp")
aliases=(-tr-function-alias "QT_TRANSLATE_NOOP+=TV_MESSAGE,QT_TRANSLATE_NOOP+=TV_MESSAGE_NOOP")

case "${1:-}" in
  update)
    for ts in "$ROOT"/translations/*.ts; do
      "$LUPDATE" -silent -no-obsolete -locations none "${aliases[@]}" $(options "$ts") \
        "${sources[@]}" -ts "$ts"
    done
    ;;
  check)
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    status=0
    for ts in "$ROOT"/translations/*.ts; do
      copy="$scratch/$(basename "$ts")"
      cp "$ts" "$copy"
      "$LUPDATE" -silent -locations none "${aliases[@]}" $(options "$ts") "${sources[@]}" \
        -ts "$copy"
      unfinished=$(grep -c 'type="unfinished"' "$copy" || true)
      gone=$(grep -cE 'type="(obsolete|vanished)"' "$copy" || true)
      if [ "$unfinished" -gt 0 ] || [ "$gone" -gt 0 ]; then
        echo "translations: $(basename "$ts"): $unfinished text(s) untranslated, $gone no longer in the sources" >&2
        grep -B3 -E 'type="(unfinished|obsolete|vanished)"' "$copy" | grep '<source>' | head -20 >&2
        echo "(run tools/translations.sh update, then translate the new texts)" >&2
        status=1
      fi
    done
    exit $status
    ;;
  *)
    echo "usage: tools/translations.sh check|update" >&2
    exit 2
    ;;
esac
