#include "bench/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace dw::bench {
namespace {

std::vector<char*> ArgvOf(std::vector<std::string>& args) {
  std::vector<char*> out;
  for (std::string& a : args) out.push_back(a.data());
  out.push_back(nullptr);
  return out;
}

int StatusCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::string SelfPath() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

}  // namespace

ChildResult RunMeasured(const std::vector<std::string>& argv) {
  ChildResult result;
  const std::string self = SelfPath();
  if (self.empty() || argv.empty()) return result;

  std::string log = (std::filesystem::temp_directory_path() / "duskweave-bench-XXXXXX").string();
  const int logFd = ::mkstemp(log.data());
  if (logFd < 0) return result;
  ::close(logFd);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);

  std::vector<std::string> args{self, kMeasureChildFlag, log};
  args.insert(args.end(), argv.begin(), argv.end());
  std::vector<char*> raw = ArgvOf(args);
  pid_t pid = 0;
  const int spawnError = ::posix_spawn(&pid, self.c_str(), &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);

  std::string report;
  if (spawnError == 0) {
    char buffer[256];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) break;
      report.append(buffer, size_t(n));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(pipeFds[0]);

  long long rssKiB = 0, wallNs = 0, cpuNs = 0;
  int code = -1;
  std::istringstream fields(report);
  if (fields >> rssKiB >> code >> wallNs >> cpuNs) {
    result.started = code != 127 || rssKiB > 0;
    result.exitStatus = code;
    result.maxRssBytes = int64_t(rssKiB) * 1024;
    result.wallMs = double(wallNs) / 1e6;
    result.cpuMs = double(cpuNs) / 1e6;
  }
  std::ifstream logIn(log);
  std::getline(logIn, result.stderrHead);
  std::remove(log.c_str());
  return result;
}

int MeasureChildMain(int argc, char** argv) {
  if (argc < 4) {
    std::printf("0 127 0 0\n");
    return 2;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, argv[2], O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawnError = ::posix_spawn(&pid, argv[3], &actions, nullptr, argv + 3, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawnError != 0) {
    std::printf("0 127 0 0\n");
    return 0;
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  const auto stop = std::chrono::steady_clock::now();
  const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(stop - start).count();
  const long long cpuNs =
      (long long)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1'000'000'000 +
      (long long)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1'000;
  std::printf("%ld %d %lld %lld\n", usage.ru_maxrss, StatusCode(status), ns, cpuNs);
  return 0;
}

}  // namespace dw::bench
