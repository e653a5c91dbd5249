#!/usr/bin/env bash
# Draws the Send To dialog's two pictures with ImageMagick and stores them as JPEG beside this
# script: the shell's context menu with our Send To entry framed in red (300 x 284), and a folder
# dragged onto the program's icon (350 x 277). The JPEGs are kept in the repository; run this
# again only to change a picture.
set -euo pipefail
cd "$(dirname "$0")"

font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The program's icon at the sizes the pictures show it.
convert 'mirafold.ico[0]' -background none -resize 16x16 "$work/icon16.png"
convert 'mirafold.ico[0]' -background none "$work/icon48.png"

# A yellow folder of width w at x,y (height about 0.8 w), as draw primitives.
folder() {
  local x=$1 y=$2 w=$3 h t
  h=$((w * 4 / 5))
  t=$((w / 3))
  printf "fill '#E0A834' stroke '#A8741C' path 'M %d,%d L %d,%d L %d,%d L %d,%d L %d,%d Z' " \
    "$x" "$((y + h / 5))" "$x" "$y" "$((x + t))" "$y" "$((x + t + w / 8))" "$((y + h / 8))" \
    "$((x + w))" "$((y + h / 8))"
  printf "fill '#E0A834' stroke '#A8741C' rectangle %d,%d %d,%d " "$x" "$((y + h / 8))" "$((x + w))" "$((y + h))"
  printf "fill '#F8D775' stroke '#C89530' rectangle %d,%d %d,%d " "$x" "$((y + h / 3))" "$((x + w))" "$((y + h))"
}

# A quadratic curve from x0,y0 bent towards x1,y1 to x2,y2, as short lines: ImageMagick closes
# the outline of its own curve primitives.
curve() {
  awk -v x0="$1" -v y0="$2" -v x1="$3" -v y1="$4" -v x2="$5" -v y2="$6" 'BEGIN {
    for (i = 0; i <= 24; i++) {
      t = i / 24
      x = (1 - t) ^ 2 * x0 + 2 * (1 - t) * t * x1 + t ^ 2 * x2
      y = (1 - t) ^ 2 * y0 + 2 * (1 - t) * t * y1 + t ^ 2 * y2
      if (i) printf "line %.1f,%.1f %.1f,%.1f ", px, py, x, y
      px = x; py = y
    }
  }'
}

text() {  # x y text [colour]
  printf "fill '%s' stroke none text %d,%d '%s' " "${4:-#000000}" "$1" "$2" "$3"
}

# --- The context menu on a folder, with Send To open --------------------------------------------
menu=()
item_h=17
y=56
main_items=("打开(O)" "在新窗口中打开(E)" "共享(H)|>" "包含到库中(I)|>" "-" "发送到(N)|>|hot" "-"
            "剪切(T)" "复制(C)" "-" "创建快捷方式(S)" "删除(D)" "重命名(M)" "-" "属性(R)")
draw="fill '#FFFFFF' rectangle 0,0 299,283 "
draw+="$(folder 12 6 34)"
draw+="fill '#CCE8FF' stroke '#99D1FF' rectangle 4,3 54,52 "
draw+="$(folder 12 6 34)"
draw+="$(text 18 48 游戏)"
draw+="fill '#D0D0D0' stroke none rectangle 9,57 139,283 "                # shadow
draw+="fill '#F2F2F2' stroke '#979797' rectangle 6,54 136,280 "
draw+="stroke '#E2E2E2' line 30,56 30,278 "
for entry in "${main_items[@]}"; do
  if [ "$entry" = "-" ]; then
    draw+="stroke '#D7D7D7' line 32,$((y + 3)) 133,$((y + 3)) "
    y=$((y + 7))
    continue
  fi
  IFS='|' read -r label arrow hot <<<"$entry"
  if [ -n "${hot:-}" ]; then
    draw+="fill '#D8EAF9' stroke '#7DA2CE' rectangle 9,$y 133,$((y + item_h - 1)) "
    sendto_y=$y
  fi
  draw+="$(text 36 $((y + 13)) "$label")"
  [ -n "${arrow:-}" ] && draw+="fill '#202020' stroke none polygon 125,$((y + 4)) 129,$((y + 8)) 125,$((y + 12)) "
  y=$((y + item_h))
done

