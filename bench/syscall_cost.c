/* syscall_cost N: the time of one system call in ns, the best of 5 loops of N getppid calls.
   bench/run names the machine with it: a tree search makes thousands of calls. */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static double now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e9 + t.tv_nsec;
}

int main(int argc, char** argv) {
  long n = argc == 2 ? atol(argv[1]) : 0;
  if (n <= 0) {
    fputs("usage: syscall_cost N\n", stderr);
    return 2;
  }
  double best = 1e30;
  for (int r = 0; r < 5; r++) {
    double t0 = now_ns();
    for (long i = 0; i < n; i++) syscall(SYS_getppid);
    double t = (now_ns() - t0) / n;
    if (t < best) best = t;
  }
  printf("%.0f\n", best);
  return 0;
}
