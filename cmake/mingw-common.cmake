# Shared by the mingw-w64 toolchain files; MINGW_TRIPLET names the target.
# The win32 thread model needs no winpthread DLL, so it is preferred.
find_program(CMAKE_CXX_COMPILER NAMES ${MINGW_TRIPLET}-g++-win32 ${MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MINGW_TRIPLET}-windres REQUIRED)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
