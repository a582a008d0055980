# Reproducible release: two builds of one commit, in any folders and at any time, make
# the same bytes (with the same tools). Every time the shipped files hold is the
# commit's: the PE header's time stamp of Velmora.exe and vb6stkit.dll, the zip's entry
# times, and the file times the setup program stores. No build folder reaches a binary.
#
# VELMORA_SOURCE_DATE_EPOCH, seconds since 1970 (UTC): SOURCE_DATE_EPOCH from the
# environment when set, else the time of the last commit, else 1980-01-01, the earliest
# time a zip entry can hold.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VELMORA_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  set(VELMORA_SOURCE_DATE_EPOCH 315532800)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(NOT failed AND commit_time MATCHES "^[0-9]+$")
      set(VELMORA_SOURCE_DATE_EPOCH ${commit_time})
    endif()
    # Every commit, checkout or reset appends to HEAD's log: the build then configures
    # again and takes the new commit's time.
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path logs/HEAD WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE head_log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(NOT failed AND head_log)
      get_filename_component(head_log ${head_log} ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
      if(EXISTS ${head_log})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_log})
      endif()
    endif()
  endif()
endif()
message(STATUS "Time stamps of the shipped files: ${VELMORA_SOURCE_DATE_EPOCH} (SOURCE_DATE_EPOCH)")

if(MINGW)
  # Source and build folders never reach a binary (__FILE__, debug information).
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.;-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>")
endif()

# GNU ld takes the PE header's time stamp from SOURCE_DATE_EPOCH (binutils 2.40 here).
function(velmora_reproducible_link target)
  if(MINGW)
    set_property(TARGET ${target} PROPERTY RULE_LAUNCH_LINK
      "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VELMORA_SOURCE_DATE_EPOCH}")
  endif()
endfunction()

# The zip is written by packaging/pack-zip.py (entries in a fixed order, the commit's
# time, fixed attributes, nothing of the folder's owner), which also gives the staged
# files that time for the setup program. Without Python the zip is packed by CMake, as
# the files lie, and differs from build to build.
find_package(Python3 COMPONENTS Interpreter)

# The downloads' checksums in the form sha256sum writes and checks (`sha256sum -c`), in
# the file `out` beside them; a target of the same name, built by default.
function(velmora_checksums out)
  get_filename_component(name ${out} NAME)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} "-DFILES=${ARGN}" -P ${CMAKE_SOURCE_DIR}/cmake/WriteChecksums.cmake
    DEPENDS ${ARGN} ${CMAKE_SOURCE_DIR}/cmake/WriteChecksums.cmake
    COMMENT "Writing ${name}" VERBATIM)
  add_custom_target(velmora_checksums ALL DEPENDS ${out})
endfunction()
