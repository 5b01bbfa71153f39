# Replays every file of a fuzz target's corpus through it once:
#   cmake -DTARGET=exe -DCORPUS=dir [-DCORPUS_ALT=dir] -P replay.cmake
# The corpus is read when the test runs, so files added later need no new configure. A target without a
# corpus has nothing to replay; starting it without inputs would fuzz endlessly instead.
if(NOT EXISTS "${TARGET}")
  message(FATAL_ERROR "fuzz target ${TARGET} was not built")
endif()

set(inputs "")
foreach(dir IN ITEMS "${CORPUS}" "${CORPUS_ALT}")
  if(dir STREQUAL "")
    continue()
  endif()
  file(GLOB found LIST_DIRECTORIES false "${dir}/*")
  list(APPEND inputs ${found})
endforeach()
list(SORT inputs)
list(LENGTH inputs count)
if(count EQUAL 0)
  message(STATUS "no corpus in ${CORPUS}: nothing to replay")
  return()
endif()
message(STATUS "replaying ${count} inputs from ${CORPUS}")

function(replay)
  execute_process(COMMAND "${TARGET}" -timeout=30 -rss_limit_mb=2048 ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TARGET} failed on its corpus (exit status ${result})")
  endif()
endfunction()

# Inputs go in groups to stay well below the command line limit with a large corpus.
set(group "")
foreach(input IN LISTS inputs)
  list(APPEND group "${input}")
  list(LENGTH group size)
  if(size EQUAL 200)
    replay(${group})
    set(group "")
  endif()
endforeach()
if(group)
  replay(${group})
endif()
