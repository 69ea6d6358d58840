# quillet_generate_binding(KIND SOURCE OUTPUT): OUTPUT in the current binary directory, written by
# bindings/generate.py KIND from include/quillet.h and SOURCE (a template, or the introduction of
# the Windows readme), again whenever the header, the source or the generator changes.
function(quillet_generate_binding kind source output)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(generator ${PROJECT_SOURCE_DIR}/bindings/generate.py)
  set(header ${PROJECT_SOURCE_DIR}/include/quillet.h)
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${output}
    COMMAND Python3::Interpreter ${generator} ${kind} ${header} ${source} ${CMAKE_CURRENT_BINARY_DIR}/${output}
    DEPENDS ${generator} ${PROJECT_SOURCE_DIR}/bindings/declarations.py
            ${PROJECT_SOURCE_DIR}/python/quillet/_header.py ${header} ${source}
    COMMENT "${output} from quillet.h")
endfunction()
