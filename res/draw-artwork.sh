#!/bin/bash
# Draws the console's PNG artwork and icon into res/art/. The results are committed, so a build
# never needs ImageMagick; run this again only after changing the look or a caption.
# Needs ImageMagick 6 (the real binary, not a wrapper) and the WenQuanYi Zen Hei font.
set -euo pipefail

IM=${IM:-/usr/bin/convert}
HERE=$(cd "$(dirname "$0")" && pwd)
ART=$HERE/art
FONT_CHS=${FONT_CHS:-/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc}
FONT_ENU=${FONT_ENU:-/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf}
[ -f "$FONT_ENU" ] || FONT_ENU=$FONT_CHS

# Palette, matched to the main window background RGB(42,50,60).
WINDOW_BG='#2A323C'
FACE_TOP='#4A5A6E';     FACE_BOTTOM='#333F4D';     FACE_EDGE='#62778F';    FACE_TEXT='#EEF3F8'
ON_TOP='#2E9BE0';       ON_BOTTOM='#1769A6';       ON_EDGE='#8FD3FF';      ON_TEXT='#FFFFFF'
PUSH_TOP='#24466A';     PUSH_BOTTOM='#1B3550';     PUSH_EDGE='#4FA8E8';    PUSH_TEXT='#FFFFFF'
OFF_TOP='#313A46';      OFF_BOTTOM='#2C343F';      OFF_EDGE='#404B58';     OFF_TEXT='#66727F'
OFFON_TOP='#203A50';    OFFON_BOTTOM='#1C3244';    OFFON_EDGE='#2F5573';   OFFON_TEXT='#6F8597'
LED_OFF='#1E252D';      LED_OFF_RING='#75879B';    LED_ON='#7CFFB2';       LED_ON_GLOW='#3BE08A'
LED_DIS='#262D36';      LED_DIS_RING='#46525F';    LED_DISON='#3C7A5A'

W=786; H=252; R=44; INSET=4; EDGE=6
LED_X=92; LED_R=26

TMP=$(mktemp -d); trap 'rm -rf "$TMP"' EXIT

# Largest point size (<= max) at which every caption of a language fits the given width.
fit_pointsize() { # font max width captions...
  local font=$1 size=$2 width=$3; shift 3
  local c w
  for c in "$@"; do
    while :; do
      w=$("$IM" -font "$font" -pointsize "$size" label:"$c" -format '%w' info:)
      [ "$w" -le "$width" ] && break
      size=$((size - 2))
    done
  done
  echo "$size"
}

