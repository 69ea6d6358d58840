include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)

# quillet_component(name sources...): an object library of the shared library `quillet`.
function(quillet_component name)
  add_library(${name} OBJECT ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC quillet_platform quillet_algorithms quillet_wire)
  target_compile_definitions(${name} PUBLIC QUILLET_BUILDING)
  quillet_warnings(${name})
  set_property(GLOBAL APPEND PROPERTY QUILLET_COMPONENTS ${name})
endfunction()

# Gathers every component into `quillet` (shared) and `quillet_core` (static, for the tests).
function(quillet_assemble_library)
  get_property(components GLOBAL PROPERTY QUILLET_COMPONENTS)
  set(objects "")
  foreach(c ${components})
    list(APPEND objects $<TARGET_OBJECTS:${c}>)
  endforeach()

  add_library(quillet SHARED ${objects})
  add_library(quillet_core STATIC ${objects})
  # Inside the build tree its users see the sources and build as the library does; an installed
  # `quillet::quillet` gives its users the installed header only.
  foreach(t quillet quillet_core)
    target_include_directories(${t} PUBLIC
      $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}> $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>)
    target_compile_definitions(${t} PUBLIC $<BUILD_INTERFACE:QUILLET_BUILDING>)
  endforeach()
  target_link_libraries(quillet PRIVATE quillet_platform quillet_algorithms)
  target_link_libraries(quillet_core PUBLIC quillet_platform quillet_algorithms quillet_wire)
  target_include_directories(quillet INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  if(WIN32)
    quillet_windows_library(quillet)
  else()
    # libquillet.so.9 (SONAME) -> libquillet.so.9.40; the major version changes only with the ABI.
    set_target_properties(quillet PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
    target_link_options(quillet PRIVATE -Wl,--no-undefined -Wl,--version-script=${PROJECT_SOURCE_DIR}/cmake/quillet.map)
    set_property(TARGET quillet APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/quillet.map)
  endif()
endfunction()
