# The IDL compiler with the control's options, CUTSHAPE_WIDL (the SDK uses it too). widl needs
# the OLE IDL files that the control's IDL imports and stdole2.tlb for its importlib; Wine's
# development files have both. They are searched for under the system's prefixes and can be
# given by hand (-DCUTSHAPE_WINE_IDL_DIR=..., -DCUTSHAPE_STDOLE_DIR=...).
find_path(CUTSHAPE_WINE_IDL_DIR oaidl.idl PATH_SUFFIXES wine/wine/windows wine/windows
          NO_CMAKE_FIND_ROOT_PATH REQUIRED DOC "Folder of Wine's OLE IDL files")

if(NOT CUTSHAPE_STDOLE_DIR)
    set(candidates "")
    foreach(prefix IN LISTS CMAKE_SYSTEM_PREFIX_PATH)
        file(GLOB found ${prefix}/lib*/wine/*-windows/stdole2.tlb
             ${prefix}/lib*/*/wine/*-windows/stdole2.tlb)
        list(APPEND candidates ${found})
    endforeach()
    if(NOT candidates)
        message(FATAL_ERROR "stdole2.tlb of Wine not found; install Wine's development files "
                            "or pass -DCUTSHAPE_STDOLE_DIR=<folder>")
    endif()
    list(GET candidates 0 stdole)
    get_filename_component(stdole_dir ${stdole} DIRECTORY)
    set(CUTSHAPE_STDOLE_DIR ${stdole_dir} CACHE PATH "Folder of Wine's stdole2.tlb")
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CUTSHAPE_WIDL_ARCH --win64)
else()
    set(CUTSHAPE_WIDL_ARCH --win32)
endif()
set(CUTSHAPE_WIDL ${CUTSHAPE_MINGW_TRIPLE}-widl ${CUTSHAPE_WIDL_ARCH} -I${CUTSHAPE_WINE_IDL_DIR}
    -L${CUTSHAPE_STDOLE_DIR})
