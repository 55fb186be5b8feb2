# Objective-C++ (.mm) sources against GNUstep's AppKit and Foundation: the
# compile flags that gnustep-config names, with its headers as system headers
# so that warnings stay ours, and the libraries to link.
find_program(GNUSTEP_CONFIG gnustep-config REQUIRED)
execute_process(COMMAND ${GNUSTEP_CONFIG} --objc-flags OUTPUT_VARIABLE gs_objc_flags OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${GNUSTEP_CONFIG} --gui-libs OUTPUT_VARIABLE gs_gui_libs OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(gs_objc_flags UNIX_COMMAND "${gs_objc_flags}")
separate_arguments(gs_gui_libs UNIX_COMMAND "${gs_gui_libs}")
set(FOLANTRA_OBJC_FLAGS)
foreach(flag IN LISTS gs_objc_flags)
  if(flag MATCHES "^-I(.+)$")
    if(NOT CMAKE_MATCH_1 STREQUAL ".")
      list(APPEND FOLANTRA_OBJC_FLAGS -isystem ${CMAKE_MATCH_1})
    endif()
  elseif(flag MATCHES "^-(D|f)" AND NOT flag STREQUAL "-fPIC")
    list(APPEND FOLANTRA_OBJC_FLAGS ${flag})
  endif()
endforeach()
list(APPEND FOLANTRA_OBJC_FLAGS -pthread)
set(FOLANTRA_OBJC_C_FLAGS -x objective-c ${FOLANTRA_OBJC_FLAGS})
set(FOLANTRA_OBJC_FLAGS -x objective-c++ -Wno-subobject-linkage ${FOLANTRA_OBJC_FLAGS})
set(FOLANTRA_GUI_LIBS ${gs_gui_libs})

# Marks the .mm files among `sources` as Objective-C++ compiled by the C++
# compiler, and the .m files as Objective-C compiled by the C compiler.
function(folantra_objcxx_sources)
  foreach(src IN LISTS ARGN)
    if(src MATCHES "\\.mm$")
      set_source_files_properties(${src} PROPERTIES LANGUAGE CXX COMPILE_OPTIONS "${FOLANTRA_OBJC_FLAGS}")
    elseif(src MATCHES "\\.m$")
      set_source_files_properties(${src} PROPERTIES LANGUAGE C COMPILE_OPTIONS "${FOLANTRA_OBJC_C_FLAGS}")
    endif()
  endforeach()
endfunction()
