# Draws the demo film that a newcomer finds in the build tree: three short cuts of 320 x 240 at
# 12 fps as the JSON form of a cut (orvina cut build), and the film file that lists them.
#   cmake -DOUT=folder -P demo_film.cmake
#     → OUT/demo001.json  夜明け: the sun rises behind the hills while a gull flies by
#       OUT/demo002.json  ボール: a ball bounces across a room, with the animator's guide arcs
#       OUT/demo003.json  おしまい: title and end cards that dissolve in
#       OUT/demo.flm      the film (cut files demo001.cut … demo003.cut beside it)
# What the cuts show a newcomer: layers drawn in order (sky, sun, hills, bird); a character
# moved through the layer entries' positions; cells that change (wing beats, squash and
# stretch); an empty cell (the gull before it arrives); keyframes (their stored time is the
# length of their section); brightness rising with the dawn; a shadow of "-1" pixels that
# darkens whatever lies below; underdrawing colours, shown in the editor and not in the film;
# and negative frame times, which dissolve a frame in from the one before.
cmake_minimum_required(VERSION 3.20)
if(NOT OUT)
  message(FATAL_ERROR "usage: cmake -DOUT=folder -P demo_film.cmake")
endif()
file(MAKE_DIRECTORY "${OUT}")

# Pixel classes, one hex digit each in the JSON rows.
set(CLEAR 0)      # transparent: the layers below show
set(BLACK 1)
set(DARK 2)       # dark grey
set(LIGHT 3)      # light grey
set(WHITE 4)
set(GUIDE_DARK 5) # underdrawing: shown in the editor only, white in the film
set(GUIDE_MID 6)
set(LINE 8)       # the black of pen strokes
set(PLUS1 c)      # brightens what lies below by one step
set(MINUS1 d)     # darkens what lies below by one step

# --- Drawing helpers: a cell is built row by row in ROW (ROW_W pixels) -------------------

# Paints [x0, x1) of ROW with class v, clipped to the row.
macro(paint x0 x1 v)
  set(_a ${x0})
  set(_b ${x1})
  if(_a LESS 0)
    set(_a 0)
  endif()
  if(_b GREATER ROW_W)
    set(_b ${ROW_W})
  endif()
  if(_b GREATER _a)
    math(EXPR _len "${_b} - ${_a}")
    string(SUBSTRING "${ROW}" 0 ${_a} _head)
    string(SUBSTRING "${ROW}" ${_b} -1 _tail)
    string(REPEAT "${v}" ${_len} _run)
    set(ROW "${_head}${_run}${_tail}")
  endif()
endmacro()

# out = floor(sqrt(n)) (Newton's method on integers).
function(isqrt n out)
  if(n LESS 1)
    set(${out} 0 PARENT_SCOPE)
    return()
  endif()
  set(x ${n})
  math(EXPR y "(${x} + 1) / 2")
  while(y LESS x)
    set(x ${y})
    math(EXPR y "(${x} + ${n} / ${x}) / 2")
  endwhile()
  set(${out} ${x} PARENT_SCOPE)
endfunction()

# The span of the ellipse (centre cx, cy; radii rx, ry) on row y: SPAN_L, SPAN_R ([L, R)),
# empty (L = R) when the row misses it.
function(ellipse_span cx cy rx ry y)
  math(EXPR dy "${y} - ${cy}")
  if(dy LESS 0)
    math(EXPR dy "-${dy}")
  endif()
  if(rx LESS 0 OR ry LESS 1 OR dy GREATER ry)
    set(SPAN_L 0 PARENT_SCOPE)
    set(SPAN_R 0 PARENT_SCOPE)
    return()
  endif()
  math(EXPR n "${rx} * ${rx} * (${ry} * ${ry} - ${dy} * ${dy}) / (${ry} * ${ry})")
  isqrt(${n} w)
  math(EXPR l "${cx} - ${w}")
  math(EXPR r "${cx} + ${w} + 1")
  set(SPAN_L ${l} PARENT_SCOPE)
  set(SPAN_R ${r} PARENT_SCOPE)
