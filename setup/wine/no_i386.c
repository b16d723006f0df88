/*
 * Runs a program, and everything it starts, as on a kernel that cannot run 32-bit x86 code:
 *
 *   no_i386 PROGRAM [ARGS...]
 *
 * A seccomp filter kills any process at its first 32-bit system call, so a 32-bit program
 * started directly dies before it can do anything, while 64-bit programs (qemu-i386
 * among them, which turns an emulated program's calls into 64-bit ones) are not touched.
 * wine-prefix runs every process of a qemu-way prefix under it, so that the qemu way
 * takes the same paths on a machine that could run 32-bit code as on one that cannot.
 */
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: no_i386 PROGRAM [ARGS...]\n");
        return 2;
    }
    struct sock_filter code[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_I386, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog filter = {(unsigned short)(sizeof code / sizeof code[0]), code};
    /* Without root, a filter may only be set by a process that can gain no privileges. */
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0) {
        fprintf(stderr, "no_i386: cannot refuse 32-bit system calls: %s\n", strerror(errno));
        return 126;
    }
    execvp(argv[1], argv + 1);
    fprintf(stderr, "no_i386: %s: %s\n", argv[1], strerror(errno));
    return 127;
}
