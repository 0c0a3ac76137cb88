# How 32-bit x86 programs run on this machine; sourced by scripts/linux32.sh and scripts/windows.sh.
#
#   i686_mode PROGRAM [ARG...]   prints "native" when the kernel runs the i686 PROGRAM (which must
#                                exit 0), "qemu" when only "${qemu_i686[@]}" PROGRAM does (Debian's
#                                qemu-user-static), "none" otherwise. MONTEMEX_I686=qemu forces
#                                the emulator, to try that path where i686 code runs natively.
#
# The emulator as measured to run 32-bit wine: wine's loader must not re-execute itself, and the
# top of the 32-bit address space is reserved for it. Plain i686 programs run the same way.
qemu_i686=(env WINELOADERNOEXEC=1 qemu-i386-static -R 0xfffe0000)

i686_mode() {
  if [ "${MONTEMEX_I686:-}" != qemu ] && "$@" >/dev/null 2>&1; then
    echo native
  elif command -v qemu-i386-static >/dev/null 2>&1 && "${qemu_i686[@]}" "$@" >/dev/null 2>&1; then
    echo qemu
  else
    echo none
  fi
}
