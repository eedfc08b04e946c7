# The web configuration's libraries and page. The C libraries (SDL 1.2,
# SDL_mixer with Ogg Vorbis, FreeType) come from TESSARIL_WEB_DEPS, built from
# Debian's source packages by tools/web-deps.sh; SDL_image and SDL_ttf are
# stood in for by framework/web/ (BMP pictures through SDL; SDL_ttf's names
# mapped onto framework/fwTrueType over FreeType).
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "TESSARIL_WEB needs emscripten's toolchain (emcmake cmake ...)")
endif()
if(NOT EXISTS "${TESSARIL_WEB_DEPS}/lib/libSDL.a")
  message(FATAL_ERROR "TESSARIL_WEB_DEPS (${TESSARIL_WEB_DEPS}) holds no libSDL.a: run tools/web-deps.sh")
endif()

add_library(tessaril_web_sdl INTERFACE)
target_include_directories(tessaril_web_sdl SYSTEM INTERFACE
  ${TESSARIL_WEB_DEPS}/include/SDL ${TESSARIL_WEB_DEPS}/include/freetype2
  ${PROJECT_SOURCE_DIR}/framework/web)
target_compile_definitions(tessaril_web_sdl INTERFACE _GNU_SOURCE=1 TESSARIL_WEB=1)
foreach(lib SDL_mixer vorbisfile vorbis ogg SDL freetype)
  target_link_libraries(tessaril_web_sdl INTERFACE ${TESSARIL_WEB_DEPS}/lib/lib${lib}.a)
endforeach()
set(TESSARIL_SDL tessaril_web_sdl)

# The published folder: the page (index.html, page.js, its manifest and icons,
# the service worker sw.js), tessaril.js, tessaril.wasm and tessaril.data (the
# media, read from /tessaril/data), and licences/.
set(TESSARIL_WEB_SITE "${CMAKE_BINARY_DIR}/site" CACHE PATH "The web build's page folder")
# Files packaged into the game's working folder when the folder exists: a
# puzzle.txt for the load key, a playlist.txt.
set(TESSARIL_WEB_FILES "${PROJECT_SOURCE_DIR}/web/files" CACHE PATH
    "Files the web build finds in its working folder")

function(tessaril_web_page target)
  set(library ${PROJECT_SOURCE_DIR}/framework/web/fwWeb.js)
  set(store_library ${PROJECT_SOURCE_DIR}/framework/web/fwWebStore.js)
  target_link_options(${target} PRIVATE
    -Os -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=33554432 -sENVIRONMENT=web
    -sEXIT_RUNTIME=0 -sFORCE_FILESYSTEM -sEXPORTED_RUNTIME_METHODS=[FS] -lidbfs.js
    "SHELL:--js-library ${library}" "SHELL:--js-library ${store_library}"
    # The media without what the page never reads (the window's icon) or
    # reads compressed: the sound effects as Ogg Vorbis from data-web/.
    "SHELL:--exclude-file *.wav" "SHELL:--exclude-file *.png"
    "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/data@/tessaril/data"
    "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/data-web/sounds@/tessaril/data/sounds"
    # The catalogues: data/po links to po/, whose template and README the game never reads.
    "SHELL:--exclude-file *.pot" "SHELL:--exclude-file */po/README.md"
    "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/po@/tessaril/data/po")
  if(IS_DIRECTORY ${TESSARIL_WEB_FILES})
    target_link_options(${target} PRIVATE "SHELL:--preload-file ${TESSARIL_WEB_FILES}@/tessaril")
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${library} ${store_library})
  set_target_properties(${target} PROPERTIES SUFFIX ".js"
    RUNTIME_OUTPUT_DIRECTORY ${TESSARIL_WEB_SITE})
  # The page's own files, the licences of what it bundles and the service
  # worker (its hash over every file of the folder), after every build.
  add_custom_target(${target}_site ALL
    COMMAND ${PROJECT_SOURCE_DIR}/tools/web-site.sh ${TESSARIL_WEB_SITE} ${TESSARIL_WEB_DEPS}
    COMMENT "The page, its licences and its service worker in ${TESSARIL_WEB_SITE}")
  add_dependencies(${target}_site ${target})
endfunction()
