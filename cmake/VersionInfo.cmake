# The Windows version resource (VERSIONINFO) of a program or DLL: file and
# product version from the project's version, the company, a description and
# the file's own name, so Explorer's Properties and an inventory tool show
# them. The resource is configured from cmake/versioninfo.rc.in into the build.
#
#   folantra_version_resource(TARGET DESCRIPTION "..." ORIGINAL_NAME name.dll [DLL])
set(FOLANTRA_COMPANY "Kestrovan")
function(folantra_version_resource target)
  cmake_parse_arguments(VI "DLL" "DESCRIPTION;ORIGINAL_NAME" "" ${ARGN})
  set(VI_COMPANY ${FOLANTRA_COMPANY})
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(VI_${part} "${PROJECT_VERSION_${part}}")
    if("${VI_${part}}" STREQUAL "")
      set(VI_${part} 0)
    endif()
  endforeach()
  if(VI_DLL)
    set(VI_FILETYPE VFT_DLL)
  else()
    set(VI_FILETYPE VFT_APP)
  endif()
  set(VI_ORIGINAL ${VI_ORIGINAL_NAME})
  get_filename_component(VI_INTERNAL ${VI_ORIGINAL_NAME} NAME_WE)
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}.version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/versioninfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
