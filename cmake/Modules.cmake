# Every module is one source built in several flavours:
#   current             embedded host, binds the "_700" array functions      build/embedded/current
#   legacy              embedded host, plain binding, legacy NaN comparisons  build/embedded/legacy
#   unbuffered          current, one random number per host call (tests)      build/embedded/unbuffered
#   octave              GNU Octave                                            build/octave
#   octave_unbuffered   GNU Octave, one number per host call, named <name>_unbuffered (tests)
#                                                                             build/octave-test
# Code shared by modules is built once per flavour as a static library.
set(MONTEMEX_FLAVOURS current legacy unbuffered)
if(MONTEMEX_HAVE_OCTAVE)
  list(APPEND MONTEMEX_FLAVOURS octave octave_unbuffered)
endif()

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
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/host/include)
  endif()
endfunction()

# montemex_add_support(<name> <sources>...): static libraries <name>_<flavour>. The unit tests
# link every support library's current flavour.
function(montemex_add_support name)
  foreach(flavour ${MONTEMEX_FLAVOURS})
    add_library(${name}_${flavour} STATIC ${ARGN})
    set_target_properties(${name}_${flavour} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    montemex_apply_flavour(${name}_${flavour} ${flavour})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY MONTEMEX_SUPPORT_NAMES ${name})
endfunction()

# montemex_add_module(<name> SOURCES <files> [SUPPORT <support names>] [LEGACY] [BULK])
# LEGACY: the module also has a legacy build.
# BULK: the module draws value by value with exact bulk drawing; its unbuffered builds are made
# so tests can compare the two.
function(montemex_add_module name)
  cmake_parse_arguments(ARG "LEGACY;BULK" "" "SOURCES;SUPPORT" ${ARGN})
  foreach(flavour ${MONTEMEX_FLAVOURS})
    if((flavour STREQUAL "legacy" AND NOT ARG_LEGACY) OR (flavour MATCHES "unbuffered" AND NOT ARG_BULK))
      continue()
    endif()
    set(target ${name}_${flavour})
    add_library(${target} MODULE ${ARG_SOURCES})
    montemex_apply_flavour(${target} ${flavour})
    foreach(support ${ARG_SUPPORT})
      target_link_libraries(${target} PRIVATE ${support}_${flavour})
    endforeach()
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
    if(flavour MATCHES "^octave")
      target_link_directories(${target} PRIVATE ${OCTAVE_LIBRARY_DIR})
      target_link_libraries(${target} PRIVATE octinterp octave)
      target_link_options(${target} PRIVATE -Wl,-Bsymbolic)
      set_target_properties(${target} PROPERTIES SUFFIX ".mex")
      if(flavour STREQUAL "octave")
        set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/octave)
        # The help text sits next to the module, where "help <name>" finds it.
        add_custom_command(TARGET ${target} POST_BUILD
          COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/inst/${name}.m ${PROJECT_BINARY_DIR}/octave/${name}.m)
      else()
        set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name}_unbuffered
          LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/octave-test)
      endif()
    else()
      target_link_libraries(${target} PRIVATE montemex_mex montemex_mx)
      set_target_properties(${target} PROPERTIES SUFFIX ".mexa64"
        LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/embedded/${flavour})
    endif()
    list(APPEND all_targets ${target})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY MONTEMEX_MODULE_TARGETS ${all_targets})
  set_property(GLOBAL APPEND PROPERTY MONTEMEX_MODULE_NAMES ${name})
endfunction()
