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

clean:
	rm -rf build build-asan build-fuzz