sub_items=("传真收件人" "文档" "压缩(zipped)文件夹" "桌面快捷方式" "邮件收件人" "NTFS链接（仅文件夹）|ours" "本地磁盘 (D:)")
sub_top=$((sendto_y - 3))
sub_bottom=$((sub_top + 6 + ${#sub_items[@]} * item_h))
draw+="fill '#D0D0D0' stroke none rectangle 133,$((sub_top + 3)) 299,$((sub_bottom + 3)) "
draw+="fill '#F2F2F2' stroke '#979797' rectangle 130,$sub_top 296,$sub_bottom "
draw+="stroke '#E2E2E2' line 154,$((sub_top + 2)) 154,$((sub_bottom - 2)) "
y=$((sub_top + 3))
icons=("#6A8CC8" "#E8C15A" "#D9A23A" "#5A9BD5" "#7A7A7A" "" "#9AA4B0")
i=0
for entry in "${sub_items[@]}"; do
  IFS='|' read -r label ours <<<"$entry"
  if [ -n "${ours:-}" ]; then
    draw+="fill '#D8EAF9' stroke '#7DA2CE' rectangle 133,$y 293,$((y + item_h - 1)) "
    draw+="image over 135,$((y + 1)) 16,16 '$work/icon16.png' "
    ours_y=$y
  else
    draw+="fill '${icons[$i]}' stroke '#505050' rectangle 137,$((y + 3)) 148,$((y + 14)) "
  fi
  draw+="$(text 159 $((y + 13)) "$label")"
  y=$((y + item_h))
  i=$((i + 1))
done
# The red frame around our entry.
draw+="fill none stroke '#E00000' stroke-width 2 rectangle 129,$((ours_y - 2)) 297,$((ours_y + item_h + 1)) "
# The mouse pointer on the entry.
draw+="fill '#FFFFFF' stroke '#000000' stroke-width 1 polygon 272,$((ours_y + 8)) 272,$((ours_y + 24)) 276,$((ours_y + 20)) 279,$((ours_y + 27)) 282,$((ours_y + 26)) 279,$((ours_y + 19)) 284,$((ours_y + 19)) "

convert -size 300x284 xc:white -font "$font" -pointsize 12 -draw "$draw" \
  -strip -interlace none -quality 92 sendto_menu.jpg

# --- A folder dragged from one window onto the program's icon in another --------------------------
window() {  # x0 y0 x1 y1 title
  printf "fill '#C8C8C8' stroke none rectangle %d,%d %d,%d " "$(($1 + 3))" "$(($2 + 3))" "$(($3 + 3))" "$(($4 + 3))"
  printf "fill '#FFFFFF' stroke '#6F8FB8' rectangle %d,%d %d,%d " "$1" "$2" "$3" "$4"
  printf "fill '#DCE7F5' stroke '#6F8FB8' rectangle %d,%d %d,%d " "$1" "$2" "$3" "$(($2 + 22))"
  printf "fill '#F3F6FA' stroke '#C5D3E6' rectangle %d,%d %d,%d " "$(($1 + 6))" "$(($2 + 27))" "$(($3 - 6))" "$(($2 + 45))"
  text "$(($1 + 8))" "$(($2 + 16))" "$5"
  text "$(($1 + 11))" "$(($2 + 41))" "$6" '#303030'
}

draw="fill '#3A6EA5' rectangle 0,0 349,276 "
draw+="$(window 6 40 170 268 '游戏' 'D:\游戏')"
draw+="$(window 180 8 344 224 '工具' 'D:\工具')"
# Left window: folders, the dragged one selected.
draw+="fill '#CCE8FF' stroke '#99D1FF' rectangle 18,94 78,160 "
draw+="$(folder 28 102 40)"
draw+="$(text 32 154 Steam)"
draw+="$(folder 102 102 40)"
draw+="$(text 110 154 存档)"
draw+="$(folder 28 176 40)"
draw+="$(text 35 228 截图)"
# Right window: the program, highlighted as the drop target, and the tool beside it.
draw+="fill '#CCE8FF' stroke '#99D1FF' rectangle 192,62 268,132 "
draw+="image over 206,66 48,48 '$work/icon48.png' "
draw+="$(text 198 126 mirafold.exe)"
draw+="fill '#1E1E1E' stroke '#707070' rectangle 290,72 326,106 "
draw+="fill '#E0E0E0' stroke none rectangle 290,72 326,78 "
draw+="$(text 295 94 'C:\>' '#C0C0C0')"
draw+="$(text 275 126 junction.exe)"
# The folder on its way, faint, under the pointer, and what the drop will do.
draw+="fill-opacity 0.5 stroke-opacity 0.5 $(folder 240 84 24) fill-opacity 1 stroke-opacity 1 "
draw+="fill '#FFFFFF' stroke '#000000' stroke-width 1 polygon 254,94 254,110 258,106 261,113 264,112 261,105 266,105 "
draw+="fill '#FFFFE1' stroke '#767676' rectangle 224,138 343,156 "
draw+="$(text 229 151 '用 mirafold.exe 打开')"
# The red arrow from the folder to the icon.
draw+="stroke '#E00000' stroke-width 5 stroke-linecap round $(curve 60 112 128 26 194 78) "
draw+="fill '#E00000' stroke '#E00000' stroke-width 1 polygon 207,89 185,84 197,69 "

convert -size 350x277 xc:white -font "$font" -pointsize 12 -draw "$draw" \
  -strip -interlace none -quality 92 drag_onto_icon.jpg

identify sendto_menu.jpg drag_onto_icon.jpg
