# The web configuration's libraries and page. The C libraries (SDL 1.2,
# FreeType) come from TESSARIL_WEB_DEPS, built from Debian's source packages
# by tools/web-deps.sh; SDL_image, SDL_ttf and SDL_mixer are stood in for by
# framework/web/ (BMP pictures through SDL; SDL_ttf's names mapped onto
# framework/fwTrueType over FreeType; SDL_mixer's onto the browser's Web Audio,
# which decodes the sounds itself).
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "TESSARIL_WEB needs emscripten's toolchain (emcmake cmake ...)")
endif()
if(NOT EXISTS "${TESSARIL_WEB_DEPS}/lib/libSDL.a")
  message(FATAL_ERROR "TESSARIL_WEB_DEPS (${TESSARIL_WEB_DEPS}) holds no libSDL.a: run tools/web-deps.sh")
endif()

# Built for size: -Oz and link-time optimisation over the game's code keep
# the module within its download budget.
add_compile_options(-Oz -flto)

add_library(tessaril_web_sdl INTERFACE)
target_include_directories(tessaril_web_sdl SYSTEM INTERFACE
  ${TESSARIL_WEB_DEPS}/include/SDL ${TESSARIL_WEB_DEPS}/include/freetype2
  ${PROJECT_SOURCE_DIR}/framework/web)
target_compile_definitions(tessaril_web_sdl INTERFACE _GNU_SOURCE=1 TESSARIL_WEB=1)
foreach(lib SDL freetype)
  target_link_libraries(tessaril_web_sdl INTERFACE ${TESSARIL_WEB_DEPS}/lib/lib${lib}.a)
endforeach()
set(TESSARIL_SDL tessaril_web_sdl)

# The published folder: the page (index.html, page.js, its manifest and icons,
# the service worker sw.js), tessaril.js, tessaril.wasm and tessaril.data (the
# media, read from /tessaril/data), the music's tracks under their names in
# the working folder (data/musics/, fetched by the page after the title), the
# effects' MP3 copies (data/sounds/), and licences/.
set(TESSARIL_WEB_SITE "${CMAKE_BINARY_DIR}/site" CACHE PATH "The web build's page folder")
# Files packaged into the game's working folder when the folder exists: a
# puzzle.txt for the load key, a playlist.txt.
set(TESSARIL_WEB_FILES "${PROJECT_SOURCE_DIR}/web/files" CACHE PATH
    "Files the web build finds in its working folder")

# The tracks stay out of tessaril.data: in their place it holds an empty file
# of each name, so that the play list finds them in the working folder.
file(GLOB TESSARIL_WEB_TRACKS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/musics/*.ogg)
# The tracks' MP3 copies, for a browser without Ogg Vorbis.
file(GLOB TESSARIL_WEB_MP3_TRACKS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data-web/musics/*.mp3)
# The effects' MP3 copies, fetched by such a browser from data/sounds/.
file(GLOB TESSARIL_WEB_MP3_SOUNDS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data-web/sounds/*.mp3)
set(TESSARIL_WEB_TRACK_NAMES ${CMAKE_BINARY_DIR}/track-names)
file(MAKE_DIRECTORY ${TESSARIL_WEB_TRACK_NAMES})
foreach(track ${TESSARIL_WEB_TRACKS})
  get_filename_component(name ${track} NAME)
  file(TOUCH ${TESSARIL_WEB_TRACK_NAMES}/${name})
endforeach()

function(tessaril_web_page target)
  set(library ${PROJECT_SOURCE_DIR}/framework/web/fwWeb.js)
  set(store_library ${PROJECT_SOURCE_DIR}/framework/web/fwWebStore.js)
  set(audio_library ${PROJECT_SOURCE_DIR}/framework/web/fwWebAudio.js)
  target_link_options(${target} PRIVATE
    -Oz -flto -sMALLOC=emmalloc -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=33554432 -sENVIRONMENT=web
    -sEXIT_RUNTIME=0 -sFORCE_FILESYSTEM -sEXPORTED_RUNTIME_METHODS=[FS] -lidbfs.js
    "SHELL:--js-library ${library}" "SHELL:--js-library ${store_library}"
    "SHELL:--js-library ${audio_library}"
    # The media without what the page never reads (the window's icon), reads
    # compressed (the sound effects as Ogg Vorbis from data-web/) or fetches
    # itself: the tracks after the title (only their names packaged), the
    # effects' MP3 copies only where the browser has no Ogg Vorbis.
    "SHELL:--exclude-file *.wav" "SHELL:--exclude-file *.png" "SHELL:--exclude-file *.mp3"
    "SHELL:--exclude-file ${PROJECT_SOURCE_DIR}/data/musics/*"
    "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/data@/tessaril/data"
    "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/data-web/sounds@/tessaril/data/sounds"
    "SHELL:--preload-file ${TESSARIL_WEB_TRACK_NAMES}@/tessaril/data/musics"
    # The catalogues: data/po links to po/, whose template and README the game never reads.
    "SHELL:--exclude-file *.pot" "SHELL:--exclude-file */po/README.md"
    "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/po@/tessaril/data/po")
  if(IS_DIRECTORY ${TESSARIL_WEB_FILES})
    target_link_options(${target} PRIVATE "SHELL:--preload-file ${TESSARIL_WEB_FILES}@/tessaril")
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${library} ${store_library}
    ${audio_library})
  set_target_properties(${target} PROPERTIES SUFFIX ".js"
    RUNTIME_OUTPUT_DIRECTORY ${TESSARIL_WEB_SITE})
  # The page's own files, the licences of what it bundles and the service
  # worker (its hash over every file of the folder), after every build.
  add_custom_target(${target}_site ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSARIL_WEB_SITE}/data/musics
    COMMAND ${CMAKE_COMMAND} -E copy ${TESSARIL_WEB_TRACKS} ${TESSARIL_WEB_MP3_TRACKS}
            ${TESSARIL_WEB_SITE}/data/musics/
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSARIL_WEB_SITE}/data/sounds
    COMMAND ${CMAKE_COMMAND} -E copy ${TESSARIL_WEB_MP3_SOUNDS} ${TESSARIL_WEB_SITE}/data/sounds/
    COMMAND ${PROJECT_SOURCE_DIR}/tools/web-site.sh ${TESSARIL_WEB_SITE} ${TESSARIL_WEB_DEPS}
    COMMENT "The page, its licences and its service worker in ${TESSARIL_WEB_SITE}")
  add_dependencies(${target}_site ${target})
endfunction()
