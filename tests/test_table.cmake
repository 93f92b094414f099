# plume_add_tests(ROW...): a test a row, "NAME|COMMAND|LABELS|PROPERTIES": the command's words
# and the further properties' names and values apart at spaces, the labels at commas.
function(plume_add_tests)
  foreach(row IN LISTS ARGN)
    string(REPLACE "|" ";" fields "${row}")
    list(POP_FRONT fields name command labels properties)
    separate_arguments(command UNIX_COMMAND "${command}")
    separate_arguments(properties UNIX_COMMAND "${properties}")
    string(REPLACE "," ";" labels "${labels}")
    add_test(NAME ${name} COMMAND ${command})
    set_tests_properties(${name} PROPERTIES LABELS "${labels}" ${properties})
  endforeach()
endfunction()

# plume_platform_checks(LABEL PROPERTIES NAME...): rows of the checks LABEL.NAME, each
# tests/LABEL/run NAME against this build, skipped (77) where the platform's tools are missing.
macro(plume_platform_checks label properties)
  foreach(check ${ARGN})
    list(APPEND rows "${label}.${check}|${PROJECT_SOURCE_DIR}/tests/${label}/run ${check} \
${CMAKE_BINARY_DIR}|${label}|SKIP_RETURN_CODE 77 ${properties}")
  endforeach()
endmacro()
