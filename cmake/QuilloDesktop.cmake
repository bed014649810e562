# Quillo as a desktop application: its id, icons made at build time from one SVG, the desktop
# entry, the AppStream metadata and the manual pages, and where each is installed.

set(QUILLO_APP_ID "org.example.Quillo")  # a reserved example domain: no real company's name
set(QUILLO_ICON_SIZES 16 32 48 64 128 256)
set(QUILLO_ICON_SVG "${PROJECT_SOURCE_DIR}/src/res/icons/quillo.svg")

find_program(RSVG_CONVERT rsvg-convert REQUIRED)

# PNGs of every size, and a Qt resource file that embeds them for the window icon.
function(quillo_icon_resources out_qrc)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/icons")
  set(pngs "")
  set(entries "")
  foreach(size IN LISTS QUILLO_ICON_SIZES)
    set(png "${dir}/quillo-${size}.png")
    add_custom_command(OUTPUT "${png}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} "${QUILLO_ICON_SVG}" -o "${png}"
      DEPENDS "${QUILLO_ICON_SVG}" COMMENT "Drawing the ${size}-pixel icon" VERBATIM)
    list(APPEND pngs "${png}")
    string(APPEND entries "    <file alias=\"quillo-${size}.png\">${png}</file>\n")
  endforeach()
  set(qrc "${CMAKE_CURRENT_BINARY_DIR}/icons.qrc")
  file(WRITE "${qrc}.in" "<RCC>\n  <qresource prefix=\"/icons\">\n${entries}  </qresource>\n</RCC>\n")
  configure_file("${qrc}.in" "${qrc}" COPYONLY)
  set_source_files_properties("${qrc}" PROPERTIES OBJECT_DEPENDS "${pngs}")
  add_custom_target(quillo_icons DEPENDS ${pngs})
  set(QUILLO_ICON_PNG_DIR "${dir}" PARENT_SCOPE)
  set(${out_qrc} "${qrc}" PARENT_SCOPE)

  include(GNUInstallDirs)
  foreach(size IN LISTS QUILLO_ICON_SIZES)
    install(FILES "${dir}/quillo-${size}.png"
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${QUILLO_APP_ID}.png)
  endforeach()
  install(FILES "${QUILLO_ICON_SVG}" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${QUILLO_APP_ID}.svg)
endfunction()

# The desktop entry, the AppStream metadata, the manual page and the package's documents.
function(quillo_install_desktop_files)
  include(GNUInstallDirs)
  set(res "${PROJECT_SOURCE_DIR}/src/res")
  install(FILES "${res}/quillo.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          RENAME ${QUILLO_APP_ID}.desktop)
  install(FILES "${res}/quillo.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
          RENAME ${QUILLO_APP_ID}.metainfo.xml)
  foreach(page quillo.1 quillo-lab.1)
    set(gz "${CMAKE_CURRENT_BINARY_DIR}/${page}.gz")
    add_custom_command(OUTPUT "${gz}"
      COMMAND sh -c "gzip -9nc '${res}/man/${page}' > '${gz}'"
      DEPENDS "${res}/man/${page}" VERBATIM)
    list(APPEND pages "${gz}")
  endforeach()
  set(changelog "${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz")
  add_custom_command(OUTPUT "${changelog}"
    COMMAND sh -c "gzip -9nc '${res}/package/changelog' > '${changelog}'"
    DEPENDS "${res}/package/changelog" VERBATIM)
  add_custom_target(quillo_documents ALL DEPENDS ${pages} "${changelog}")
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES "${res}/package/copyright" "${changelog}"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillo)
endfunction()
