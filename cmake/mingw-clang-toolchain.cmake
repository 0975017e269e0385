# The Windows target built by clang instead of gcc: a second compiler over the same sources, which refuses some of
# what gcc lets through (and MSVC would refuse). It uses mingw-w64's headers, libraries and linker, and the C++
# library of the mingw gcc, whose headers this clang does not find by itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NOTAFON_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${NOTAFON_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${NOTAFON_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${NOTAFON_MINGW_TRIPLE}-windres)

execute_process(COMMAND ${NOTAFON_MINGW_TRIPLE}-g++-posix -print-file-name=libstdc++.a
                OUTPUT_VARIABLE NOTAFON_MINGW_LIBSTDCXX OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(NOTAFON_MINGW_GCC_DIR "${NOTAFON_MINGW_LIBSTDCXX}" DIRECTORY)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES "${NOTAFON_MINGW_GCC_DIR}/include/c++"
                                           "${NOTAFON_MINGW_GCC_DIR}/include/c++/${NOTAFON_MINGW_TRIPLE}")
# gcc's libstdc++ needs winpthread, which clang links (after the C++ library) only when asked with -pthread.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${NOTAFON_MINGW_GCC_DIR} -pthread")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-L${NOTAFON_MINGW_GCC_DIR} -pthread")

set(CMAKE_FIND_ROOT_PATH /usr/${NOTAFON_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# wine, with a start that never happened made once more.
set(CMAKE_CROSSCOMPILING_EMULATOR bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
