# Shortcuts over the CMake build in build/.
.PHONY: all test demo package clean

all:
	cmake -S . -B build
	cmake --build build -j

test:
	./scripts/test.sh

demo:
	./scripts/demo.sh

# The Octave package build/montemex-<version>.tar.gz
package:
	cmake -S . -B build
	cmake --build build --target octave_package

# Every build tree the scripts make: scripts/test.sh, scripts/windows.sh, the 32-bit Linux build,
# the Debian 13 chroot with Octave 9 (scripts/octave9.sh).
clean:
	rm -rf build build-asan build-fuzz build-win32 build-win64 build-linux32 build-i686 build-octave9
