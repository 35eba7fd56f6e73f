#!/usr/bin/env bash
# Pictures of every page in both languages, at the smallest window and at 1920 x 1080, into
# docs/. Needs a build (scripts/test.sh makes one).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
shot="${KV_BUILD_DIR:-$here/build}/bench/app/kv4420-shot"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" QT_QPA_FONTDIR="${QT_QPA_FONTDIR:-/usr/share/fonts}"
for lang in zh en; do
  for page in music mica micb effects:7 output:5 output:2 comp delay speakers; do
    name="${page/effects:7/effects}"
    name="${name/output:5/main}"
    name="${name/output:2/sub}"
    "$shot" "$lang" "$here/docs/page-$name-$lang.png" 1170x700 "$page"
    "$shot" "$lang" "$here/docs/page-$name-$lang-1920.png" 1920x1080 "$page"
  done
done
# The equaliser graph's phase and group-delay views (MAIN and SUB, SUB with MAIN and their sum
# at the listener), and the speaker page's alignment table, both languages.
for lang in zh en; do
  for view in phase group-delay; do
    "$shot" "$lang" "$here/docs/page-main-$view-$lang.png" 1170x700 "output:5:$view"
    "$shot" "$lang" "$here/docs/page-sub-$view-$lang.png" 1170x700 "output:2:$view"
  done
  "$shot" "$lang" "$here/docs/align-delays-$lang.png" 1170x700 align
done
# A 10 x 4 m room with a speaker left outside it, both languages.
for lang in zh en; do
  "$shot" "$lang" "$here/docs/page-speakers-outside-$lang.png" 1170x700 speakers-outside
done
# The band read-out at both ends of the MAIN graph, kept inside the plot.
for lang in zh en; do
  "$shot" "$lang" "$here/docs/readout-lowest-$lang.png" 1170x700 readout:0
  "$shot" "$lang" "$here/docs/readout-highest-$lang.png" 1170x700 readout:23
done
# The close question and the save-file dialog after its Yes, in Chinese.
"${KV_BUILD_DIR:-$here/build}/bench/app/kv4420-dialog-shot" zh "$here/docs/dialog-question-zh.png" "$here/docs/dialog-file-zh.png"
# A typed frequency the F box refused, with its reason: the tooltip and the notice are windows
# of their own, so these grab a real (virtual) screen.
for lang in zh en; do
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x900x24" "$shot" "$lang" "$here/docs/typed-refused-$lang.png" 1170x700 refused
done
# The locked window and the reset question (No is its default button), both languages.
for lang in zh en; do
  "$shot" "$lang" "$here/docs/locked-$lang.png" 1170x700 locked
  "$shot" "$lang" "$here/docs/question-reset-$lang.png" 1170x700 reset-question
done
# The question a mode file with values out of range asks, in both languages.
for lang in zh en; do
  "${KV_BUILD_DIR:-$here/build}/bench/app/kv4420-out-of-range-shot" "$lang" "$here/docs/question-out-of-range-$lang.png"
done
# The undo buttons with the A/B pane, the history window and the A/B window, both languages.
for lang in zh en; do
  "${KV_BUILD_DIR:-$here/build}/bench/app/kv4420-history-shot" "$lang" "$here/docs"
done
# A mode file edited with no box, and the question when a box with other settings arrives.
for lang in zh en; do
  "${KV_BUILD_DIR:-$here/build}/bench/app/kv4420-offline-shot" "$lang" "$here/docs/offline-file-$lang.png" \
    "$here/docs/question-box-arrived-$lang.png"
done
# The window's remote access, turned on, with its address and QR code, both languages.
for lang in zh en; do
  "${KV_BUILD_DIR:-$here/build}/bench/app/kv4420-remote-shot" "$lang" "$here/docs/remote-access-$lang.png"
done
