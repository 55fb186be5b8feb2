# The mac toolkit: the AppKit layer in Objective-C++ (ui/mac and the other
# */mac folders), built as a bundle on Apple platforms and against GNUstep
# elsewhere. Included from the top-level CMakeLists.txt with FOLANTRA_SOURCES
# holding the shared sources and the mac folders' ones.

if(NOT APPLE)
  include(${CMAKE_SOURCE_DIR}/cmake/GNUstep.cmake)
endif()

# The CoreFoundation seam: Apple's own, or Foundation standing in for it.
if(APPLE)
  list(FILTER FOLANTRA_SOURCES EXCLUDE REGEX "_gnustep\\.mm$")
else()
  list(FILTER FOLANTRA_SOURCES EXCLUDE REGEX "_apple\\.mm$")
  folantra_objcxx_sources(${FOLANTRA_SOURCES})
endif()

include(${CMAKE_SOURCE_DIR}/cmake/MacBundle.cmake)
set(FOLANTRA_BUNDLE_IDENTIFIER "com.kestrovan.folantra" CACHE STRING "The plug-in bundle's identifier")
set(FOLANTRA_CODESIGN_IDENTITY "-" CACHE STRING
  "The identity that signs the macOS bundle: - (ad hoc) or a site's Developer ID Application identity")

function(folantra_mac_core target)
  target_compile_definitions(${target} PUBLIC FOLANTRA_BUNDLE_IDENTIFIER="${FOLANTRA_BUNDLE_IDENTIFIER}")
  if(APPLE)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:OBJCXX,OBJC>:-fno-objc-arc>)
    target_link_libraries(${target} PUBLIC "-framework Cocoa" "-framework CoreFoundation")
  else()
    target_link_libraries(${target} PUBLIC ${FOLANTRA_GUI_LIBS} ${CMAKE_DL_LIBS})
  endif()
endfunction()

# The plug-in as a bundle, Folantra.xnt, with the string tables, the window
# descriptions and the interface files in its resources.
function(folantra_mac_bundle target)
  file(GLOB resource_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.xml ${CMAKE_SOURCE_DIR}/resources/*.ini)
  file(GLOB interface_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.xib)
  if(APPLE)
    # Contents/Info.plist, Contents/MacOS/Folantra (every architecture of
    # CMAKE_OSX_ARCHITECTURES in one file), Contents/Resources; the .xib files
    # compiled to nibs by Xcode's ibtool; then the whole bundle signed.
    folantra_mac_info_plist(${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/Info.plist.in "${CMAKE_OSX_DEPLOYMENT_TARGET}")
    set_target_properties(${target} PROPERTIES BUNDLE TRUE BUNDLE_EXTENSION xnt OUTPUT_NAME Folantra
      PREFIX "" SUFFIX ""
      MACOSX_BUNDLE_INFO_PLIST ${CMAKE_BINARY_DIR}/Info.plist.in
      MACOSX_BUNDLE_GUI_IDENTIFIER ${FOLANTRA_BUNDLE_IDENTIFIER}
      MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION})
    target_sources(${target} PRIVATE ${resource_files})
    set_source_files_properties(${resource_files} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
    find_program(IBTOOL ibtool REQUIRED)
    foreach(xib IN LISTS interface_files)
      get_filename_component(stem ${xib} NAME_WE)
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${IBTOOL} --compile $<TARGET_BUNDLE_CONTENT_DIR:${target}>/Resources/${stem}.nib ${xib} VERBATIM)
    endforeach()
    # Signed last, after every file of the bundle is in place.
    find_program(CODESIGN codesign REQUIRED)
    folantra_mac_sign_commands(sign_commands ${CODESIGN} $<TARGET_BUNDLE_DIR:${target}> "${FOLANTRA_CODESIGN_IDENTITY}")
    add_custom_command(TARGET ${target} POST_BUILD ${sign_commands} VERBATIM)
    target_link_options(${target} PRIVATE
      -Wl,-exported_symbols_list,${CMAKE_SOURCE_DIR}/host/mac/exports.txt)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/host/mac/exports.txt)
  else()
    # GNUstep's layout: Folantra.xnt/Folantra and Folantra.xnt/Resources with
    # Info-gnustep.plist; GNUstep loads the .xib files as they are.
    set(bundle ${FOLANTRA_XTENSIONS_DIR}/Folantra.xnt)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME Folantra PREFIX "" SUFFIX ""
      LIBRARY_OUTPUT_DIRECTORY ${bundle})
    target_link_options(${target} PRIVATE
      -Wl,--version-script=${CMAKE_SOURCE_DIR}/host/exports.map -Wl,--no-undefined)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/host/exports.map)
    set(PLIST_IDENTIFIER ${FOLANTRA_BUNDLE_IDENTIFIER})
    set(PLIST_VERSION ${PROJECT_VERSION})
    configure_file(${CMAKE_SOURCE_DIR}/resources/mac/Info-gnustep.plist.in ${CMAKE_BINARY_DIR}/Info-gnustep.plist @ONLY)
    # The copy runs after a link: a changed resource links the plug-in again.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${resource_files} ${interface_files})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${bundle}/Resources
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${resource_files} ${interface_files}
              ${CMAKE_BINARY_DIR}/Info-gnustep.plist ${bundle}/Resources VERBATIM)
  endif()
endfunction()
