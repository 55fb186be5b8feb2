# The macOS bundle's Info.plist and its signature, as functions that the
# build (cmake/MacToolkit.cmake) and a check without a Mac
# (tests/macbundle/check.cmake) share.

# Configures resources/mac/Info.plist.in into `out`, with LSMinimumSystemVersion
# the deployment target; the ${MACOSX_BUNDLE_...} fields stay for CMake to fill
# when it writes the bundle.
function(folantra_mac_info_plist source_dir out deployment_target)
  if(NOT deployment_target MATCHES "^[0-9]+(\\.[0-9]+)*$")
    message(FATAL_ERROR "The macOS bundle needs a deployment target (CMAKE_OSX_DEPLOYMENT_TARGET), not \"${deployment_target}\"")
  endif()
  set(FOLANTRA_MINIMUM_SYSTEM_VERSION ${deployment_target})
  configure_file(${source_dir}/resources/mac/Info.plist.in ${out} @ONLY)
endfunction()

# The commands that sign the bundle and verify the signature, into `var`:
# ad hoc with the identity "-", otherwise with the site's identity (a
# Developer ID Application certificate in the keychain), the hardened runtime
# and a secure timestamp, as notarisation asks.
function(folantra_mac_sign_commands var codesign bundle identity)
  if(identity STREQUAL "-")
    set(sign COMMAND ${codesign} --force --sign - ${bundle})
  else()
    set(sign COMMAND ${codesign} --force --sign ${identity} --options runtime --timestamp ${bundle})
  endif()
  set(${var} ${sign} COMMAND ${codesign} --verify --strict --verbose=2 ${bundle} PARENT_SCOPE)
endfunction()
