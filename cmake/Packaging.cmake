# Installing and packaging.
#
# Linux: bin/folantra-host and bin/folantra-preflight, the plug-in with its
# resources in lib/folantra/XTensions (where the host looks from bin/), man
# pages, the samples and the documentation; `cpack -G DEB` in the build folder
# makes a Debian package of it, laid out as Debian's policy asks (lintian
# checks it: tests/package/lintian-deb.sh).
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
  # Debian names the documentation folder after the package.
  set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/folantra)
  # Folders as Debian wants them whatever the umask of the build.
  set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  install(TARGETS folantra_plugin LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/folantra/XTensions)
  file(GLOB installed_resources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.xml ${CMAKE_SOURCE_DIR}/resources/*.ini)
  install(FILES ${installed_resources} DESTINATION ${CMAKE_INSTALL_LIBDIR}/folantra/XTensions/Folantra.resources)
  install(TARGETS folantra-host folantra-preflight RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A stripped install (cpack's) also drops the compiler's .comment section, as Debian's own strip step does.
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      foreach(binary ${CMAKE_INSTALL_BINDIR}/folantra-host ${CMAKE_INSTALL_BINDIR}/folantra-preflight
                     ${CMAKE_INSTALL_LIBDIR}/folantra/XTensions/Folantra.xnt)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${binary}\" COMMAND_ERROR_IS_FATAL ANY)
      endforeach()
    endif()")
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/document-format.md
                ${CMAKE_SOURCE_DIR}/docs/style-file.md ${CMAKE_SOURCE_DIR}/docs/ui-script.md
          DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # The copyright file in Debian's machine-readable format and the changelog,
  # compressed as Debian's tools compress it (gzip -9n: no name, no time).
  set(debian_dir ${CMAKE_SOURCE_DIR}/cmake/debian)
  file(STRINGS ${debian_dir}/changelog changelog_head LIMIT_COUNT 1)
  if(NOT changelog_head MATCHES "^folantra \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "cmake/debian/changelog begins with \"${changelog_head}\": its first entry is of version "
                        "${PROJECT_VERSION}, the project's")
  endif()
  find_program(GZIP gzip REQUIRED)
  set(changelog_gz ${CMAKE_BINARY_DIR}/debian/changelog.gz)
  add_custom_command(OUTPUT ${changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/debian
    COMMAND sh -c "\"$1\" -9n -c \"$2\" > \"$3\"" sh ${GZIP} ${debian_dir}/changelog ${changelog_gz}
    DEPENDS ${debian_dir}/changelog
    COMMENT "Compressing the changelog" VERBATIM)
  add_custom_target(debian_changelog ALL DEPENDS ${changelog_gz})
  install(FILES ${debian_dir}/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # A man page for each program, made from its --help and --version, compressed.
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
      add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                ${HELP2MAN} --no-info --no-discard-stderr --name=${summary} --output=${page} $<TARGET_FILE:${program}>
        COMMAND ${GZIP} -9nf ${page}
        DEPENDS ${program}
        COMMENT "Man page of ${program}" VERBATIM)
      list(APPEND man_pages ${page}.gz)
    endforeach()
    add_custom_target(man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "ghostscript")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Folantra is a print plug-in (an XTension) for a page-layout host. While a
document prints, it writes PostScript into the job, so that the PDF distilled
from it carries page boxes, the document's title, author and keywords, an
optional page scale and a thin border.
.
This package holds the Linux build of the plug-in with its resources,
folantra-host, a substitute host that loads it and prints documents through it
into PostScript (Ghostscript is the distiller), and folantra-preflight, which
shows, checks and draws the page boxes of a distilled PDF.]])
endif()

set(CPACK_PACKAGE_NAME folantra)
set(CPACK_PACKAGE_VENDOR "Kestrovan")
set(CPACK_PACKAGE_CONTACT "Folantra developers <folantra@kestrovan.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "print plug-in: page boxes, document info and borders in distilled PDFs")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
include(CPack)
