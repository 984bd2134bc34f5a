# The default settings file of the program folder. The quelm.ini there is the
# operator's own once it exists (the README tells them to edit it), so a build
# puts the default there only when the folder has none, and never replaces it.
function(quelm_default_settings target source)
  add_custom_target(${target}_default_settings ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${source} -DDESTINATION=$<TARGET_FILE_DIR:${target}>/quelm.ini
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/copy_if_missing.cmake
    COMMENT "Default quelm.ini for the program folder, unless it has one"
    VERBATIM)
  add_dependencies(${target}_default_settings ${target})
endfunction()