# face OUT STATE CAPTION FONT POINTSIZE LED
#   STATE: normal | on | pushed | disabled | disabledon
#   LED:   1 for check buttons (an indicator lamp on the left), 0 for push buttons
face() {
  local out=$1 state=$2 caption=$3 font=$4 pt=$5 led=$6
  local top bottom edge text dy=0 sheen=0.16
  case $state in
    normal)     top=$FACE_TOP;  bottom=$FACE_BOTTOM;  edge=$FACE_EDGE;  text=$FACE_TEXT ;;
    on)         top=$ON_TOP;    bottom=$ON_BOTTOM;    edge=$ON_EDGE;    text=$ON_TEXT ;;
    pushed)     top=$PUSH_BOTTOM; bottom=$PUSH_TOP;   edge=$PUSH_EDGE;  text=$PUSH_TEXT; dy=5; sheen=0 ;;
    disabled)   top=$OFF_TOP;   bottom=$OFF_BOTTOM;   edge=$OFF_EDGE;   text=$OFF_TEXT; sheen=0 ;;
    disabledon) top=$OFFON_TOP; bottom=$OFFON_BOTTOM; edge=$OFFON_EDGE; text=$OFFON_TEXT; sheen=0 ;;
  esac
  local x0=$INSET y0=$INSET x1=$((W - 1 - INSET)) y1=$((H - 1 - INSET))
  local textdx=0
  [ "$led" = 1 ] && textdx=$((LED_X + LED_R - W / 2 + (W - LED_X - LED_R) / 2 - 8))

  # Body: vertical gradient clipped to a rounded rectangle; outside stays transparent.
  "$IM" -size ${W}x${H} gradient:"$top-$bottom" \
    \( -size ${W}x${H} xc:black -fill white -draw "roundrectangle $x0,$y0 $x1,$y1 $R,$R" \) \
    -alpha off -compose CopyOpacity -composite "$TMP/body.png"

  # Soft sheen on the upper half of raised faces.
  if [ "$sheen" != 0 ]; then
    "$IM" "$TMP/body.png" \
      \( -size ${W}x$((H * 11 / 20)) gradient:"rgba(255,255,255,$sheen)-rgba(255,255,255,0)" \
         -background none -extent ${W}x${H} \) -compose SrcAtop -composite "$TMP/body.png"
  fi

  local cmd=("$IM" "$TMP/body.png" -compose Over
    -fill none -stroke "$edge" -strokewidth $EDGE
    -draw "roundrectangle $((x0 + EDGE / 2)),$((y0 + EDGE / 2)) $((x1 - EDGE / 2)),$((y1 - EDGE / 2)) $((R - 2)),$((R - 2))")

  if [ "$led" = 1 ]; then
    local cy=$((H / 2 + dy)) ring fill glow=""
    case $state in
      on|pushed)  ring=$ON_EDGE;      fill=$LED_ON;  glow=$LED_ON_GLOW ;;
      normal)     ring=$LED_OFF_RING; fill=$LED_OFF ;;
      disabled)   ring=$LED_DIS_RING; fill=$LED_DIS ;;
      disabledon) ring=$OFFON_EDGE;   fill=$LED_DISON ;;
    esac
    [ "$state" = pushed ] && { ring=$PUSH_EDGE; fill=$LED_OFF; glow=""; }
    if [ -n "$glow" ]; then
      cmd+=( \( -size ${W}x${H} xc:none -fill "$glow" -stroke none
                -draw "circle $LED_X,$cy $((LED_X + LED_R + 14)),$cy" -blur 0x12 \) -composite )
    fi
    cmd+=(-stroke "$ring" -strokewidth 6 -fill "$fill" -draw "circle $LED_X,$cy $((LED_X + LED_R)),$cy")
    if [ -n "$glow" ]; then
      cmd+=(-stroke none -fill 'rgba(255,255,255,0.75)' -draw "circle $((LED_X - 8)),$((cy - 8)) $((LED_X - 1)),$((cy - 8))")
    fi
  fi

  # Caption, with a faint drop shadow on enabled faces for contrast.
  # Chinese faces embolden the light glyphs of the font with a thin outline (EMBOLDEN pixels).
  local sx=$textdx sy=$dy
  if [ "$state" != disabled ] && [ "$state" != disabledon ]; then
    cmd+=(-stroke none -fill 'rgba(0,0,0,0.45)' -font "$font" -pointsize "$pt" -gravity center
          -annotate "+$((sx + 3))+$((sy + 4))" "$caption")
  fi
  cmd+=(-fill "$text" -font "$font" -pointsize "$pt" -gravity center)
  if [ "${EMBOLDEN:-0}" != 0 ]; then cmd+=(-stroke "$text" -strokewidth "$EMBOLDEN"); else cmd+=(-stroke none); fi
  cmd+=(-annotate "+${sx}+${sy}" "$caption")
  cmd+=(-define png:color-type=6 "$out")
  "${cmd[@]}"
}

# title OUT TEXT SUBTEXT FONT_TITLE FONT_SUB
# The title label stretches its image over the whole label without a backdrop, so it is opaque.
title() {
  local out=$1 text=$2 sub=$3 ftitle=$4 fsub=$5 tw=1152 th=128
  "$IM" -size ${tw}x${th} xc:"$WINDOW_BG" \
    -fill 'rgba(46,155,224,0.18)' -stroke none -draw "path 'M 66,106 L 9.6,85.5 A 60,60 0 0,1 122.4,85.5 Z'" \
    -fill none -stroke '#2E9BE0' -strokewidth 5 \
      -draw "path 'M 9.6,85.5 A 60,60 0 0,1 122.4,85.5'" -draw "path 'M 34.1,94.4 A 34,34 0 0,1 97.9,94.4'" \
      -draw "line 66,106 9.6,85.5" -draw "line 66,106 122.4,85.5" \
    -stroke none -fill '#7CFFB2' -draw "circle 86,66 86,58" \
    -fill '#8FD3FF' -draw "circle 66,106 66,99" \
    -stroke none -fill '#EEF3F8' -font "$ftitle" -pointsize 62 -gravity west -annotate +140-4 "$text" \
    -fill '#8FD3FF' -font "$fsub" -pointsize 40 -gravity west \
      -annotate "+$((150 + $("$IM" -font "$ftitle" -pointsize 62 label:"$text" -format '%w' info:)))+2" "$sub" \
    -stroke none -fill '#2E9BE0' -draw "rectangle 140,112 1140,115" \
    -define png:color-type=2 "$out"
}

close_button() { # OUT
  local s=240
  "$IM" -size ${s}x${s} xc:none \
    -fill '#B0453C' -stroke '#E0786E' -strokewidth 10 -draw "roundrectangle 10,10 229,229 48,48" \
    -stroke '#FFFFFF' -strokewidth 26 -draw "line 78,78 161,161" -draw "line 161,78 78,161" \
    -filter Lanczos -resize 30x30 -define png:color-type=6 "$1"
}

