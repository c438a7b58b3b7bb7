# Options shared by every target of the project.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

add_library(cutshape_options INTERFACE)
target_include_directories(cutshape_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(cutshape_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                  -Wno-sign-conversion -Werror)

# The native sanitizer configuration: address and undefined-behaviour checks that end the
# program at the first fault.
option(CUTSHAPE_SANITIZE "Build with address and undefined-behaviour sanitizers" OFF)
if(CUTSHAPE_SANITIZE)
    set(CUTSHAPE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
                                 -fno-omit-frame-pointer)
    target_compile_options(cutshape_options INTERFACE ${CUTSHAPE_SANITIZER_FLAGS})
    target_link_options(cutshape_options INTERFACE ${CUTSHAPE_SANITIZER_FLAGS})
endif()

if(WIN32)
    # The Windows architecture's name as Wine, the registry and the golden files spell it.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CUTSHAPE_ARCH win64)
    else()
        set(CUTSHAPE_ARCH win32)
    endif()
    # Windows 7 API level, Unicode by default; binaries need no MinGW DLLs and are
    # reproducible (no link time stamp).
    target_compile_definitions(cutshape_options INTERFACE _WIN32_WINNT=0x0601 WINVER=0x0601
                                                          UNICODE _UNICODE NOMINMAX
                                                          WIN32_LEAN_AND_MEAN)
    target_link_options(cutshape_options INTERFACE -static -static-libgcc -static-libstdc++
                                                   -Wl,--no-insert-timestamp)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_link_options(cutshape_options INTERFACE -Wl,--enable-stdcall-fixup)
    endif()
endif()
