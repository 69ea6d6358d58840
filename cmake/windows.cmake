# Windows builds of quillet.dll (MinGW-w64): the C and C++ runtimes linked in statically, so that the
# DLL imports only from the operating system and msvcrt; the export list; and the import library.
#
# 32-bit: quillet.def names the exports; the build generates from it and from include/quillet.h a
# def that exports every name undecorated (`srd_4442`) and as its stdcall alias (`srd_4442@16`),
# and an import library, made with dlltool --kill-at, that binds callers to the undecorated names.
# 64-bit has no decoration: quillet.def is used as it is.
function(quillet_windows_library target)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set_target_properties(${target} PROPERTIES PREFIX "")
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  set(script ${PROJECT_SOURCE_DIR}/cmake/stdcall_exports.py)
  set(header ${PROJECT_SOURCE_DIR}/include/quillet.h)
  set(list ${PROJECT_SOURCE_DIR}/quillet.def)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    if(NOT CMAKE_DLLTOOL)
      message(FATAL_ERROR "dlltool not found: it makes the import library of quillet.dll")
    endif()
    set(dll_def ${CMAKE_CURRENT_BINARY_DIR}/quillet-exports.def)
    set(import_def ${CMAKE_CURRENT_BINARY_DIR}/quillet-import.def)
    add_custom_command(OUTPUT ${dll_def} ${import_def}
      COMMAND Python3::Interpreter ${script} dll-def ${header} ${list} ${dll_def}
      COMMAND Python3::Interpreter ${script} import-def ${header} ${list} ${import_def}
      DEPENDS ${script} ${header} ${list}
      COMMENT "Export list of quillet.dll with its stdcall aliases")
    target_sources(${target} PRIVATE ${dll_def})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${dll_def})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_DLLTOOL} --kill-at -d ${import_def} -D $<TARGET_FILE_NAME:${target}> -l $<TARGET_LINKER_FILE:${target}>
      COMMENT "Import library of quillet.dll (undecorated names)")
  else()
    target_sources(${target} PRIVATE ${list})
  endif()
  # The same import library under the name that Microsoft's linker looks for.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_LINKER_FILE:${target}> $<TARGET_FILE_DIR:${target}>/quillet.lib)
  # What a Windows user gets: the DLL, stripped, with its debug information beside it; its import
  # library under both names and the export list; the header; a README with the declarations of
  # every export for C and Visual Basic; and the bindings for C# and Delphi / Free Pascal.
  include(${PROJECT_SOURCE_DIR}/bindings/generate.cmake)
  quillet_generate_binding(readme ${PROJECT_SOURCE_DIR}/docs/windows-readme.txt windows-readme.txt)
  quillet_generate_binding(csharp ${PROJECT_SOURCE_DIR}/bindings/Quillet.cs.in Quillet.cs)
  quillet_generate_binding(pascal ${PROJECT_SOURCE_DIR}/bindings/quillet.pas.in quillet.pas)
  set(readme ${CMAKE_CURRENT_BINARY_DIR}/windows-readme.txt)
  set(bindings ${CMAKE_CURRENT_BINARY_DIR}/Quillet.cs ${CMAKE_CURRENT_BINARY_DIR}/quillet.pas)
  add_custom_target(quillet-bindings ALL DEPENDS ${readme} ${bindings})
  install(TARGETS ${target} RUNTIME DESTINATION bin ARCHIVE DESTINATION lib)
  # The installed DLL is the built one stripped; its debug information goes into DLL.debug beside
  # it, which the DLL names (.gnu_debuglink) so that gdb finds it. Both are made from the built
  # DLL, so installing again gives the same files.
  install(CODE "
    set(dll \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/$<TARGET_FILE_NAME:${target}>\")
    execute_process(COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> \${dll}.debug COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=\${dll}.debug $<TARGET_FILE:${target}> \${dll}
                    COMMAND_ERROR_IS_FATAL ANY)
    message(STATUS \"Stripped: \${dll}, debug information in \${dll}.debug\")")
  install(FILES $<TARGET_FILE_DIR:${target}>/quillet.lib ${list} DESTINATION lib)
  install(FILES ${header} DESTINATION include)
  install(FILES ${readme} DESTINATION .)
  install(FILES ${bindings} DESTINATION bindings)
endfunction()