endfunction()

macro(paint_ellipse cx cy rx ry v y)
  ellipse_span(${cx} ${cy} ${rx} ${ry} ${y})
  paint(${SPAN_L} ${SPAN_R} ${v})
endmacro()

# An inked ellipse: a 2-pixel outline of class LINE around a fill of class v.
macro(paint_inked cx cy rx ry v y)
  paint_ellipse(${cx} ${cy} ${rx} ${ry} ${LINE} ${y})
  math(EXPR _irx "${rx} - 2")
  math(EXPR _iry "${ry} - 2")
  paint_ellipse(${cx} ${cy} ${_irx} ${_iry} ${v} ${y})
endmacro()

# Begins a cell: CELL collects its rows.
macro(cell_begin)
  set(CELL "")
  set(_sep "")
endmacro()
# Ends a row of the cell under construction.
macro(row_done)
  string(APPEND CELL "${_sep}\"${ROW}\"")
  set(_sep ", ")
endmacro()

# A cell given as literal rows (small sprites).
function(literal_cell out)
  set(c "")
  set(sep "")
  foreach(r ${ARGN})
    string(APPEND c "${sep}\"${r}\"")
    set(sep ", ")
  endforeach()
  set(${out} "${c}" PARENT_SCOPE)
endfunction()

# A 5 x 7 font for the cards, one string of 35 cells per glyph, row by row.
set(G_A ".###.#...##...#######...##...##...#")
set(G_D "####.#...##...##...##...##...#####.")
set(G_E "######....#....####.#....#....#####")
set(G_F "######....#....####.#....#....#....")
set(G_H "#...##...##...#######...##...##...#")
set(G_I ".###...#....#....#....#....#...###.")
set(G_L "#....#....#....#....#....#....#####")
set(G_M "#...###.###.#.##...##...##...##...#")
set(G_N "#...###..##.#.##..###...##...##...#")
set(G_O ".###.#...##...##...##...##...#.###.")
set(G_R "####.#...##...#####.#.#..#..#.#...#")
set(G_T "#####..#....#....#....#....#....#..")
set(G_U "#...##...##...##...##...##...#.###.")
set(G_V "#...##...##...##...##...#.#.#...#..")
set(G_Y "#...##...#.#.#...#....#....#....#..")
set(G_bang "..#....#....#....#....#.........#..")
set(G_space "...................................")

# Paints the font pixels of a centred text line (scale: pixels per font pixel; top row) on
# row y of a cell WIDTH wide.
macro(paint_text text scale top y v)
  string(LENGTH "${text}" _n)
  math(EXPR _width "${_n} * 6 * ${scale} - ${scale}")
  math(EXPR _left "(${ROW_W} - ${_width}) / 2")
  math(EXPR _fy "(${y} - ${top}) / ${scale}")
  if(${y} GREATER_EQUAL ${top} AND _fy LESS 7)
    math(EXPR _last "${_n} - 1")
    foreach(_k RANGE ${_last})
      string(SUBSTRING "${text}" ${_k} 1 _ch)
      if(_ch STREQUAL " ")
        set(_ch space)
      elseif(_ch STREQUAL "!")
        set(_ch bang)
      endif()
      math(EXPR _at "${_fy} * 5")
      string(SUBSTRING "${G_${_ch}}" ${_at} 5 _bits)
      foreach(_c RANGE 4)
        string(SUBSTRING "${_bits}" ${_c} 1 _b)
        if(_b STREQUAL "#")
          math(EXPR _x0 "${_left} + (${_k} * 6 + ${_c}) * ${scale}")
          math(EXPR _x1 "${_x0} + ${scale}")
          paint(${_x0} ${_x1} ${v})
        endif()
      endforeach()
    endforeach()
  endif()
endmacro()

set(W 320)
set(H 240)
math(EXPR LAST_Y "${H} - 1")

