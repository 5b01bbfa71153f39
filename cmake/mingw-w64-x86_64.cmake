# Cross toolchain for the Windows build: mingw-w64, posix thread model (the win32 model lacks std::mutex,
# which GoogleTest needs). Tests run under Wine in the project's own prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

if(NOT QUILLCREST_WINEPREFIX)
  set(QUILLCREST_WINEPREFIX "${CMAKE_CURRENT_LIST_DIR}/../build/wineprefix")
endif()
get_filename_component(QUILLCREST_WINEPREFIX "${QUILLCREST_WINEPREFIX}" ABSOLUTE)
set(QUILLCREST_WINEPREFIX "${QUILLCREST_WINEPREFIX}" CACHE PATH "Wine prefix the Windows tests run in")
get_filename_component(QUILLCREST_WINE_TEST_RUNNER "${CMAKE_CURRENT_LIST_DIR}/../tests/windows/run_under_wine.sh"
                       ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env;WINEPREFIX=${QUILLCREST_WINEPREFIX};${QUILLCREST_WINE_TEST_RUNNER})
