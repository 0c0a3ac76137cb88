# Windows builds, cross-compiled with MinGW-w64 (cmake/toolchains/, driven by scripts/windows.sh).
#
#   32-bit  the files handed to users: every module as <name>.mexw32 (current build) in current/,
#           and the legacy ones as <name>.dll (legacy build) in legacy/. Beside them the embedded
#           host as bin/libmx.dll and bin/libmex.dll, bin/montemex.exe and the tests, which load
#           those very files under 32-bit wine; test-only modules go to test-modules/.
#   64-bit  the embedded host as libmx.dll and libmex.dll, the modules as <name>.mexw64 in
#           embedded/<flavour>, and the tests as .exe files that ctest runs under wine64.
#
# Modules import the host through import libraries that dlltool makes from our own lists of the
# host's functions (cmake/windows/libmx.def, libmex.def), so a 32-bit module links without any
# host, and in the 64-bit build the same lists are proven against the real host DLLs when wine
# loads the modules. Every module links libgcc and libstdc++ statically, so it needs only the host
# DLLs and the C runtime; each module then has its own unwinder, and no C++ exception may cross
# from a module into the host or back: host errors end a module call with longjmp.
#
# Sets MONTEMEX_WINDOWS (any Windows target) and MONTEMEX_WIN32 (the 32-bit one).
set(MONTEMEX_WINDOWS OFF)
set(MONTEMEX_WIN32 OFF)
if(NOT WIN32)
  return()
endif()
set(MONTEMEX_WINDOWS ON)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(MONTEMEX_WIN32 ON)
  # The x87 unit would keep intermediates in 80-bit registers and round differently from the
  # other builds: do all double arithmetic in SSE2 registers (-ffp-contract=off is global).
  add_compile_options(-msse2 -mfpmath=sse)
endif()
add_link_options(-static-libstdc++)
if(MONTEMEX_WIN32)
  # Modules carry libgcc (montemex_link_windows_module). The host DLLs, the tool and the tests
  # share libgcc's DLL instead: i686 unwinds by tables (dw2), each static libgcc registers only
  # its own binary's, and the host's errors outside a module call are C++ exceptions that must
  # reach the caller in another binary. (g++ links libgcc_s_dw2-1.dll by default; it is copied
  # next to them.)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_dw2-1.dll
    OUTPUT_VARIABLE MONTEMEX_LIBGCC_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(COPY ${MONTEMEX_LIBGCC_DLL} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
else()
  add_link_options(-static-libgcc)
endif()
# The host DLLs export their own functions only, not those of the static runtime libraries.
string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,--exclude-libs=libgcc.a:libgcc_eh.a:libstdc++.a")

# Octave and the sanitizers are for the Linux build only.
set(MONTEMEX_OCTAVE OFF)
if(MONTEMEX_SANITIZE)
  message(FATAL_ERROR "MONTEMEX_SANITIZE is for the Linux build only")
endif()

get_filename_component(_compiler_name ${CMAKE_CXX_COMPILER} NAME)
string(REGEX REPLACE "-g\\+\\+.*$" "" MONTEMEX_MINGW_PREFIX "${_compiler_name}")
find_program(MONTEMEX_DLLTOOL NAMES ${MONTEMEX_MINGW_PREFIX}-dlltool REQUIRED)

# Import libraries libmx.dll.a and libmex.dll.a from the symbol lists.
set(MONTEMEX_IMPORT_DIR ${PROJECT_BINARY_DIR}/import)
set(_import_libraries "")
foreach(library mx mex)
  set(_def ${PROJECT_SOURCE_DIR}/cmake/windows/lib${library}.def)
  set(_lib ${MONTEMEX_IMPORT_DIR}/lib${library}.dll.a)
  add_custom_command(OUTPUT ${_lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MONTEMEX_IMPORT_DIR}
    COMMAND ${MONTEMEX_DLLTOOL} -d ${_def} -D lib${library}.dll -l ${_lib}
    DEPENDS ${_def}
    COMMENT "Import library for lib${library}.dll"
    VERBATIM)
  list(APPEND _import_libraries ${_lib})
endforeach()
add_custom_target(montemex_import_libraries DEPENDS ${_import_libraries})

# Links a module against the host's import libraries and exports its entry point.
function(montemex_link_windows_module target)
  add_dependencies(${target} montemex_import_libraries)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/windows/module.def)
  target_link_libraries(${target} PRIVATE ${MONTEMEX_IMPORT_DIR}/libmex.dll.a ${MONTEMEX_IMPORT_DIR}/libmx.dll.a)
  if(MONTEMEX_WIN32)
    target_link_options(${target} PRIVATE -static-libgcc)
    # The files handed to users carry no symbol table (a quarter of the size).
    target_link_options(${target} PRIVATE -s)
  endif()
endfunction()

# The tests run under wine (the 32-bit loader "wine" for the 32-bit build), headless, in a wine
# prefix of their own inside the build tree. scripts/windows.sh passes its own emulator where the
# 32-bit loader must itself run under qemu.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  if(MONTEMEX_WIN32)
    find_program(MONTEMEX_WINE NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
  else()
    find_program(MONTEMEX_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  endif()
  if(MONTEMEX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEDEBUG=-all
        WINEPREFIX=${PROJECT_BINARY_DIR}/wineprefix WINEDLLOVERRIDES=mscoree,mshtml= ${MONTEMEX_WINE})
  endif()
endif()
