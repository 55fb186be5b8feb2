# Installing and packaging.
#
# Linux: bin/folantra-host and bin/folantra-preflight, the plug-in with its
# resources in lib/folantra/XTensions (where the host looks from bin/), man
# pages, the samples and the documentation; `cpack -G DEB` in the build folder
# makes a Debian package of it.
# Windows: the plug-in DLL (its resources are inside it) in XTensions/;
# `cpack -G ZIP` makes a zip of it.
include(GNUInstallDirs)

if(WIN32)
  install(TARGETS folantra_plugin LIBRARY DESTINATION XTensions RUNTIME DESTINATION XTensions)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  install(TARGETS folantra_plugin LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/folantra/XTensions)
  file(GLOB installed_resources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.xml ${CMAKE_SOURCE_DIR}/resources/*.ini)
  install(FILES ${installed_resources} DESTINATION ${CMAKE_INSTALL_LIBDIR}/folantra/XTensions/Folantra.resources)
  install(TARGETS folantra-host folantra-preflight RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/folantra/samples)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/document-format.md
                ${CMAKE_SOURCE_DIR}/docs/style-file.md ${CMAKE_SOURCE_DIR}/docs/ui-script.md
          DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # A man page for each program, made from its --help and --version.
  find_program(HELP2MAN help2man)
  if(HELP2MAN AND NOT CMAKE_CROSSCOMPILING)
    set(man_pages)
    foreach(program IN ITEMS folantra-host folantra-preflight)
      if(program STREQUAL "folantra-host")
        set(summary "substitute page-layout host that prints documents through the Folantra plug-in")
      else()
        set(summary "show, check and draw the page boxes of a distilled PDF")
      endif()
      set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
      add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                ${HELP2MAN} --no-info --no-discard-stderr --name=${summary} --output=${page} $<TARGET_FILE:${program}>
        DEPENDS ${program}
        COMMENT "Man page of ${program}" VERBATIM)
      list(APPEND man_pages ${page})
    endforeach()
    add_custom_target(man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "ghostscript")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
endif()

set(CPACK_PACKAGE_NAME folantra)
set(CPACK_PACKAGE_VENDOR "Kestrovan")
set(CPACK_PACKAGE_CONTACT "Folantra developers <folantra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Print plug-in that gives distilled PDFs page boxes, document info and page borders")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
include(CPack)
