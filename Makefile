# Shortcuts over the CMake build in build/.
.PHONY: all test demo package clean

all:
	cmake -S . -B build
	cmake --build build -j

test:
	./scripts/test.sh

demo:
	./scripts/demo.sh

# The Octave package build/montemex-<version>.tar.gz: sources and help files, compiled by
# pkg install. Needs cmake alone.
package:
	cmake -DSOURCE_DIR="$(CURDIR)" -DBINARY_DIR="$(CURDIR)/build" -P cmake/make_octave_package.cmake

# Every build tree the scripts make: scripts/test.sh, scripts/windows.sh, the 32-bit Linux build,
# the Debian 13 chroot with Octave 9 (scripts/octave9.sh).
clean:
	rm -rf build build-asan build-fuzz build-win32 build-win64 build-linux32 build-i686 build-octave9
