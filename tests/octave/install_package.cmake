# Builds the Octave package, installs it into a scratch prefix, loads it, checks every function
# and how the package describes itself. Run by ctest: cmake -DSOURCE_DIR= -DBINARY_DIR= -DVERSION= -DOCTAVE= -DSCRATCH= -P ...
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -DBINARY_DIR=${BINARY_DIR} -DVERSION=${VERSION}
                        -P ${SOURCE_DIR}/cmake/make_octave_package.cmake RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "packaging failed")
endif()
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
set(script "pkg prefix ${SCRATCH} ${SCRATCH}; pkg local_list ${SCRATCH}/octave_packages; \
pkg install ${BINARY_DIR}/montemex-${VERSION}.tar.gz; pkg load montemex; \
addpath('${SOURCE_DIR}/tests/octave'); check_every_function('${SOURCE_DIR}/inst'); \
check_package('${SOURCE_DIR}/inst')")
execute_process(COMMAND ${OCTAVE} --no-gui --norc --no-history --quiet --eval "${script}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "installing or checking the package failed")
endif()
