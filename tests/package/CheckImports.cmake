cmake_policy(SET CMP0057 NEW)
# Fails when a shipped binary imports a DLL that a clean Windows does not have: Velmora
# must run from its folder with no runtime installed (CheckExports.cmake checks what the
# library exports). With ONLY, the binaries may import those DLLs and no others. Run with
#   cmake -DOBJDUMP=<objdump> -DFILES="<a.exe>;<b.dll>" [-DONLY=<x.dll>,<y.dll>] -P CheckImports.cmake
set(system_dlls
  advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
  shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll)
# Velmora.exe loads these only when it needs them: an automatic check never does.
set(loaded_on_first_use comctl32.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll)
string(REPLACE "," ";" ONLY "${ONLY}")
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
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
    if(file MATCHES "Velmora\\.exe$" AND name IN_LIST loaded_on_first_use)
      message(FATAL_ERROR "${file} imports ${name}, which every automatic check would then load")
    endif()
    if(ONLY AND NOT name IN_LIST ONLY)
      message(FATAL_ERROR "${file} imports ${name}; it may import only ${ONLY}")
    endif()
  endforeach()
  message(STATUS "${file}: ${names}")
endforeach()