# ===== Cut 1: 夜明け (dawn) ================================================================
# Layers, bottom to top: SKY, SUN (a disc with a halo of "+1" pixels), HILLS, GULL (two
# cells, wings up and down). The sun rises through its layer entry's position behind the
# hills while the frames brighten from 10 to 50; a gull crosses the sky.

# SKY: dark at the top with a few stars, lighter towards the horizon in dithered steps.
set(STARS 14:31 22:250 37:118 45:190 9:289 58:66 30:160 51:226 17:92 63:301)  # y:x
cell_begin()
set(ROW_W ${W})
foreach(y RANGE ${LAST_Y})
  if(y LESS 56)
    string(REPEAT "${DARK}" ${W} ROW)
  elseif(y LESS 84)
    math(EXPR odd "${y} % 2")
    if(odd)
      string(REPEAT "${DARK}${DARK}${LIGHT}${DARK}" 80 ROW)
    else()
      string(REPEAT "${DARK}" ${W} ROW)
    endif()
  elseif(y LESS 112)
    math(EXPR odd "${y} % 2")
    if(odd)
      string(REPEAT "${DARK}${LIGHT}" 160 ROW)
    else()
      string(REPEAT "${LIGHT}${DARK}" 160 ROW)
    endif()
  elseif(y LESS 140)
    string(REPEAT "${LIGHT}" ${W} ROW)
  elseif(y LESS 164)
    math(EXPR odd "${y} % 2")
    if(odd)
      string(REPEAT "${LIGHT}${WHITE}" 160 ROW)
    else()
      string(REPEAT "${WHITE}${LIGHT}" 160 ROW)
    endif()
  else()
    string(REPEAT "${WHITE}" ${W} ROW)
  endif()
  foreach(star ${STARS})
    string(REPLACE ":" ";" star "${star}")
    list(GET star 0 sy)
    list(GET star 1 sx)
    if(y EQUAL sy)
      math(EXPR sx1 "${sx} + 1")
      paint(${sx} ${sx1} ${WHITE})
    endif()
  endforeach()
  row_done()
endforeach()
set(SKY_CELL "${CELL}")

# SUN: 48 x 48, the disc centred in a glow of "+1" pixels.
set(SUN_SIZE 48)
cell_begin()
set(ROW_W ${SUN_SIZE})
foreach(y RANGE 47)
  string(REPEAT "${CLEAR}" ${SUN_SIZE} ROW)
  paint_ellipse(24 24 21 21 ${PLUS1} ${y})
  paint_inked(24 24 13 13 ${WHITE} ${y})
  row_done()
endforeach()
set(SUN_CELL "${CELL}")

# HILLS: 320 x 100 at the bottom of the canvas: a light far ridge and a dark near one, each
# a union of large circles, inked.
set(HILLS_TOP 140)
math(EXPR HILLS_H "${H} - ${HILLS_TOP}")
math(EXPR HILLS_LAST "${HILLS_H} - 1")
# Each hill: centre x : top y (cell coordinates) : radius.
set(FAR_HILLS 40:12:80 150:4:95 270:16:90 350:10:70)
set(NEAR_HILLS -10:30:90 120:40:100 240:34:80 330:44:60)
cell_begin()
set(ROW_W ${W})
foreach(y RANGE ${HILLS_LAST})
  string(REPEAT "${CLEAR}" ${W} ROW)
  foreach(ridge FAR NEAR)
    if(ridge STREQUAL FAR)
      set(fill ${LIGHT})
    else()
      set(fill ${DARK})
    endif()
    foreach(pass outline fill)
      foreach(hill ${${ridge}_HILLS})
        string(REPLACE ":" ";" hill "${hill}")
        list(GET hill 0 hx)
        list(GET hill 1 htop)
        list(GET hill 2 hr)
        math(EXPR hcy "${htop} + ${hr}")
        if(pass STREQUAL outline)
          paint_ellipse(${hx} ${hcy} ${hr} ${hr} ${LINE} ${y})
        else()
          math(EXPR ir "${hr} - 2")
          paint_ellipse(${hx} ${hcy} ${ir} ${ir} ${fill} ${y})
        endif()
      endforeach()
    endforeach()
  endforeach()
  row_done()
