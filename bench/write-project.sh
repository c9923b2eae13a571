#!/usr/bin/env bash
# Writes a project file with one item per photo at the given slider height (CR LF line ends).
#   usage: bench/write-project.sh PROJECT.tvn HEIGHT PHOTO...
set -euo pipefail
PROJECT=$1
HEIGHT=$2
shift 2
{
  printf '%s\r\n' '<Warning_Info>' 'Note: This file was created and maintained by Torvane 1.1.' \
    'Do not modify it or script project may not be opened again!' '</Warning_Info>' \
    '<Product_Name>' 'Torvane' '</Product_Name>' '<Product_Version>' '1.1' '</Product_Version>' \
    '<Applet_Parameters>'
  printf 'Slider1#$@Slider1cfg#$@Slider1_div#$@370#$@%s#$@1#$@39#$@0#$@0#$@FFFFFF#$@Slider1cfg#$@4#$@2#$@DBEAF5#$@4#$@0#$@FFFF00#$@#$@#$@1#$@\r\n' "$HEIGHT"
  printf '%s\r\n' '</Applet_Parameters>' '<Item_Parameters>'
  for photo in "$@"; do
    printf '#$@%s#$@#$@_self#$@#$@160#$@120#$@0#$@#$@\r\n' "$photo"
  done
  printf '%s\r\n' '</Item_Parameters>'
} >"$PROJECT"
