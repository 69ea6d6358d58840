# Every target of the project compiles with the same warning set; QUILLET_WERROR (on in CI) makes them errors.
option(QUILLET_WERROR "Treat compiler warnings as errors" OFF)
option(QUILLET_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

function(quillet_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wno-sign-conversion)
  # GCC 12 reports out-of-bounds copies inside its own std::vector insertions at -O2 (a known false
  # positive of that release); bounds are checked for real by the AddressSanitizer build.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
  endif()
  if(QUILLET_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(QUILLET_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer for the thread tests (make test-tsan); it cannot be combined with the above.
option(QUILLET_TSAN "Build with ThreadSanitizer" OFF)
if(QUILLET_TSAN)
  if(QUILLET_SANITIZE)
    message(FATAL_ERROR "QUILLET_TSAN and QUILLET_SANITIZE cannot be combined")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