endforeach()
set(HILLS_CELL "${CELL}")

# GULL: 18 x 7, wings up and wings down.
literal_cell(GULL_UP
  "880000000000000088"
  "088000000000000880"
  "008880000000088800"
  "000088800008880000"
  "000000888888000000"
  "000000008800000000"
  "000000000000000000")
literal_cell(GULL_DOWN
  "000000000000000000"
  "000000000000000000"
  "000000008800000000"
  "000088888888880000"
  "008880000000088800"
  "088000000000000880"
  "880000000000000088")

# Frames: sun centre y, brightness, time, keyframe, gull (x:y:cell, or - while it is away),
# comment. A keyframe's time is the length of its whole section (the frames up to the next
# keyframe): 22 = 6 for itself + 8 × 2, 12 = 2 + 5 × 2.
set(DAWN_FRAMES
  "190|10|22|1|-|夜明け前"
  "176|14|2|0|-|"
  "160|19|2|0|-|"
  "143|24|2|0|-18:74:0|"
  "126|30|2|0|8:70:1|"
  "110|36|2|0|34:72:0|"
  "96|42|2|0|60:68:1|"
  "84|47|2|0|86:70:0|"
  "74|50|2|0|112:66:1|日の出"
  "66|50|12|1|138:68:0|朝"
  "60|50|2|0|164:64:1|"
  "56|50|2|0|190:66:0|"
  "54|50|2|0|216:62:1|"
  "53|50|2|0|242:64:0|"
  "52|50|2|0|268:60:1|"
  "52|50|12|1|-|")
set(frames "")
foreach(f ${DAWN_FRAMES})
  string(REPLACE "|" ";" f "${f}")
  list(GET f 0 suny)
  list(GET f 1 bright)
  list(GET f 2 time)
  list(GET f 3 key)
  list(GET f 4 gull)
  list(LENGTH f n)
  set(comment "")
  if(n GREATER 5)
    list(GET f 5 comment)
  endif()
  math(EXPR sunx "200 - ${SUN_SIZE} / 2")
  math(EXPR suny "${suny} - ${SUN_SIZE} / 2")
  if(gull STREQUAL "-")
    set(gull_entry "{\"layer\": 3, \"cell\": 0, \"empty\": true, \"position\": [0, 60]}")
  else()
    string(REPLACE ":" ";" gull "${gull}")
    list(GET gull 0 gx)
    list(GET gull 1 gy)
    list(GET gull 2 gc)
    set(gull_entry "{\"layer\": 3, \"cell\": ${gc}, \"position\": [${gx}, ${gy}]}")
  endif()
  if(key)
    set(key true)
  else()
    set(key false)
  endif()
  if(frames)
    string(APPEND frames ",\n  ")
  endif()
  string(APPEND frames "{\"time\": ${time}, \"brightness\": ${bright}, \"keyframe\": ${key}, "
    "\"comment\": \"${comment}\", \"entries\": [{\"layer\": 0, \"cell\": 0}, "
    "{\"layer\": 1, \"cell\": 0, \"position\": [${sunx}, ${suny}]}, "
    "{\"layer\": 2, \"cell\": 0, \"position\": [0, ${HILLS_TOP}]}, ${gull_entry}]}")
endforeach()
file(WRITE "${OUT}/demo001.json"
  "{\"canvas\": [${W}, ${H}], \"fps\": 12, \"credit\": \"オルビナ\", \"layers\": [\n"
  " {\"name\": \"SKY\", \"size\": [${W}, ${H}], \"cells\": [[${SKY_CELL}]]},\n"
  " {\"name\": \"SUN\", \"size\": [${SUN_SIZE}, ${SUN_SIZE}], \"cells\": [[${SUN_CELL}]]},\n"
  " {\"name\": \"HILLS\", \"size\": [${W}, ${HILLS_H}], \"cells\": [[${HILLS_CELL}]]},\n"
  " {\"name\": \"GULL\", \"size\": [18, 7], \"cells\": [[${GULL_UP}], [${GULL_DOWN}]]}],\n"
  " \"frames\": [${frames}]}\n")

