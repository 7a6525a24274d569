# What `cmake --install` puts where: the programs in bin/, their own files in
# share/skimbolt/ (found at run time relative to the program), and the
# desktop entry, AppStream metainfo, theme icons and manual page.
set(_desktop ${CMAKE_CURRENT_SOURCE_DIR}/res/desktop)
set(SKIMBOLT_APP_ID com.vantrelgroup.Skimbolt)

install(TARGETS skimbolt-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/res/pages/ DESTINATION ${SKIMBOLT_INSTALL_DATADIR}/pages)
install(FILES ${_desktop}/skimbolt.1 ${_desktop}/skimbolt-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(SKIMBOLT_BUILD_UI)
  install(TARGETS skimbolt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/res/images/ DESTINATION ${SKIMBOLT_INSTALL_DATADIR}/images
          FILES_MATCHING PATTERN "*.png")
  # The drawings of the tray icon and the splash, drawn at the display's scale at run time.
  install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/res/art/ DESTINATION ${SKIMBOLT_INSTALL_DATADIR}/art
          FILES_MATCHING PATTERN "*.svg")
  # The starter catalogue that Update Sources merges when no update host is set.
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/sources/starter_update.txt
          DESTINATION ${SKIMBOLT_INSTALL_DATADIR}/sources)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/Help/skimbolt.hlp DESTINATION ${SKIMBOLT_INSTALL_DATADIR}/Help)
  install(FILES ${_desktop}/${SKIMBOLT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${_desktop}/${SKIMBOLT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(_size 16 22 24 32 48 64 128 256)
    install(FILES ${_desktop}/icons/${_size}x${_size}/skimbolt.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/art/icon_102.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME skimbolt.svg)
endif()
