# How 32-bit x86 programs run on this machine; sourced by scripts/linux32.sh.
#
#   i686_mode PROGRAM [ARG...]   prints "native" when the kernel runs the i686 PROGRAM (which must
#                                exit 0), "qemu" when only qemu-i386-static (Debian's
#                                qemu-user-static) does, "none" otherwise. MONTEMEX_I686=qemu
#                                forces the emulator, to try that path where i686 code runs natively.

i686_mode() {
  if [ "${MONTEMEX_I686:-}" != qemu ] && "$@" >/dev/null 2>&1; then
    echo native
  elif command -v qemu-i386-static >/dev/null 2>&1 && qemu-i386-static "$@" >/dev/null 2>&1; then
    echo qemu
  else
    echo none
  fi
}
