# Lays the handheld's own pictures over the media tree: DEST/data becomes
# SOURCE/data with every file of SOURCE/data-handheld in place of the file of
# the same path. Folders and files that the handheld shares with the desktop
# are symbolic links into SOURCE/data, so the tree stays current and small.
#   cmake -DSOURCE=<repository> -DDEST=<folder> -P handheld-media.cmake
file(REMOVE_RECURSE ${DEST}/data)
file(MAKE_DIRECTORY ${DEST}/data)
file(GLOB parts RELATIVE ${SOURCE}/data ${SOURCE}/data/*)
foreach(part IN LISTS parts)
  if(IS_DIRECTORY ${SOURCE}/data-handheld/${part})
    # a folder with own files: links to the shared files, copies of the own
    file(MAKE_DIRECTORY ${DEST}/data/${part})
    file(GLOB files RELATIVE ${SOURCE}/data/${part} ${SOURCE}/data/${part}/*)
    foreach(name IN LISTS files)
      if(EXISTS ${SOURCE}/data-handheld/${part}/${name})
        file(COPY ${SOURCE}/data-handheld/${part}/${name} DESTINATION ${DEST}/data/${part})
      else()
        file(CREATE_LINK ${SOURCE}/data/${part}/${name} ${DEST}/data/${part}/${name} SYMBOLIC)
      endif()
    endforeach()
  else()
    file(CREATE_LINK ${SOURCE}/data/${part} ${DEST}/data/${part} SYMBOLIC)
  endif()
endforeach()
