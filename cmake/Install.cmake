# "cmake --install": the program, its help pages and examples, and the desktop entry,
# icon and MIME type that let a file manager open *.tab scores with Plekto.
include(GNUInstallDirs)
install(TARGETS plekto RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/help)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/plekto/help)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/plekto/examples
  FILES_MATCHING PATTERN "*.tab")
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/plekto.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/plekto-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME plekto.xml)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/plekto.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
