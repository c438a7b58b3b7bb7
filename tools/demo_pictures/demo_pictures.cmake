# Draws the demo programs' pictures at build time.
#
#   include(<source>/tools/demo_pictures/demo_pictures.cmake)
#   cutshape_add_demo_pictures(<target> <folder> <outputs variable>)
#
# adds the custom target <target>, which writes every file named in
# CUTSHAPE_DEMO_PICTURE_NAMES into <folder>, and sets <outputs variable> in the caller to
# their full paths (usable as DEPENDS of other commands, or as resource dependencies).
#
# The generator is the build machine's tool cutshape_host::demo_pictures (cmake/host_tools.cmake).

include_guard(GLOBAL)

# Cached, so every directory sees them whichever included this file first.
set(CUTSHAPE_DEMO_PICTURE_NAMES Earth.gif Hole.bmp head.bmp close.bmp play.bmp stop.bmp
    hand.cur CACHE INTERNAL "The files demo_pictures writes")

function(cutshape_add_demo_pictures target folder outputs_var)
    set(outputs)
    foreach(name IN LISTS CUTSHAPE_DEMO_PICTURE_NAMES)
        list(APPEND outputs ${folder}/${name})
    endforeach()
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND cutshape_host::demo_pictures ${folder}
        DEPENDS $<TARGET_FILE:cutshape_host::demo_pictures>
        COMMENT "Drawing the demo pictures into ${folder}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${outputs})
    set(${outputs_var} ${outputs} PARENT_SCOPE)
endfunction()
