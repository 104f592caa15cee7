# The browser build: emcmake cmake with the libraries that tools/web/build_libs.sh
# built for WebAssembly. The program is a script and a .wasm beside the page
# of web/, with the sounds packed into one data file that the page fetches.
# The site folder holds only what a host serves, with a service worker that
# keeps it all for offline play.
set(REZARUDEV_WEB_PREFIX ${CMAKE_BINARY_DIR}/prefix CACHE PATH "Where tools/web/build_libs.sh put the libraries")
set(REZARUDEV_WEB_SITE ${CMAKE_BINARY_DIR}/site CACHE PATH "Where the page and its files are put")
foreach(option REZARUDEV_TESTS REZARUDEV_BENCH REZARUDEV_TOOLS REZARUDEV_SANITIZE REZARUDEV_FUZZ)
  set(${option} OFF CACHE BOOL "Not in the browser build" FORCE)
endforeach()

# The same target names as the desktop's packages give, so the rest of the
# build does not tell the two apart.
function(rezarudev_web_library target include)
  add_library(${target} INTERFACE IMPORTED)
  set(libraries "")
  foreach(name ${ARGN})
    list(APPEND libraries ${REZARUDEV_WEB_PREFIX}/lib/lib${name}.a)
  endforeach()
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${REZARUDEV_WEB_PREFIX}/${include}
                                             INTERFACE_LINK_LIBRARIES "${libraries}")
endfunction()
rezarudev_web_library(PkgConfig::SDL2 include/SDL2 SDL2)
rezarudev_web_library(PkgConfig::VORBISFILE include vorbisfile vorbis ogg)
rezarudev_web_library(PNG::PNG include png z)
rezarudev_web_library(Freetype::Freetype include/freetype2 freetype z)
# WebGL and threads (there are none) come with the tool chain.
add_library(OpenGL::GL INTERFACE IMPORTED)
add_library(Threads::Threads INTERFACE IMPORTED)

# What the browser does differently lives in src/platform/web/, in files named
# as these desktop ones and behind the same headers; the GL 1.x back end and
# its loader have none there, WebGL being OpenGL ES 2.0 only.
set(REZARUDEV_DESKTOP_ONLY_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/video/gl_renderer.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/video/gl_loader.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/video/display_platform.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/input/input_platform.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/system/disk_sync.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/system/installed_data.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/system/login_name.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/system/program_exit.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/system/save_session.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/system/replay_page.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/system/write_guard.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/input/page_controls.cpp
                                   ${CMAKE_SOURCE_DIR}/src/platform/system/board_link.cpp)

function(rezarudev_web_program target)
  file(GLOB sounds CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*.ogg)
  set(preloads "")
  foreach(sound ${sounds})
    get_filename_component(name ${sound} NAME)
    list(APPEND preloads "SHELL:--preload-file ${sound}@/data/${name}")
  endforeach()
  set_target_properties(${target} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${REZARUDEV_WEB_SITE})
  set(page ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_SOURCE_DIR}/web/start.js ${CMAKE_SOURCE_DIR}/web/controls.js
           ${CMAKE_SOURCE_DIR}/web/touch.js ${CMAKE_SOURCE_DIR}/web/board.js)
  list(APPEND page ${CMAKE_SOURCE_DIR}/web/offline.js ${CMAKE_SOURCE_DIR}/web/manifest.webmanifest)
  set(icons "")
  foreach(size 64 192 512)
    list(APPEND icons ${CMAKE_SOURCE_DIR}/dist/icons/rezarudev-${size}.png)
  endforeach()
  # All the service worker keeps, by name: the page, the program and the icons.
  set(kept ${target}.js ${target}.wasm ${target}.data)
  foreach(file ${page} ${icons})
    get_filename_component(name ${file} NAME)
    list(APPEND kept ${name})
  endforeach()
  list(JOIN kept "," kept)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${sounds} ${CMAKE_SOURCE_DIR}/web/page.js
                                                       ${CMAKE_SOURCE_DIR}/web/storage.js ${CMAKE_SOURCE_DIR}/web/replays.js
                                                       ${page} ${CMAKE_SOURCE_DIR}/web/service_worker.js
                                                       ${CMAKE_SOURCE_DIR}/cmake/WebWorker.cmake)
  # ASYNCIFY lets the game's waits (Flip's pacing, SDL_Delay) hand the
  # thread back to the browser without turning the loop inside out.
  target_link_options(${target} PRIVATE
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sENVIRONMENT=web
    -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1 -sFORCE_FILESYSTEM=1
    "SHELL:-sEXPORTED_RUNTIME_METHODS=FS"
    # Called by the JavaScript inside SDL's audio back end.
    -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/web/sdl_library_functions.json
    "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/web/storage.js" "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/web/page.js"
    "SHELL:--pre-js ${CMAKE_SOURCE_DIR}/web/replays.js" ${preloads})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page} ${icons} ${REZARUDEV_WEB_SITE}
    COMMAND ${CMAKE_COMMAND} -DSITE=${REZARUDEV_WEB_SITE} -DTEMPLATE=${CMAKE_SOURCE_DIR}/web/service_worker.js
            -DFILES=${kept} -P ${CMAKE_SOURCE_DIR}/cmake/WebWorker.cmake
    VERBATIM)
endfunction()
