/*
 * Preloaded into 32-bit wine running under qemu-i386 (user mode).
 *
 * Wine reserves its address space with mmap(MAP_FIXED_NOREPLACE). qemu-i386 7.2 treats
 * that flag as a mere hint and hands back some other free range instead of failing;
 * wine then splits the request in halves down to 64 KiB, and its stray blocks fill the
 * upper 2 GiB: about a minute of start-up per run. This gives the flag its kernel
 * meaning (fail with EEXIST unless the range is mapped where asked), which brings the
 * start-up under a second.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

/* Host processes that wine starts (none are expected) must not try to load this
   32-bit object. */
__attribute__((constructor)) static void forget_preload(void) { unsetenv("LD_PRELOAD"); }

static void *map_pages(void *addr, size_t len, int prot, int flags, int fd, long long offset) {
    /* mmap2 counts the offset in pages: an unaligned one must fail, as mmap does,
       so that wine falls back to reading the file. */
    if (offset & 4095) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    long r = syscall(SYS_mmap2, addr, len, prot, flags, fd, (unsigned long)(offset >> 12));
    if (r == -1) return MAP_FAILED;
    void *p = (void *)r;
    if ((flags & MAP_FIXED_NOREPLACE) && p != addr) {
        syscall(SYS_munmap, p, len);
        errno = EEXIST;
        return MAP_FAILED;
    }
    return p;
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, off_t offset) {
    return map_pages(addr, len, prot, flags, fd, offset);
}

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t offset) {
    return map_pages(addr, len, prot, flags, fd, offset);
}
