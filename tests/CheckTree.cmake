# Tests write only into temporary folders. Run with MODE=snapshot before the tests and MODE=check
# after them: the check fails when the source tree's git status changed meanwhile, or when a
# file the program or the lab writes appeared (or was rewritten) in the source or build tree.
#
#   cmake -DMODE=snapshot|check -DSOURCE=<dir> -DBUILD=<dir> -DSNAPSHOT=<file> -P CheckTree.cmake

set(written Quillo.bin Quillo.bin.*.new QuilloUpgrade.exe QuilloHistory.db* QuilloHistory.conf ca-key.pem)

function(tree_state out)
  # Outside a git checkout (a source archive) only the written files are compared.
  set(status "")
  find_program(GIT git)
  if(GIT AND EXISTS ${SOURCE}/.git)
    execute_process(COMMAND ${GIT} -C ${SOURCE} status --porcelain --untracked-files=all
                    OUTPUT_VARIABLE status RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "git status failed in ${SOURCE}")
    endif()
  endif()
  set(files)
  foreach(root IN ITEMS ${SOURCE} ${BUILD})
    foreach(name IN LISTS written)
      file(GLOB_RECURSE found ${root}/${name})
      list(APPEND files ${found})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES files)
  list(SORT files)
  set(state "${status}")
  foreach(file IN LISTS files)
    file(TIMESTAMP ${file} stamp "%Y-%m-%d %H:%M:%S")
    string(APPEND state "written: ${file} ${stamp}\n")
  endforeach()
  set(${out} "${state}" PARENT_SCOPE)
endfunction()

tree_state(now)
if(MODE STREQUAL "snapshot")
  file(WRITE ${SNAPSHOT} "${now}")
  return()
endif()
file(READ ${SNAPSHOT} before)
if(NOT now STREQUAL before)
  message(FATAL_ERROR "A test wrote outside its temporary folders.\n"
                      "Before the tests:\n${before}\nAfter them:\n${now}")
endif()
message(STATUS "The source and build trees are as the tests found them.")
