# The Windows programs (included by the top CMakeLists in WIN32 builds): the player, its
# resources, and the Win32 test programs that run under Wine.
enable_language(RC)

set(ORVINA_PLAYER_VERSION "1.0")
set(ORVINA_WIN32_LIBRARIES comctl32 comdlg32 shell32 winmm gdi32 user32 kernel32)

# Tools the build runs: the native orvina, made from the same sources with the host compiler,
# or one already built (-DORVINA_HOST_ORVINA=path, as scripts/test.sh passes its native build).
set(ORVINA_HOST_ORVINA "" CACHE FILEPATH "A native orvina the build may use instead of making its own")
if(ORVINA_HOST_ORVINA)
  add_custom_target(orvina_host)
else()
  include(ExternalProject)
  set(ORVINA_HOST_DIR ${CMAKE_BINARY_DIR}/host)
  set(ORVINA_HOST_ORVINA ${ORVINA_HOST_DIR}/orvina)
  ExternalProject_Add(orvina_host
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${ORVINA_HOST_DIR}
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DORVINA_TESTS=OFF
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${ORVINA_HOST_DIR} --target orvina
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${ORVINA_HOST_ORVINA})
endif()

# Player resources made at build time from the sources in player/res: the icon and toolbar
# images (ImageMagick), and the built-in animation, a title card drawn as a cut and compiled
# by orvina.
set(PLAYER_RES ${CMAKE_BINARY_DIR}/player-res)
file(MAKE_DIRECTORY ${PLAYER_RES})
set(PLAYER_RES_SOURCE ${CMAKE_SOURCE_DIR}/player/res)
# ImageMagick's own convert (Debian's package) before any other program of that name.
find_program(ORVINA_CONVERT convert PATHS /usr/bin NO_DEFAULT_PATH)
find_program(ORVINA_CONVERT convert REQUIRED)
add_custom_command(OUTPUT ${PLAYER_RES}/player_icon.ico
  COMMAND ${ORVINA_CONVERT} ${PLAYER_RES_SOURCE}/player_icon.xpm -define icon:auto-resize=32,16
          ${PLAYER_RES}/player_icon.ico
  DEPENDS ${PLAYER_RES_SOURCE}/player_icon.xpm VERBATIM)
add_custom_command(OUTPUT ${PLAYER_RES}/player_toolbar.bmp
  COMMAND ${ORVINA_CONVERT} ${PLAYER_RES_SOURCE}/player_toolbar.xpm -type Palette
          BMP3:${PLAYER_RES}/player_toolbar.bmp
  DEPENDS ${PLAYER_RES_SOURCE}/player_toolbar.xpm VERBATIM)
add_custom_command(OUTPUT ${PLAYER_RES}/built_in.tl
  COMMAND ${CMAKE_COMMAND} -DOUT=${PLAYER_RES}/title_card.json -DVERSION=${ORVINA_PLAYER_VERSION}
          -P ${PLAYER_RES_SOURCE}/title_card.cmake
  COMMAND ${ORVINA_HOST_ORVINA} cut build ${PLAYER_RES}/title_card.json -o ${PLAYER_RES}/title_card.cut
  COMMAND ${ORVINA_HOST_ORVINA} cut compile ${PLAYER_RES}/title_card.cut -o ${PLAYER_RES}/built_in.tl
  DEPENDS ${PLAYER_RES_SOURCE}/title_card.cmake ${ORVINA_HOST_ORVINA} orvina_host VERBATIM)
set(PLAYER_RESOURCE_FILES
  ${PLAYER_RES}/player_icon.ico ${PLAYER_RES}/player_toolbar.bmp ${PLAYER_RES}/built_in.tl)

# OrvinaPlayer.exe
file(GLOB ORVINA_PLAYER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/player/*.cpp)
set(PLAYER_RC ${CMAKE_SOURCE_DIR}/player/player.rc)
set_source_files_properties(${PLAYER_RC} PROPERTIES OBJECT_DEPENDS "${PLAYER_RESOURCE_FILES}")
add_executable(OrvinaPlayer WIN32 ${ORVINA_PLAYER_SOURCES} ${PLAYER_RC})
target_include_directories(OrvinaPlayer PRIVATE ${CMAKE_SOURCE_DIR} ${PLAYER_RES})
target_compile_options(OrvinaPlayer PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${ORVINA_WARNINGS}>)
target_link_libraries(OrvinaPlayer PRIVATE orvina_core ${ORVINA_WIN32_LIBRARIES})
set_target_properties(OrvinaPlayer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Win32 test programs (GoogleTest built for Windows), in tests/ of the build tree; only in the
# build that this machine's Wine runs (ORVINA_WIN32_TESTS).
if(NOT ORVINA_WIN32_TESTS)
  return()
endif()
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

function(orvina_win32_test name)
  file(GLOB sources CONFIGURE_DEPENDS ${ARGN})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ORVINA_WARNINGS})
  target_link_libraries(${name} PRIVATE orvina_core gtest ${ORVINA_WIN32_LIBRARIES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endfunction()

# The animation window in-process: the engine's tick counting, dissolves and periods (the
# native tests, built for Windows too), the timer, painting, and its measurements.
orvina_win32_test(anim_window_test ${CMAKE_SOURCE_DIR}/tests/win32/anim/*.cpp
                  ${CMAKE_SOURCE_DIR}/tests/anim/playback_test.cpp)
# Drives OrvinaPlayer.exe as a user does (tests/wine/player.sh).
orvina_win32_test(player_driver ${CMAKE_SOURCE_DIR}/tests/win32/player/*.cpp)
if(TARGET player_driver)
  add_dependencies(player_driver OrvinaPlayer)
endif()
