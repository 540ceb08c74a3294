# Cross-compiling for Windows (32-bit) with mingw-w64's posix-thread compilers.
# QUILLMERE_WIN_DEPS names the prefix of the libraries built for it
# (scripts/win-deps).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(mingw_triple i686-w64-mingw32)

set(CMAKE_C_COMPILER ${mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)
set(CMAKE_AR ${mingw_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${mingw_triple}-ranlib CACHE FILEPATH "")

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUILLMERE_WIN_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
if(QUILLMERE_WIN_DEPS)
    list(APPEND CMAKE_FIND_ROOT_PATH ${QUILLMERE_WIN_DEPS})
    set(ENV{PKG_CONFIG_LIBDIR} ${QUILLMERE_WIN_DEPS}/lib/pkgconfig)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# zlib from libz-mingw-w64-dev, linked statically (else zlib1.dll follows).
set(ZLIB_LIBRARY /usr/${mingw_triple}/lib/libz.a CACHE FILEPATH "")
set(ZLIB_INCLUDE_DIR /usr/${mingw_triple}/include CACHE PATH "")
