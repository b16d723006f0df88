/*
 * Run by wine-prefix's set-up as a static 32-bit x86 Linux program, to learn whether this
 * machine's kernel executes 32-bit code itself. It prints the machine uname reports to
 * it: a 64-bit kernel says "x86_64" to its 32-bit processes, while qemu-i386 (had a
 * binfmt entry handed the program to it) says "i686", which does not count as direct.
 */
#include <stdio.h>
#include <sys/utsname.h>

int main(void) {
    struct utsname u;
    if (uname(&u) != 0) return 1;
    printf("a %u-bit process on %s\n", (unsigned)(8 * sizeof(void *)), u.machine);
    return 0;
}
