# Assembles the Octave package montemex-<VERSION>.tar.gz in BINARY_DIR:
#   cmake -DSOURCE_DIR=<repo> -DBINARY_DIR=<dir> [-DVERSION=<x.y.z>] -P make_octave_package.cmake
# It compiles nothing (pkg install does), so it needs cmake alone: "make package" runs it. VERSION
# defaults to the one project() sets in CMakeLists.txt.
# Layout: DESCRIPTION, INDEX, COPYING, post_install.m, inst/<name>.m (help, or a function written
# as an m-file), inst/private/ (their shared helpers; pkg install copies it), inst/Contents.m,
# inst/montemex.m and inst/montemex_selfcheck.m (cmake/Contents.cmake), src/ (sources and a
# Makefile that builds every module with mkoctfile --mex).
if(NOT VERSION)
  file(STRINGS ${SOURCE_DIR}/CMakeLists.txt project_line REGEX "^project\\(montemex VERSION ")
  string(REGEX REPLACE "^project\\(montemex VERSION ([0-9.]+).*" "\\1" VERSION "${project_line}")
endif()
set(stage_root ${BINARY_DIR}/octave-package)
set(stage ${stage_root}/montemex-${VERSION})
file(REMOVE_RECURSE ${stage_root})
file(MAKE_DIRECTORY ${stage}/inst ${stage}/src)

string(TIMESTAMP MONTEMEX_DATE "%Y-%m-%d" UTC)
set(PROJECT_VERSION ${VERSION})
configure_file(${SOURCE_DIR}/packaging/octave/DESCRIPTION.in ${stage}/DESCRIPTION @ONLY)
file(COPY ${SOURCE_DIR}/packaging/octave/INDEX ${SOURCE_DIR}/packaging/octave/post_install.m
          ${SOURCE_DIR}/COPYING DESTINATION ${stage})
file(GLOB help_files ${SOURCE_DIR}/inst/*.m)
file(COPY ${help_files} DESTINATION ${stage}/inst)
file(COPY ${SOURCE_DIR}/inst/private DESTINATION ${stage}/inst FILES_MATCHING PATTERN "*.m")
include(${SOURCE_DIR}/cmake/Contents.cmake)
montemex_write_contents(${SOURCE_DIR} ${stage}/inst ${VERSION})
file(COPY ${SOURCE_DIR}/src/ DESTINATION ${stage}/src FILES_MATCHING PATTERN "*.cpp" PATTERN "*.hpp")
file(COPY ${SOURCE_DIR}/packaging/octave/Makefile DESTINATION ${stage}/src)

execute_process(COMMAND ${CMAKE_COMMAND} -E tar czf ${BINARY_DIR}/montemex-${VERSION}.tar.gz montemex-${VERSION}
                WORKING_DIRECTORY ${stage_root} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write montemex-${VERSION}.tar.gz")
endif()
message(STATUS "Wrote ${BINARY_DIR}/montemex-${VERSION}.tar.gz")