# ===== Cut 2: ボール (the bouncing ball) ===================================================
# Layers: ROOM, GUIDE (the path of the ball in underdrawing colours: the animator's chart of
# the positions, over the white wall so that the film shows none of it), SHADOW ("-1" pixels:
# the floor below turns one step darker), BALL (round, squashed and stretched cells whose
# bottom row rests on the floor when the layer entry is at y = FLOOR - BALL_H).
set(FLOOR 180)
set(BALL_W 40)
set(BALL_H 40)

# Frames: ball centre x, height above the floor, cell (0 round, 1 squash, 2 stretch),
# time, keyframe, comment. The keyframes are the contacts with the floor; each holds the
# length of its bounce.
set(BALL_FRAMES
  "22|150|0|1|0|落下" "30|146|0|1|0|" "39|133|0|1|0|" "48|112|0|1|0|" "56|83|0|1|0|"
  "64|46|2|1|0|" "73|0|1|10|1|接地：つぶし"
  "81|35|2|1|0|" "89|61|0|1|0|" "97|81|0|1|0|" "105|92|0|1|0|" "113|96|0|1|0|頂点"
  "121|92|0|1|0|" "129|81|0|1|0|" "137|61|0|1|0|" "145|35|2|1|0|" "153|0|1|7|1|接地：つぶし"
  "160|24|0|1|0|" "167|39|0|1|0|" "174|47|0|1|0|" "181|47|0|1|0|" "188|39|0|1|0|"
  "195|24|0|1|0|" "202|0|1|5|1|接地"
  "208|13|0|1|0|" "214|19|0|1|0|" "220|19|0|1|0|" "226|13|0|1|0|" "232|0|0|3|1|"
  "237|5|0|1|0|" "242|5|0|1|0|" "247|0|0|15|1|"
  "251|0|0|1|0|" "253|0|0|1|0|" "254|0|0|12|0|静止")

# ROOM: a white wall with a window and a skirting board, a light floor with darker boards.
# The window stays right of the ball's path, so that the guide lies on white alone.
cell_begin()
set(ROW_W ${W})
math(EXPR SKIRT "${FLOOR} - 10")
foreach(y RANGE ${LAST_Y})
  if(y LESS SKIRT)
    string(REPEAT "${WHITE}" ${W} ROW)
    if(y GREATER_EQUAL 30 AND y LESS 100)
      # The frame, a pale sky with a cloud, the cross bars.
      paint(236 312 ${LINE})
      if(y GREATER_EQUAL 33 AND y LESS 97)
        paint(239 309 ${LIGHT})
        paint_ellipse(258 52 13 5 ${WHITE} ${y})
        paint_ellipse(268 47 9 6 ${WHITE} ${y})
        paint_ellipse(294 74 8 3 ${WHITE} ${y})
        paint(272 275 ${LINE})
        if(y GREATER_EQUAL 63 AND y LESS 66)
          paint(239 309 ${LINE})
        endif()
      endif()
    elseif(y GREATER_EQUAL 100 AND y LESS 104)
      paint(232 316 ${DARK})
    endif()
  elseif(y EQUAL SKIRT OR y EQUAL FLOOR)
    string(REPEAT "${LINE}" ${W} ROW)
  elseif(y LESS FLOOR)
    string(REPEAT "${LIGHT}" ${W} ROW)
  else()
    math(EXPR board "(${y} - ${FLOOR}) % 15")
    if(board EQUAL 0)
      string(REPEAT "${DARK}" ${W} ROW)
    else()
      math(EXPR odd "${y} % 2")
      if(odd)
        string(REPEAT "${LIGHT}${WHITE}${LIGHT}${LIGHT}" 80 ROW)
      else()
        string(REPEAT "${LIGHT}${LIGHT}${LIGHT}${WHITE}" 80 ROW)
      endif()
    endif()
  endif()
  row_done()
