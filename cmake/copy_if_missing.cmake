# cmake -DSOURCE=file -DDESTINATION=file -P copy_if_missing.cmake
if(NOT EXISTS "${DESTINATION}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
endif()