app_icon() { # OUT
  local s=256
  "$IM" -size ${s}x${s} xc:none \
    -fill "$WINDOW_BG" -stroke '#62778F' -strokewidth 8 -draw "roundrectangle 8,8 247,247 48,48" \
    -fill 'rgba(46,155,224,0.25)' -stroke none -draw "path 'M 128,196 L 29.3,160.1 A 105,105 0 0,1 226.7,160.1 Z'" \
    -fill none -stroke '#2E9BE0' -strokewidth 14 \
      -draw "path 'M 29.3,160.1 A 105,105 0 0,1 226.7,160.1'" -draw "path 'M 69.7,174.8 A 62,62 0 0,1 186.3,174.8'" \
      -draw "line 128,196 29.3,160.1" -draw "line 128,196 226.7,160.1" \
    -stroke none -fill '#7CFFB2' -draw "circle 160,120 160,102" \
    -fill '#8FD3FF' -draw "circle 128,196 128,182" \
    "$TMP/icon256.png"
  "$IM" "$TMP/icon256.png" -depth 8 -define icon:auto-resize=256,48,32,16 "$1"
}

# lang FONT MAXPT: captions in resource order.
draw_language() {
  local dir=$1 font=$2 maxpt=$3; shift 3
  local -A c=()
  local kv
  for kv in "$@"; do c[${kv%%=*}]=${kv#*=}; done
  mkdir -p "$ART/$dir"
  local ptpush ptcheck pt
  ptpush=$(fit_pointsize "$font" "$maxpt" 660 "${c[detect]}" "${c[area]}" "${c[savepath]}")
  ptcheck=$(fit_pointsize "$font" "$maxpt" 560 "${c[start]}" "${c[stop]}" "${c[mode]}" "${c[pause]}" \
            "${c[resume]}" "${c[playback]}" "${c[savedata]}")
  pt=$(( ptpush < ptcheck ? ptpush : ptcheck ))   # one size for the whole set
  local o=$ART/$dir
  title "$o/140_title_single.png" "ROVA MTT" "${c[single]}" "$FONT_ENU" "$font"
  title "$o/141_title_multi.png"  "ROVA MTT" "${c[multi]}"  "$FONT_ENU" "$font"
  close_button "$o/145_close.png"
  face "$o/187_playback_normal.png"     normal     "${c[playback]}" "$font" $pt 1
  face "$o/188_playback_pressed.png"    on         "${c[playback]}" "$font" $pt 1
  face "$o/189_playback_disabled.png"   disabled   "${c[playback]}" "$font" $pt 1
  face "$o/190_area_monitor_normal.png"  normal "${c[area]}" "$font" $pt 0
  face "$o/191_area_monitor_pressed.png" pushed "${c[area]}" "$font" $pt 0
  face "$o/193_mode_switch_normal.png"           normal     "${c[mode]}" "$font" $pt 1
  face "$o/194_mode_switch_pressed.png"          on         "${c[mode]}" "$font" $pt 1
  face "$o/195_mode_switch_disabled.png"         disabled   "${c[mode]}" "$font" $pt 1
  face "$o/196_mode_switch_disabled_checked.png" disabledon "${c[mode]}" "$font" $pt 1
  face "$o/197_detect_device_normal.png"  normal "${c[detect]}" "$font" $pt 0
  face "$o/198_detect_device_pressed.png" pushed "${c[detect]}" "$font" $pt 0
  face "$o/199_pause_normal.png"   normal   "${c[pause]}"  "$font" $pt 1
  face "$o/200_pause_pressed.png"  on       "${c[resume]}" "$font" $pt 1
  face "$o/201_pause_disabled.png" disabled "${c[pause]}"  "$font" $pt 1
  face "$o/202_start_normal.png"   normal   "${c[start]}" "$font" $pt 1
  face "$o/203_start_pressed.png"  on       "${c[stop]}"  "$font" $pt 1
  face "$o/204_start_disabled.png" disabled "${c[start]}" "$font" $pt 1
  face "$o/205_save_data_normal.png"   normal   "${c[savedata]}" "$font" $pt 1
  face "$o/206_save_data_pressed.png"  on       "${c[savedata]}" "$font" $pt 1
  face "$o/207_save_data_disabled.png" disabled "${c[savedata]}" "$font" $pt 1
  face "$o/208_save_path_normal.png"   normal   "${c[savepath]}" "$font" $pt 0
  face "$o/209_save_path_pressed.png"  pushed   "${c[savepath]}" "$font" $pt 0
  face "$o/210_save_path_disabled.png" disabled "${c[savepath]}" "$font" $pt 0
}

EMBOLDEN=0 draw_language enu "$FONT_ENU" 84 \
  detect="Detect Device" start="Start" stop="Stop" area="Area Monitor" mode="Mode Switch" \
  pause="Pause" resume="Resume" playback="Playback" savedata="Save Data" savepath="Save Path" \
  single="Single Target Tracking" multi="Multi-Target Tracking"
EMBOLDEN=2 draw_language chs "$FONT_CHS" 104 \
  detect="检测设备" start="开始" stop="停止" area="区域监控" mode="模式切换" \
  pause="暂停" resume="继续" playback="数据回放" savedata="保存数据" savepath="保存路径" \
  single="毫米波雷达 单目标跟踪" multi="毫米波雷达 多目标跟踪"
app_icon "$ART/ROVA_MTT.ico"
echo "artwork written to $ART"
