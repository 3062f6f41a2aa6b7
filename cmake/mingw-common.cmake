# Shared part of the two mingw-w64 toolchain files. The -posix compilers carry
# std::thread and std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER   ${TAVIK_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVIK_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${TAVIK_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVIK_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
