# Windows builds (included by the top CMakeLists): what the Windows programs share, the tools
# the build runs, the programs and the Win32 test programs that run under Wine.
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

add_subdirectory(${CMAKE_SOURCE_DIR}/player ${CMAKE_BINARY_DIR}/player-build)
add_subdirectory(${CMAKE_SOURCE_DIR}/editor ${CMAKE_BINARY_DIR}/editor-build)
if(ORVINA_WIN32_TESTS)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/win32 ${CMAKE_BINARY_DIR}/tests-build)
endif()
