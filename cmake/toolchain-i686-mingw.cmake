# Cross-compiling Velmora for 32-bit Windows with mingw-w64 (posix threads flavour,
# so that std::thread and std::mutex are available), statically linked.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELMORA_MINGW_PREFIX i686-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${VELMORA_MINGW_PREFIX}-gcc-posix ${VELMORA_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VELMORA_MINGW_PREFIX}-g++-posix ${VELMORA_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VELMORA_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests built for Windows run under Wine.
find_program(VELMORA_WINE wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMORA_WINE})
