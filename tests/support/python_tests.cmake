# quillet_python_test(name directory [LOADS_LIBRARY] env...): the pytest tests of directory as one
# CTest test, with the build tree's Python package, library and virtual reader, and the
# virtual-reader plugin. LOADS_LIBRARY: the tests load libquillet into the interpreter itself.
# Nothing is written into the source or build tree (no cache, no bytecode). Without pytest the test
# is left out, with a warning.
find_program(QUILLET_PYTEST NAMES pytest-3 pytest)
# The sanitizer runtimes, for a sanitized library or driver loaded by a program that is not.
set(QUILLET_SANITIZER_RUNTIMES "")
if(QUILLET_SANITIZE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so OUTPUT_VARIABLE asan OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libubsan.so OUTPUT_VARIABLE ubsan OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(QUILLET_SANITIZER_RUNTIMES ${asan}:${ubsan})
endif()

function(quillet_python_test name directory)
  if(NOT QUILLET_PYTEST)
    message(WARNING "pytest not found (Debian: python3-pytest): the test ${name} is left out")
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 2 test "LOADS_LIBRARY" "" "")
  set(environment
    PYTHONPATH=${PROJECT_BINARY_DIR}/python:${PROJECT_SOURCE_DIR}/tests/support
    PYTHONDONTWRITEBYTECODE=1
    QUILLET_LIBRARY=$<TARGET_FILE:quillet>
    QUILLET_VREADER=$<TARGET_FILE:quillet-vreader>
    ${test_UNPARSED_ARGUMENTS})
  set(capture "")
  if(QUILLET_SANITIZE)
    list(APPEND environment QUILLET_SANITIZED=1)
  endif()
  if(QUILLET_SANITIZE AND test_LOADS_LIBRARY)
    # The sanitized library loads into an interpreter that is not: its runtimes must come first.
    # Python's own allocator would hide a library write past a ctypes buffer from AddressSanitizer
    # (the buffer sits inside a larger arena); plain malloc gives each buffer its own bounds. The
    # sanitizer writes its report to file descriptor 2, which pytest keeps uncaptured with --capture=sys.
    list(APPEND environment LD_PRELOAD=${QUILLET_SANITIZER_RUNTIMES} ASAN_OPTIONS=detect_leaks=0 PYTHONMALLOC=malloc)
    set(capture --capture=sys)
  endif()
  add_test(NAME ${name}
    COMMAND ${QUILLET_PYTEST} -q -p no:cacheprovider -p virtual_reader ${capture} --rootdir ${directory} ${directory})
  # COST: these are the suite's longest tests; ctest starts them first rather than last.
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 180 COST 100)
endfunction()
