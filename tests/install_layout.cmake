# The installed layout of the manual and the documents: `cmake --install` of the components
# "manual" and "doc" into a fresh prefix gives share/trevalon/manual with every file of
# docs/manual (where the help window looks for it) and share/doc/trevalon with the README, its
# pictures and the examples the manual's first job uses, and share/trevalon/templates with the
# shipped post-processor templates.
# Run as: cmake -DSOURCE_DIR=... -DBINARY_DIR=... -P install_layout.cmake
set(prefix "${BINARY_DIR}/install-layout-test")
file(REMOVE_RECURSE "${prefix}")
foreach(component manual doc)
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BINARY_DIR}" --prefix "${prefix}"
                          --component ${component}
                  RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing the component ${component} failed: ${status}")
  endif()
endforeach()

file(GLOB_RECURSE expected RELATIVE "${SOURCE_DIR}/docs/manual" "${SOURCE_DIR}/docs/manual/*")
file(GLOB_RECURSE installed RELATIVE "${prefix}/share/trevalon/manual"
     "${prefix}/share/trevalon/manual/*")
list(SORT expected)
list(SORT installed)
if(NOT expected STREQUAL installed)
  message(FATAL_ERROR "share/trevalon/manual holds [${installed}], docs/manual [${expected}]")
endif()
foreach(file trevalon/manual/index.html trevalon/manual/first-job.html doc/trevalon/README.md
             doc/trevalon/docs/screenshot-optimised.png
             doc/trevalon/examples/core-insert-finish.nc doc/trevalon/examples/steel-finish.lmx
             trevalon/templates/default.ppr trevalon/templates/fanuc-haas.ppr
             trevalon/templates/heidenhain.ppr trevalon/templates/linuxcnc.ppr)
  if(NOT EXISTS "${prefix}/share/${file}")
    message(FATAL_ERROR "share/${file} was not installed")
  endif()
endforeach()
file(REMOVE_RECURSE "${prefix}")
