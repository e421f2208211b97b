# tolvar_add_icons(TARGET PREFIX FILES svg...)
# Embeds the icons as Qt resources named by their base name without a suffix (":/PREFIX/name");
# QIcon tells the format from the contents. A Windows build embeds PNGs rendered from the SVGs on
# the build machine, so the program needs no SVG image plugin, which the static Qt for Windows
# does not have.
function(tolvar_add_icons target)
  cmake_parse_arguments(I "" "PREFIX" "FILES" ${ARGN})
  set(resources)
  foreach(svg IN LISTS I_FILES)
    get_filename_component(name ${svg} NAME_WE)
    if(WIN32)
      find_program(TOLVAR_RSVG_CONVERT rsvg-convert REQUIRED)
      set(icon ${CMAKE_CURRENT_BINARY_DIR}/icons/${name}.png)
      # Large enough for the biggest scaled window; QIcon scales down smoothly.
      add_custom_command(OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons
        COMMAND ${TOLVAR_RSVG_CONVERT} --width 256 --height 256 --keep-aspect-ratio
          --output ${icon} ${CMAKE_CURRENT_SOURCE_DIR}/${svg}
        DEPENDS ${svg}
        VERBATIM)
    else()
      set(icon ${CMAKE_CURRENT_SOURCE_DIR}/${svg})
    endif()
    set_source_files_properties(${icon} PROPERTIES QT_RESOURCE_ALIAS ${name})
    list(APPEND resources ${icon})
  endforeach()
  qt_add_resources(${target} ${target}_icons PREFIX /${I_PREFIX} FILES ${resources})
endfunction()