endforeach()
set(ROOM_CELL "${CELL}")

# GUIDE: for every frame a small circle around the ball's centre (a cross at the contacts),
# and a dotted line from each centre to the next.
set(centres "")
foreach(f ${BALL_FRAMES})
  string(REPLACE "|" ";" f "${f}")
  list(GET f 0 bx)
  list(GET f 1 bh)
  math(EXPR by "${FLOOR} - 15 - ${bh}")
  list(APPEND centres "${bx}:${by}:${bh}")
endforeach()
# Points to paint, kept per row: GP_<y> = x;x;… (dots of the path, class GUIDE_MID) and
# GM_<y> = x0:x1;… (marks, class GUIDE_DARK).
set(prev "")
foreach(c ${centres})
  string(REPLACE ":" ";" c "${c}")
  list(GET c 0 cx)
  list(GET c 1 cy)
  list(GET c 2 ch)
  if(prev)
    list(GET prev 0 px)
    list(GET prev 1 py)
    math(EXPR dx "${cx} - ${px}")
    math(EXPR dy "${cy} - ${py}")
    set(adx ${dx})
    set(ady ${dy})
    if(ady LESS 0)
      math(EXPR ady "-${ady}")
    endif()
    set(steps ${adx})
    if(ady GREATER steps)
      set(steps ${ady})
    endif()
    foreach(s RANGE 0 ${steps} 3)
      if(steps GREATER 0)
        math(EXPR gx "${px} + ${dx} * ${s} / ${steps}")
        math(EXPR gy "${py} + ${dy} * ${s} / ${steps}")
        list(APPEND GP_${gy} ${gx})
      endif()
    endforeach()
  endif()
  # A circle of radius 3 (a cross at the floor contacts).
  if(ch EQUAL 0)
    math(EXPR m0 "${cx} - 4")
    math(EXPR m1 "${cx} + 5")
    list(APPEND GM_${cy} "${m0}:${m1}")
    foreach(d RANGE -4 4)
      math(EXPR yy "${cy} + ${d}")
      math(EXPR m1 "${cx} + 1")
      list(APPEND GM_${yy} "${cx}:${m1}")
    endforeach()
  else()
    foreach(d RANGE -3 3)
      math(EXPR yy "${cy} + ${d}")
      if(d EQUAL -3 OR d EQUAL 3)
        math(EXPR m0 "${cx} - 1")
        math(EXPR m1 "${cx} + 2")
        list(APPEND GM_${yy} "${m0}:${m1}")
      else()
        math(EXPR m0 "${cx} - 3")
        math(EXPR m1 "${cx} - 2")
        math(EXPR n0 "${cx} + 3")
        math(EXPR n1 "${cx} + 4")
        list(APPEND GM_${yy} "${m0}:${m1}" "${n0}:${n1}")
      endif()
    endforeach()
  endif()
  set(prev "${cx};${cy}")
endforeach()
cell_begin()
set(ROW_W ${W})
foreach(y RANGE ${LAST_Y})
  string(REPEAT "${CLEAR}" ${W} ROW)
  foreach(gx ${GP_${y}})
    math(EXPR gx1 "${gx} + 1")
    paint(${gx} ${gx1} ${GUIDE_MID})
  endforeach()
  foreach(m ${GM_${y}})
    string(REPLACE ":" ";" m "${m}")
    list(GET m 0 m0)
    list(GET m 1 m1)
    paint(${m0} ${m1} ${GUIDE_DARK})
  endforeach()
  row_done()
endforeach()
set(GUIDE_CELL "${CELL}")

