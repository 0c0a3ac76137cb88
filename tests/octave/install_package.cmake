# Builds the Octave package, installs it into a scratch prefix, loads it and checks it as a user
# would, "pkg test montemex" and the demos included (tests/octave/check_package.m). Run by ctest:
#   cmake -DSOURCE_DIR= -DBINARY_DIR= -DVERSION= -DOCTAVE= -DSCRATCH= -P install_package.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -DBINARY_DIR=${BINARY_DIR} -DVERSION=${VERSION}
                        -P ${SOURCE_DIR}/cmake/make_octave_package.cmake RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "packaging failed")
endif()
file(REMOVE_RECURSE ${SCRATCH})
set(script "addpath('${SOURCE_DIR}/tests/octave'); \
check_package('${BINARY_DIR}/montemex-${VERSION}.tar.gz', '${SCRATCH}')")
execute_process(COMMAND ${OCTAVE} --no-gui --norc --no-history --quiet --eval "${script}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "installing or checking the package failed")
endif()
