# Draws cuts and films with orvina, as an animator draws them in the editor. In the folder
# SOURCE, each NAME.cut.json is a blank cut (orvina cut build: canvas, frame rate, credit) and
# NAME.draw.json the editing script that draws it (orvina cut apply: layers, pen strokes,
# fills, tones, text, cells and frame timing), giving OUT/NAME.cut; each FILM.flm is copied
# and compiled into OUT/FILM.ov. @NAME@ in these files is replaced by the value of the
# variable NAME given with -D.
#   cmake -DORVINA=path/to/orvina -DSOURCE=folder -DOUT=folder [-DNAME=value...] -P draw_film.cmake
cmake_minimum_required(VERSION 3.20)
if(NOT ORVINA OR NOT SOURCE OR NOT OUT)
  message(FATAL_ERROR "usage: cmake -DORVINA=orvina -DSOURCE=folder -DOUT=folder -P draw_film.cmake")
endif()
foreach(path ORVINA SOURCE OUT)
  get_filename_component(${path} "${${path}}" ABSOLUTE)
endforeach()
file(MAKE_DIRECTORY "${OUT}")

# The file with @NAME@ replaced, byte for byte otherwise (film files keep their CR LF).
function(configure_bytes from to)
  file(READ "${from}" text)
  string(CONFIGURE "${text}" text @ONLY)
  file(WRITE "${to}" "${text}")
endfunction()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${errors}")
  endif()
endfunction()

file(GLOB cuts RELATIVE "${SOURCE}" "${SOURCE}/*.cut.json")
foreach(cut ${cuts})
  string(REGEX REPLACE "\\.cut\\.json$" "" name "${cut}")
  set(work "${OUT}/${name}.drawing")
  configure_bytes("${SOURCE}/${name}.cut.json" "${work}.cut.json")
  configure_bytes("${SOURCE}/${name}.draw.json" "${work}.draw.json")
  run("${ORVINA}" cut build "${work}.cut.json" -o "${work}.cut")
  run("${ORVINA}" cut apply "${work}.cut" "${work}.draw.json" -o "${OUT}/${name}.cut")
  file(REMOVE "${work}.cut.json" "${work}.draw.json" "${work}.cut")
endforeach()

file(GLOB films RELATIVE "${SOURCE}" "${SOURCE}/*.flm")
foreach(film ${films})
  string(REGEX REPLACE "\\.flm$" "" name "${film}")
  configure_bytes("${SOURCE}/${film}" "${OUT}/${film}")
  run("${ORVINA}" film compile "${OUT}/${film}" -o "${OUT}/${name}.ov")
endforeach()