# SHADOW: 48 x 8, a large and a small ellipse of "-1".
set(SHADOW_CELLS "")
foreach(rx 20 12)
  math(EXPR ry "${rx} / 6")
  cell_begin()
  set(ROW_W 48)
  foreach(y RANGE 7)
    string(REPEAT "${CLEAR}" 48 ROW)
    paint_ellipse(24 4 ${rx} ${ry} ${MINUS1} ${y})
    row_done()
  endforeach()
  if(SHADOW_CELLS)
    string(APPEND SHADOW_CELLS ", ")
  endif()
  string(APPEND SHADOW_CELLS "[${CELL}]")
endforeach()

# BALL: round (radius 15), squashed and stretched, the bottom on the cell's last row; a
# light grey crescent on the side away from the light.
set(BALL_CELLS "")
foreach(shape "20:24:15:15" "20:30:19:9" "20:20:11:19")
  string(REPLACE ":" ";" shape "${shape}")
  list(GET shape 0 cx)
  list(GET shape 1 cy)
  list(GET shape 2 rx)
  list(GET shape 3 ry)
  math(EXPR irx "${rx} - 2")
  math(EXPR iry "${ry} - 2")
  math(EXPR lx "${cx} - 3")
  math(EXPR ly "${cy} - 3")
  cell_begin()
  set(ROW_W ${BALL_W})
  math(EXPR last "${BALL_H} - 1")
  foreach(y RANGE ${last})
    string(REPEAT "${CLEAR}" ${BALL_W} ROW)
    paint_inked(${cx} ${cy} ${rx} ${ry} ${LIGHT} ${y})
    # The lit part: the inner ellipse moved up and left, cut to the inner ellipse.
    ellipse_span(${cx} ${cy} ${irx} ${iry} ${y})
    set(il ${SPAN_L})
    set(ir ${SPAN_R})
    ellipse_span(${lx} ${ly} ${irx} ${iry} ${y})
    if(SPAN_L LESS il)
      set(SPAN_L ${il})
    endif()
    if(SPAN_R GREATER ir)
      set(SPAN_R ${ir})
    endif()
    paint(${SPAN_L} ${SPAN_R} ${WHITE})
    row_done()
  endforeach()
  if(BALL_CELLS)
    string(APPEND BALL_CELLS ",\n  ")
  endif()
  string(APPEND BALL_CELLS "[${CELL}]")
endforeach()

set(frames "")
foreach(f ${BALL_FRAMES})
  string(REPLACE "|" ";" f "${f}")
  list(GET f 0 bx)
  list(GET f 1 bh)
  list(GET f 2 cell)
  list(GET f 3 time)
  list(GET f 4 key)
  list(LENGTH f n)
  set(comment "")
  if(n GREATER 5)
    list(GET f 5 comment)
  endif()
  math(EXPR ex "${bx} - ${BALL_W} / 2")
  math(EXPR ey "${FLOOR} + 1 - ${BALL_H} - ${bh}")
  math(EXPR sx "${bx} - 24")
  math(EXPR sy "${FLOOR} - 2")
  if(bh GREATER 60)
    set(shadow 1)
  else()
    set(shadow 0)
  endif()
  if(key)
    set(key true)
  else()
    set(key false)
  endif()
  if(frames)
    string(APPEND frames ",\n  ")
  endif()
  string(APPEND frames "{\"time\": ${time}, \"keyframe\": ${key}, \"comment\": \"${comment}\", "
    "\"entries\": [{\"layer\": 0, \"cell\": 0}, {\"layer\": 1, \"cell\": 0}, "
    "{\"layer\": 2, \"cell\": ${shadow}, \"position\": [${sx}, ${sy}]}, "
    "{\"layer\": 3, \"cell\": ${cell}, \"position\": [${ex}, ${ey}]}]}")
