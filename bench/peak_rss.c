/* peak_rss FILE CMD [ARG...]: runs CMD (standard streams as given), writes its peak resident
   memory in KiB (wait4's ru_maxrss) to FILE and exits with its status. A child forked from
   python would start with python's pages counted; one forked from this small program does not. */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    fputs("usage: peak_rss FILE CMD [ARG...]\n", stderr);
    return 2;
  }
  pid_t pid = fork();
  if (pid < 0) return 125;
  if (pid == 0) {
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status;
  struct rusage ru;
  if (wait4(pid, &status, 0, &ru) < 0) return 125;
  FILE* f = fopen(argv[1], "w");
  if (!f) return 125;
  fprintf(f, "%ld\n", ru.ru_maxrss);
  fclose(f);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 125;
}
