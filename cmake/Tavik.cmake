# Helpers shared by the project's CMake files.

# Wine runs the x86_64 test programs: one prefix per build folder, the
# environment fixed so runs are quiet, repeatable and in the users' code page.
set(TAVIK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(TAVIK_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVIK_WINE_RUN} ${TAVIK_WINEPREFIX})
endif()

# The 32-bit build is compiled and linked only: this host cannot run it.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TAVIK_CAN_RUN_TESTS OFF)
else()
  set(TAVIK_CAN_RUN_TESTS ON)
endif()

# GoogleTest from Debian's sources, built with the cross compiler.
function(tavik_use_gtest)
  if(NOT TARGET gtest)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Debian's sources warn under our flags; they are not ours to fix.
    target_compile_options(gtest PRIVATE -w)
    target_compile_options(gtest_main PRIVATE -w)
  endif()
endfunction()

# tavik_add_gtest(name SOURCES ... LIBS ... [LOCK resource] [ENV k=v ...])
# Builds a GoogleTest program and registers it with CTest (run through Wine).
function(tavik_add_gtest name)
  cmake_parse_arguments(T "" "LOCK" "SOURCES;LIBS;ENV" ${ARGN})
  tavik_use_gtest()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  target_compile_definitions(${name} PRIVATE TAVIK_TEST_DATA_DIR="Z:${CMAKE_SOURCE_DIR}/tests")
  if(TAVIK_CAN_RUN_TESTS)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "TAVIK_SOURCE_DIR=${CMAKE_SOURCE_DIR};${T_ENV}"
      TIMEOUT 600)
    if(T_LOCK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK ${T_LOCK})
    endif()
  endif()
endfunction()

# tavik_add_program(name [CONSOLE] SOURCES ...): a Windows program with wWinMain
# (or wmain with CONSOLE).
function(tavik_add_program name)
  cmake_parse_arguments(P "CONSOLE" "" "SOURCES" ${ARGN})
  if(P_CONSOLE)
    add_executable(${name} ${P_SOURCES})
  else()
    add_executable(${name} WIN32 ${P_SOURCES})
  endif()
  target_link_options(${name} PRIVATE -municode)
endfunction()
