# Editor resources, made at build time from the sources in editor/res (included by
# editor/CMakeLists.txt in the Windows builds):
#   EDITOR_RES              the generated folder that editor.rc finds its files in
#   EDITOR_RESOURCE_FILES   those files: the two icons (frame 102, cut window 104) and the
#                           toolbar strip (bitmap 118), made with ImageMagick's convert
#   editor_demo_film        the demo film in ${CMAKE_BINARY_DIR}/demo: cuts drawn by editing
#                           scripts through the host orvina (OrvinaDeveloper depends on it)
set(EDITOR_RES ${CMAKE_BINARY_DIR}/editor-res)
file(MAKE_DIRECTORY ${EDITOR_RES})
set(EDITOR_RES_SOURCE ${CMAKE_CURRENT_LIST_DIR}/res)
# ImageMagick's own convert (Debian's package) before any other program of that name.
find_program(ORVINA_CONVERT convert PATHS /usr/bin NO_DEFAULT_PATH)
find_program(ORVINA_CONVERT convert REQUIRED)

# Icons: a 32 x 32 and a 16 x 16 image each, drawn apart so that the small one stays sharp.
foreach(icon frame_icon cut_icon)
  add_custom_command(OUTPUT ${EDITOR_RES}/${icon}.ico
    COMMAND ${ORVINA_CONVERT} ${EDITOR_RES_SOURCE}/${icon}_32.xpm ${EDITOR_RES_SOURCE}/${icon}_16.xpm
            ${EDITOR_RES}/${icon}.ico
    DEPENDS ${EDITOR_RES_SOURCE}/${icon}_32.xpm ${EDITOR_RES_SOURCE}/${icon}_16.xpm VERBATIM)
endforeach()

# The toolbar: 27 images of 16 x 16 side by side (432 x 16), in the order of their numbers,
# which the main frame's button table uses. The light grey background is the
# colour the toolbar maps to the button face.
set(EDITOR_TOOLBAR_IMAGES
  00_undo 01_frame_add 02_frame_insert 03_frame_delete 04_frame_next 05_frame_previous
  06_cell_add 07_cell_insert 08_cell_delete 09_cell_next 10_cell_previous
  11_free_pen 12_eraser 13_line 14_curve 15_fill 16_select 17_zoom 18_mask
  19_frame_position 20_layer_position 21_cut_new_before 22_cut_new_after 23_cut_delete
  24_play 25_stop 26_save)
list(TRANSFORM EDITOR_TOOLBAR_IMAGES PREPEND ${EDITOR_RES_SOURCE}/toolbar/)
list(TRANSFORM EDITOR_TOOLBAR_IMAGES APPEND .xpm)
add_custom_command(OUTPUT ${EDITOR_RES}/toolbar.bmp
  COMMAND ${ORVINA_CONVERT} ${EDITOR_TOOLBAR_IMAGES} +append -type Palette
          BMP3:${EDITOR_RES}/toolbar.bmp
  DEPENDS ${EDITOR_TOOLBAR_IMAGES} VERBATIM)

set(EDITOR_RESOURCE_FILES
  ${EDITOR_RES}/frame_icon.ico ${EDITOR_RES}/cut_icon.ico ${EDITOR_RES}/toolbar.bmp)

# The demo film a newcomer starts with: demo.flm, demo001.cut … demo003.cut and demo.ov, drawn
# by the host orvina from the editing scripts in editor/res/demo. It is drawn again only when
# a script changes, so that what a newcomer draws into it survives rebuilds of the programs.
set(EDITOR_DEMO ${CMAKE_BINARY_DIR}/demo)
set(EDITOR_DEMO_SOURCE ${EDITOR_RES_SOURCE}/demo)
file(GLOB demo_sources CONFIGURE_DEPENDS ${EDITOR_DEMO_SOURCE}/*)
file(GLOB demo_cuts RELATIVE ${EDITOR_DEMO_SOURCE} CONFIGURE_DEPENDS ${EDITOR_DEMO_SOURCE}/*.cut.json)
set(demo_outputs ${EDITOR_DEMO}/demo.flm ${EDITOR_DEMO}/demo.ov)
set(demo_byproducts "")
foreach(cut ${demo_cuts})
  string(REGEX REPLACE "\\.cut\\.json$" "" cut ${cut})
  list(APPEND demo_outputs ${EDITOR_DEMO}/${cut}.cut)
  list(APPEND demo_byproducts ${EDITOR_DEMO}/${cut}.tl)
endforeach()
add_custom_command(OUTPUT ${demo_outputs}
  BYPRODUCTS ${demo_byproducts}
  COMMAND ${CMAKE_COMMAND} -DORVINA=${ORVINA_HOST_ORVINA} -DSOURCE=${EDITOR_DEMO_SOURCE}
          -DOUT=${EDITOR_DEMO} -P ${CMAKE_SOURCE_DIR}/cmake/draw_film.cmake
  DEPENDS ${demo_sources} ${CMAKE_SOURCE_DIR}/cmake/draw_film.cmake
  COMMENT "Drawing the demo film in ${EDITOR_DEMO}" VERBATIM)
add_custom_target(editor_demo_film DEPENDS ${demo_outputs})
add_dependencies(editor_demo_film orvina_host)
# OrvinaDeveloper is declared after this file is included; the dependency is added once the
# folder's CMakeLists.txt has been read.
cmake_language(DEFER CALL add_dependencies OrvinaDeveloper editor_demo_film)
