# 32-bit x86 Linux build on a 64-bit system (Debian's g++-multilib): 32-bit size_t and pointers,
# double arithmetic in SSE2 registers like the 32-bit Windows build, 64-bit file offsets (32-bit
# readdir fails on large inode numbers otherwise). Used by scripts/linux32.sh. CMAKE_SYSTEM_NAME is
# left alone: setting it would make this a cross build, which the Windows branches key on.
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse -D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse -D_FILE_OFFSET_BITS=64")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# The system's Octave is 64-bit.
set(MONTEMEX_OCTAVE OFF CACHE BOOL "Build the modules for GNU Octave when mkoctfile is found")
