#include "win9x/host_tool.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "prefix/prefix_error.h"

extern char** environ;

namespace vlx::win9x {

namespace {

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  bool ok() const { return fds_[0] >= 0; }
  int read() const { return fds_[0]; }
  int write() const { return fds_[1]; }
  void CloseRead() { Close(fds_[0]); }
  void CloseWrite() { Close(fds_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int fds_[2];
};

std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("LC_ALL=", 0) == 0 || entry.rfind("MTOOLS_SKIP_CHECK=", 0) == 0) continue;
    env.push_back(entry);
  }
  env.push_back("LC_ALL=C.UTF-8");
  env.push_back("MTOOLS_SKIP_CHECK=1");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (auto& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args) {
  ToolResult result;
  Pipe out, err;
  if (args.empty() || !out.ok() || !err.ok()) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.write(), 1);
  posix_spawn_file_actions_adddup2(&actions, err.write(), 2);
  std::vector<std::string> argv = args;
  std::vector<std::string> env = ChildEnvironment();
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr,
                                     Pointers(argv).data(), Pointers(env).data());
  posix_spawn_file_actions_destroy(&actions);
  out.CloseWrite();
  err.CloseWrite();
  if (spawned != 0) {
    result.errors = std::string("cannot start ") + args[0] + ": " + std::strerror(spawned);
    return result;
  }
  // Both streams at once, so a child that fills one pipe never waits on us.
  pollfd fds[2] = {{out.read(), POLLIN, 0}, {err.read(), POLLIN, 0}};
  std::string* sinks[2] = {&result.output, &result.errors};
  int open = 2;
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string RunToolChecked(const std::vector<std::string>& args) {
  ToolResult result = RunTool(args);
  if (result.status != 0) {
    std::string command;
    for (const auto& arg : args) command += (command.empty() ? "" : " ") + arg;
    while (!result.errors.empty() && (result.errors.back() == '\n' || result.errors.back() == '\r'))
      result.errors.pop_back();
    throw prefix::PrefixError(command + " failed" +
                              (result.errors.empty() ? std::string() : ": " + result.errors));
  }
  return result.output;
}

}  // namespace vlx::win9x
