# vyx_pack_resources(<target> <folder>)
#
# Appends the files of <folder> as the resource archive to <target>'s program file after every
# link (POST_BUILD), with tools/vyx-pack. A change to a resource file relinks the target, so the
# archive never lags behind the folder (re-run the configure step after adding or removing a file).
# Defined once by resources/CMakeLists.txt; any later folder (app/, tests) can call it.
function(vyx_pack_resources target folder)
    if(NOT IS_ABSOLUTE "${folder}")
        set(folder "${CMAKE_CURRENT_SOURCE_DIR}/${folder}")
    endif()
    file(GLOB _vyx_pack_files CONFIGURE_DEPENDS "${folder}/*")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${_vyx_pack_files})
    add_dependencies(${target} vyx-pack)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND $<TARGET_FILE:vyx-pack> --build "${folder}" "$<TARGET_FILE:${target}>"
        COMMENT "Appending resources of ${folder} to ${target}"
        VERBATIM)
endfunction()
