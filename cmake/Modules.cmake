# Every module is one source built in several flavours:
#   current             embedded host, binds the "_700" array functions      build/embedded/current
#   legacy              embedded host, plain binding, legacy NaN comparisons  build/embedded/legacy
#   unbuffered          current, one random number per host call (tests)      build/embedded/unbuffered
#   octave              GNU Octave                                            build/octave
#   octave_unbuffered   GNU Octave, one number per host call, named <name>_unbuffered (tests)
#                                                                             build/octave-test
# The entry layer (src/mex) is built once per flavour as a static library that every module links;
# the sampling library (src/sampling) is header-only.
# The 64-bit Windows build (cmake/Windows.cmake) makes the same flavours as .mexw64 files. The
# 32-bit one makes the files users get, current as current/<name>.mexw32 and legacy as
# legacy/<name>.dll, and with the tests the unbuffered flavour as test-modules/unbuffered/<name>.mexw32.
set(MONTEMEX_FLAVOURS current legacy unbuffered)
if(MONTEMEX_FUZZ OR (MONTEMEX_WIN32 AND NOT MONTEMEX_TESTS))
  set(MONTEMEX_FLAVOURS current legacy)
endif()

# The directory holding the modules of a flavour, or of the tests' probe modules ("probe").
function(montemex_module_directory flavour out)
  if(MONTEMEX_WIN32 AND (flavour STREQUAL "current" OR flavour STREQUAL "legacy"))
    set(${out} ${PROJECT_BINARY_DIR}/${flavour} PARENT_SCOPE)
  elseif(MONTEMEX_WIN32)
    # Beside, never inside, the folders of shipped files (scripts/check_windows_modules.sh).
    set(${out} ${PROJECT_BINARY_DIR}/test-modules/${flavour} PARENT_SCOPE)
  else()
    set(${out} ${PROJECT_BINARY_DIR}/embedded/${flavour} PARENT_SCOPE)
  endif()
endfunction()
if(MONTEMEX_HAVE_OCTAVE)
  list(APPEND MONTEMEX_FLAVOURS octave octave_unbuffered)
endif()

# Links a module of the embedded-host flavours (or "probe") to the host, names its file and puts
# it in its flavour's directory.
function(montemex_link_host target flavour)
  if(MONTEMEX_WINDOWS)
    montemex_link_windows_module(${target})
  else()
    target_link_libraries(${target} PRIVATE montemex_mex montemex_mx)
  endif()
  montemex_module_directory(${flavour} directory)
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${directory})
  if(MONTEMEX_WIN32)
    if(flavour STREQUAL "legacy")
      set_target_properties(${target} PROPERTIES SUFFIX ".dll")
    else()
      set_target_properties(${target} PROPERTIES SUFFIX ".mexw32")
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

# The functions written as m-files: every inst/<name>.m that is not the help file of a module,
# and the helpers they share (inst/private/). They go beside the Octave modules (build/octave),
# where the same path finds both, and are installed there too. Call after every module is added.
function(montemex_add_m_functions)
  if(NOT MONTEMEX_HAVE_OCTAVE)
    return()
  endif()
  get_property(module_names GLOBAL PROPERTY MONTEMEX_MODULE_NAMES)
  file(GLOB inst_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/inst/*.m)
  set(copies "")
  foreach(file ${inst_files})
    get_filename_component(name ${file} NAME_WE)
    if(name IN_LIST module_names)
      continue()
    endif()
    set(copy ${PROJECT_BINARY_DIR}/octave/${name}.m)
    add_custom_command(OUTPUT ${copy}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${copy}
      DEPENDS ${file})
    list(APPEND copies ${copy})
    install(FILES ${file} DESTINATION ${CMAKE_INSTALL_LIBDIR}/montemex/octave)
  endforeach()
  # Their helpers, in private/ beside them: found by these m-files only, off the user's path.
  file(GLOB private_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/inst/private/*.m)
  foreach(file ${private_files})
    get_filename_component(name ${file} NAME)
    set(copy ${PROJECT_BINARY_DIR}/octave/private/${name})
    add_custom_command(OUTPUT ${copy}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${copy}
      DEPENDS ${file})
    list(APPEND copies ${copy})
  endforeach()
  install(FILES ${private_files} DESTINATION ${CMAKE_INSTALL_LIBDIR}/montemex/octave/private)
  add_custom_target(m_functions ALL DEPENDS ${copies})
endfunction()
