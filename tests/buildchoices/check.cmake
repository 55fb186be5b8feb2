# The build's two choices, the operating system (FOLANTRA_OS) and the toolkit
# (FOLANTRA_TOOLKIT), refuse what cannot be built, each with its own message:
# `cmake -P` with SOURCE_DIR (the checkout), WORK_DIR (a scratch folder) and
# GENERATOR. Every case configures the tree afresh and must stop at the check.
cmake_minimum_required(VERSION 3.25)
set(failures 0)

function(expect_refused name message)
  set(dir ${WORK_DIR}/${name})
  file(REMOVE_RECURSE ${dir})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${dir} -G ${GENERATOR}
            -DFOLANTRA_TESTS=OFF -DFOLANTRA_HOSTS=OFF ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\n" " " text "${out} ${err}")
  string(REGEX REPLACE " +" " " text "${text}")
  if(result EQUAL 0)
    message(SEND_ERROR "${name}: configured with ${ARGN}, which cannot be built")
    set(failures 1 PARENT_SCOPE)
  elseif(NOT text MATCHES "${message}")
    message(SEND_ERROR "${name}: refused without saying \"${message}\":\n${out}\n${err}")
    set(failures 1 PARENT_SCOPE)
  endif()
  file(REMOVE_RECURSE ${dir})
endfunction()

expect_refused(unknown-os "FOLANTRA_OS is posix or win, not \"dos\"" -DFOLANTRA_OS=dos)
expect_refused(unknown-toolkit "FOLANTRA_TOOLKIT is headless, win or mac, not \"motif\"" -DFOLANTRA_TOOLKIT=motif)
expect_refused(windows-elsewhere "The win operating system is Windows only" -DFOLANTRA_OS=win -DFOLANTRA_TOOLKIT=win)
expect_refused(win32-on-posix "The win toolkit builds for Windows only" -DFOLANTRA_TOOLKIT=win)

if(failures)
  message(FATAL_ERROR "a build choice that cannot be built was taken")
endif()
