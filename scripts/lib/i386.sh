# How this machine runs 32-bit x86 Linux programs (and so 32-bit Wine).
# Sourced by the scripts; defines i386_support, which prints one word:
#   native    the kernel runs them itself
#   emulated  they run through qemu-user, registered with binfmt_misc: they
#             work, but several times slower
#   none      they do not run at all ("Exec format error")

# The binfmt_misc entry that hands i386 ELF programs to qemu; binfmt_misc is
# asked before the kernel's own ELF loader, so while it is enabled every
# 32-bit program is emulated, whatever the kernel could do by itself.
i386_qemu_entry=/proc/sys/fs/binfmt_misc/qemu-i386

i386_support() {
  if [ -f "$i386_qemu_entry" ] && head -n 1 "$i386_qemu_entry" 2>/dev/null | grep -qx enabled; then
    if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then echo emulated; else echo none; fi
  elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo native
  else
    echo none
  fi
}

# Registers qemu-i386-static for i386 ELF programs (root only). The F flag
# opens the interpreter now, so it also works inside other mount namespaces;
# P keeps argv[0] as the program gave it.
i386_register_qemu() {
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  [ -e "$i386_qemu_entry" ] && echo -1 >"$i386_qemu_entry"
  printf ':qemu-i386:M::%s:%s:/usr/bin/qemu-i386-static:FP' "$magic" "$mask" >/proc/sys/fs/binfmt_misc/register
}

# The Windows build this machine can run at full speed: the shipped i686
# programs where 32-bit programs run natively, the x86_64 build otherwise.
windows_preset() {
  if [ "$(i386_support)" = native ]; then echo mingw; else echo mingw64; fi
}