endforeach()
file(WRITE "${OUT}/demo002.json"
  "{\"canvas\": [${W}, ${H}], \"fps\": 12, \"credit\": \"オルビナ\", \"layers\": [\n"
  " {\"name\": \"ROOM\", \"size\": [${W}, ${H}], \"cells\": [[${ROOM_CELL}]]},\n"
  " {\"name\": \"GUIDE\", \"size\": [${W}, ${H}], \"cells\": [[${GUIDE_CELL}]]},\n"
  " {\"name\": \"SHADOW\", \"size\": [48, 8], \"cells\": [${SHADOW_CELLS}]},\n"
  " {\"name\": \"BALL\", \"size\": [${BALL_W}, ${BALL_H}], \"cells\": [${BALL_CELLS}]}],\n"
  " \"frames\": [${frames}]}\n")

# ===== Cut 3: おしまい (the cards) =========================================================
# One layer CARD with two cells, the title and the end card, on a PAPER layer. Each card
# dissolves in from the frame before it (a negative time), then holds.
cell_begin()
set(ROW_W ${W})
foreach(y RANGE ${LAST_Y})
  if(y LESS 20 OR y GREATER_EQUAL 220)
    string(REPEAT "${DARK}" ${W} ROW)
  elseif(y LESS 24 OR y GREATER_EQUAL 216)
    string(REPEAT "${LINE}" ${W} ROW)
  else()
    string(REPEAT "${WHITE}" ${W} ROW)
  endif()
  row_done()
endforeach()
set(PAPER_CELL "${CELL}")

set(CARD_CELLS "")
foreach(card "ORVINA|DEMO FILM" "THE END|HAVE FUN!")
  string(REPLACE "|" ";" card "${card}")
  list(GET card 0 big)
  list(GET card 1 small)
  cell_begin()
  set(ROW_W ${W})
  foreach(y RANGE ${LAST_Y})
    string(REPEAT "${CLEAR}" ${W} ROW)
    paint_text("${big}" 7 78 ${y} ${LINE})
    if(y GREATER_EQUAL 136 AND y LESS 140)
      paint(70 250 ${LIGHT})
    endif()
    paint_text("${small}" 3 150 ${y} ${DARK})
    row_done()
  endforeach()
  if(CARD_CELLS)
    string(APPEND CARD_CELLS ",\n  ")
  endif()
  string(APPEND CARD_CELLS "[${CELL}]")
endforeach()

set(frames "")
foreach(f "6|0|1|" "-12|0|0|タイトルが溶け込む" "18|0|0|" "-12|1|0|エンドマークへ" "24|1|0|")
  string(REPLACE "|" ";" f "${f}")
  list(GET f 0 time)
  list(GET f 1 card)
  list(GET f 2 empty)
  list(LENGTH f n)
  set(comment "")
  if(n GREATER 3)
    list(GET f 3 comment)
  endif()
  if(empty)
    set(empty true)
  else()
    set(empty false)
  endif()
  if(frames)
    string(APPEND frames ",\n  ")
  endif()
  string(APPEND frames "{\"time\": ${time}, \"comment\": \"${comment}\", "
    "\"entries\": [{\"layer\": 0, \"cell\": 0}, {\"layer\": 1, \"cell\": ${card}, \"empty\": ${empty}}]}")
endforeach()
file(WRITE "${OUT}/demo003.json"
  "{\"canvas\": [${W}, ${H}], \"fps\": 12, \"credit\": \"オルビナ\", \"layers\": [\n"
  " {\"name\": \"PAPER\", \"size\": [${W}, ${H}], \"cells\": [[${PAPER_CELL}]]},\n"
  " {\"name\": \"CARD\", \"size\": [${W}, ${H}], \"cells\": [${CARD_CELLS}]}],\n"
  " \"frames\": [${frames}]}\n")

# ===== The film ==========================================================================
# Title, author, output size, then the cut files relative to the film, CR LF.
file(WRITE "${OUT}/demo.flm"
  "Orvina demo\r\nOrvina\r\n${W}, ${H}\r\ndemo001.cut\r\ndemo002.cut\r\ndemo003.cut\r\n")
