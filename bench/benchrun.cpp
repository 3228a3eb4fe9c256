// Runs a command once and appends its wall time in seconds, its peak
// resident memory in KiB, its exit code and its processor time (user and
// system) in seconds, on one line, to RESULTS:
//   benchrun RESULTS COMMAND [ARG...]  ->  "0.123456 10240 0 0.120000"
// The command's own output goes where benchrun's goes.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: benchrun RESULTS COMMAND [ARG...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::perror(argv[2]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) {
    std::perror("benchrun");
    return 2;
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::FILE* results = std::fopen(argv[1], "a");
  if (results == nullptr) {
    std::perror(argv[1]);
    return 2;
  }
  const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
  std::fprintf(results, "%.6f %ld %d %.6f\n", wall.count(), usage.ru_maxrss,
               WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
               seconds(usage.ru_utime) + seconds(usage.ru_stime));
  return std::fclose(results) == 0 ? 0 : 2;
}
