# The plug-in's sources use nothing that Apple's libc++ lacks at the bundle's
# deployment target, macOS 10.13 (cmake -P with SOURCE_DIR). Compilers here
# carry no Apple availability markup, so the names are looked for:
#   <charconv>: floating-point to_chars from macOS 13.3, from_chars from
#     macOS 26; the integer overloads gated at 10.15 in older SDKs
#   <filesystem>: macOS 10.15
#   aligned operator new (std::align_val_t): macOS 10.14
#   <format>, <barrier>, <latch>, <semaphore>, atomic wait: macOS 11 and later
cmake_minimum_required(VERSION 3.25)
set(patterns "#include <charconv>" "from_chars" "to_chars" "#include <filesystem>" "std::filesystem" "align_val_t"
             "#include <format>" "#include <barrier>" "#include <latch>" "#include <semaphore>" "\\.wait\\(")
set(found "")
foreach(dir host job postscript output settings util ui log)
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${dir}/*.cpp ${SOURCE_DIR}/${dir}/*.h ${SOURCE_DIR}/${dir}/*.mm)
  foreach(source IN LISTS sources)
    file(READ ${source} text)
    string(REGEX REPLACE "//[^\n]*" "" code "${text}") # comments may name them
    foreach(pattern IN LISTS patterns)
      if(code MATCHES "${pattern}")
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        string(APPEND found "\n  ${name}: ${pattern}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "The plug-in uses what macOS 10.13 lacks:${found}")
endif()
