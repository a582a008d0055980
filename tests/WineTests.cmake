# The Windows test programs as CTest runs them: one entry per test, named
# <layer>.<Suite>.<Test>, each a run of the program limited to that test and bounded by
# its watchdog (support/TestMain.cpp), so that a test that hangs fails alone, in
# seconds, and the layer goes on. The tests are read from the sources, as the programs
# cannot run at build time; an entry <layer>.unlisted runs whatever that reading missed.

add_library(velmora_test_main STATIC ${CMAKE_CURRENT_LIST_DIR}/support/TestMain.cpp)
target_include_directories(velmora_test_main PUBLIC ${CMAKE_CURRENT_LIST_DIR}/support)
target_link_libraries(velmora_test_main PUBLIC gtest)

# Before the first Windows test, the shell's classes of the Wine prefix go back to the
# state recorded when the prefix was made, whatever an ended run left there. Being the
# first Wine program of the run, it also starts Wine's own background processes, with
# its output going to a file: started by a test, they would hold CTest's output pipe
# of that test open, and CTest would wait for them.
if(CMAKE_HOST_UNIX AND CMAKE_CROSSCOMPILING AND NOT TEST prefix.restore)
  add_test(NAME prefix.restore COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-prefix --restore)
  set_tests_properties(prefix.restore PROPERTIES FIXTURES_SETUP velmora_prefix TIMEOUT 120
    RESOURCE_LOCK "desktop;startup-folders")
  # The restore undoes what a test ended in the middle leaves behind.
  add_test(NAME prefix.RestoreUndoesAKilledRun COMMAND ${CMAKE_CURRENT_LIST_DIR}/prefix/KilledRunTest.sh)
  set_tests_properties(prefix.RestoreUndoesAKilledRun PROPERTIES FIXTURES_REQUIRED velmora_prefix TIMEOUT 120
    RESOURCE_LOCK "desktop;startup-folders")
endif()

# velmora_add_wine_tests(<target> <layer> BOUND <seconds> [WHOLE] [SOURCES <files>...]
#                        [LOCKS <lock>...])
#   BOUND: each test's time limit; WHOLE: one entry for the whole program instead;
#   LOCKS: CTest resource locks every test of the program holds. A test holds besides
#   the locks its own body names with VELMORA_TEST_LOCKS("<lock>", ...) (TestLocks.h);
#   each entry tells the program which locks it holds, so that a test whose line was not
#   read here fails.
function(velmora_add_wine_tests target layer)
  cmake_parse_arguments(arg "WHOLE" "BOUND" "SOURCES;LOCKS" ${ARGN})
  math(EXPR timeout "${arg_BOUND} + 30")
  set(common --gtest_brief=1 --velmora_bound=${arg_BOUND})
  if(arg_WHOLE)
    add_test(NAME ${layer} COMMAND ${target} ${common})
    set_tests_properties(${layer} PROPERTIES TIMEOUT 300)
    if(TEST prefix.restore)
      set_tests_properties(${layer} PROPERTIES FIXTURES_REQUIRED velmora_prefix)
    endif()
    return()
  endif()
  set(test_pattern "^[ \t]*TEST(_F)?\\([ \t]*([A-Za-z0-9_]+)[ \t]*,[ \t]*([A-Za-z0-9_]+)[ \t]*\\)")
  set(lock_pattern "^[ \t]*VELMORA_TEST_LOCKS\\(([^)]*)\\)")
  set(listed "")
  foreach(source IN LISTS arg_SOURCES)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    # The tests in the order of the source, each followed by the lock lines of its body.
    file(STRINGS ${source} lines REGEX "(${test_pattern})|(${lock_pattern})")
    set(name "")
    foreach(line IN LISTS lines)
      if(line MATCHES "${test_pattern}")
        set(name ${CMAKE_MATCH_2}.${CMAKE_MATCH_3})
        list(APPEND listed ${name})
        set(locks_${name} ${arg_LOCKS})
      elseif(line MATCHES "${lock_pattern}")
        if(NOT name)
          message(FATAL_ERROR "${source}: VELMORA_TEST_LOCKS before the first test; it belongs in a test's body")
        endif()
        string(REGEX REPLACE "[\" \t]" "" named "${CMAKE_MATCH_1}")
        string(REPLACE "," ";" named "${named}")
        list(APPEND locks_${name} ${named})
      endif()
    endforeach()
  endforeach()
  foreach(name IN LISTS listed)
    set(locks ${locks_${name}})
    list(REMOVE_DUPLICATES locks)
    list(JOIN locks "," held)
    add_test(NAME ${layer}.${name} COMMAND ${target} --gtest_filter=${name} ${common} --velmora_locks=${held})
    set_tests_properties(${layer}.${name} PROPERTIES TIMEOUT ${timeout} LABELS ${layer})
    if(locks)
      set_tests_properties(${layer}.${name} PROPERTIES RESOURCE_LOCK "${locks}")
    endif()
    if(TEST prefix.restore)
      set_tests_properties(${layer}.${name} PROPERTIES FIXTURES_REQUIRED velmora_prefix)
    endif()
  endforeach()
  list(JOIN listed ":" excluded)
  add_test(NAME ${layer}.unlisted COMMAND ${target} --gtest_filter=-${excluded} ${common}
    --velmora_locks=desktop,startup-folders)
  set_tests_properties(${layer}.unlisted PROPERTIES TIMEOUT 300 LABELS ${layer} RESOURCE_LOCK "desktop;startup-folders")
endfunction()
