# Every module is one source built in several flavours:
#   current             embedded host, binds the "_700" array functions      build/embedded/current
#   legacy              embedded host, plain binding, legacy NaN comparisons  build/embedded/legacy
#   unbuffered          current, one random number per host call (tests)      build/embedded/unbuffered
#   octave              GNU Octave                                            build/octave
#   octave_unbuffered   GNU Octave, one number per host call, named <name>_unbuffered (tests)
#                                                                             build/octave-test
# The entry layer (src/mex) is built once per flavour as a static library that every module links;
# the sampling library (src/sampling) is header-only.
# The Windows builds (cmake/Windows.cmake) make the same flavours as .mexw64 files; the 32-bit one
# makes only the deliverables: current as <name>.mexw32, legacy as <name>.dll.
set(MONTEMEX_FLAVOURS current legacy unbuffered)
if(MONTEMEX_FUZZ OR MONTEMEX_WIN32)
  set(MONTEMEX_FLAVOURS current legacy)
endif()
if(MONTEMEX_HAVE_OCTAVE)
  list(APPEND MONTEMEX_FLAVOURS octave octave_unbuffered)
endif()

# Links a module of the embedded-host flavours to the host and names its file.
function(montemex_link_host target flavour)
  if(MONTEMEX_WINDOWS)
    montemex_link_windows_module(${target})
  else()
    target_link_libraries(${target} PRIVATE montemex_mex montemex_mx)
  endif()
  if(MONTEMEX_WIN32)
    if(flavour STREQUAL "legacy")
      set_target_properties(${target} PROPERTIES SUFFIX ".dll" LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/legacy)
    else()
      set_target_properties(${target} PROPERTIES SUFFIX ".mexw32" LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/current)
    endif()
  elseif(MONTEMEX_WINDOWS)
    set_target_properties(${target} PROPERTIES SUFFIX ".mexw64")
  else()
    set_target_properties(${target} PROPERTIES SUFFIX ".mexa64")
  endif()
endfunction()

function(montemex_apply_flavour target flavour)
  if(flavour STREQUAL "legacy")
    target_compile_definitions(${target} PRIVATE MONTEMEX_LEGACY)
  endif()
  if(flavour MATCHES "unbuffered")
    target_compile_definitions(${target} PRIVATE MONTEMEX_UNBUFFERED)
  endif()
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  if(flavour MATCHES "^octave")
    target_include_directories(${target} SYSTEM PRIVATE ${OCTAVE_INCLUDE_DIRS})
  else()
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/include)
  endif()
endfunction()

# montemex_add_support(<name> <sources>...): static libraries <name>_<flavour>.
function(montemex_add_support name)
  foreach(flavour ${MONTEMEX_FLAVOURS})
    add_library(${name}_${flavour} STATIC ${ARGN})
    set_target_properties(${name}_${flavour} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    montemex_apply_flavour(${name}_${flavour} ${flavour})
  endforeach()
endfunction()

# montemex_add_module(<name> SOURCES <files> [LEGACY] [BULK]): every module links the entry layer.
# LEGACY: the module also has a legacy build.
# BULK: the module draws value by value with exact bulk drawing; its unbuffered builds are made
# so tests can compare the two.
function(montemex_add_module name)
  cmake_parse_arguments(ARG "LEGACY;BULK" "" "SOURCES" ${ARGN})
  foreach(flavour ${MONTEMEX_FLAVOURS})
    if((flavour STREQUAL "legacy" AND NOT ARG_LEGACY) OR (flavour MATCHES "unbuffered" AND NOT ARG_BULK))
      continue()
    endif()
    set(target ${name}_${flavour})
    add_library(${target} MODULE ${ARG_SOURCES})
    montemex_apply_flavour(${target} ${flavour})
    target_link_libraries(${target} PRIVATE montemex_entry_${flavour})
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
    if(flavour MATCHES "^octave")
      target_link_directories(${target} PRIVATE ${OCTAVE_LIBRARY_DIR})
      target_link_libraries(${target} PRIVATE octinterp octave)
      target_link_options(${target} PRIVATE -Wl,-Bsymbolic)
      set_target_properties(${target} PROPERTIES SUFFIX ".mex")
      if(flavour STREQUAL "octave")
        set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/octave)
        # The help text sits next to the module, where "help <name>" finds it; copied again
        # whenever it changes.
        set(help_copy ${PROJECT_BINARY_DIR}/octave/${name}.m)
        add_custom_command(OUTPUT ${help_copy}
          COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/inst/${name}.m ${help_copy}
          DEPENDS ${PROJECT_SOURCE_DIR}/inst/${name}.m)
        add_custom_target(${name}_help ALL DEPENDS ${help_copy})
        add_dependencies(${target} ${name}_help)
        install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/montemex/octave)
        install(FILES ${PROJECT_SOURCE_DIR}/inst/${name}.m DESTINATION ${CMAKE_INSTALL_LIBDIR}/montemex/octave)
      else()
        set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name}_unbuffered
          LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/octave-test)
      endif()
    else()
      set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/embedded/${flavour})
      montemex_link_host(${target} ${flavour})
      # Installed modules find libmx and libmex two levels up: <prefix>/lib/montemex/<build>/.
      if(NOT MONTEMEX_WINDOWS AND (flavour STREQUAL "current" OR flavour STREQUAL "legacy"))
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/../..")
        install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/montemex/${flavour})
      endif()
    endif()
    list(APPEND all_targets ${target})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY MONTEMEX_MODULE_TARGETS ${all_targets})
  set_property(GLOBAL APPEND PROPERTY MONTEMEX_MODULE_NAMES ${name})
  if(ARG_LEGACY)
    set_property(GLOBAL APPEND PROPERTY MONTEMEX_LEGACY_MODULE_NAMES ${name})
  endif()
endfunction()
