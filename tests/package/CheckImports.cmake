cmake_policy(SET CMP0057 NEW)
# Fails when a shipped binary imports a DLL that a clean Windows does not have: Velmora
# must run from its folder with no runtime installed; and, when EXPORTS_OF names a
# library, when its exported names are not exactly EXPORTS (undecorated: Velmora looks
# them up by these names, also in the 32-bit build, where __stdcall would add "@24").
# Run with
#   cmake -DOBJDUMP=<objdump> -DFILES="<a.exe>;<b.dll>" [-DEXPORTS_OF=<b.dll> -DEXPORTS="f;g"]
#         -P CheckImports.cmake
set(system_dlls
  advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
  shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll)
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot read ${file}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
  set(names "")
  foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" name "${line}")
    string(TOLOWER "${name}" name)
    list(APPEND names ${name})
    if(NOT name IN_LIST system_dlls)
      message(FATAL_ERROR "${file} imports ${name}, which a clean Windows does not have")
    endif()
  endforeach()
  message(STATUS "${file}: ${names}")
endforeach()

if(EXPORTS_OF)
  # objdump translates its headings under a non-English locale.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C LANGUAGE=C ${OBJDUMP} -p ${EXPORTS_OF}
    OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot read ${EXPORTS_OF}")
  endif()
  # The names follow "[Ordinal/Name Pointer] Table", one "[   n] name" line each.
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[\r\n]+([ \t]*\\[ *[0-9]+\\] [^\r\n]+[\r\n]+)*" table "${dump}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\r\n]+" lines "${table}")
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${line}")
    list(APPEND names "${name}")
  endforeach()
  list(SORT names)
  set(expected ${EXPORTS})
  list(SORT expected)
  if(NOT names STREQUAL expected)
    message(FATAL_ERROR "${EXPORTS_OF} exports \"${names}\", expected \"${expected}\"")
  endif()
  message(STATUS "${EXPORTS_OF} exports: ${names}")
endif()
