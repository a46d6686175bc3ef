#include "e2e/ChildProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <thread>

namespace mova::test {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment) {
  char pattern[] = "/tmp/mova-e2e-stderr-XXXXXX";
  const int errorFd = mkstemp(pattern);
  ErrorFile = pattern;
  Id = fork();
  if (Id == 0) {
    for (const auto& [name, value] : environment) {
      if (value.empty())
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), value.c_str(), 1);
    }
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(errorFd, STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (errorFd >= 0) close(errorFd);
}

ChildProcess::~ChildProcess() {
  Kill();
  unlink(ErrorFile.c_str());
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (ExitCode || Id <= 0) return ExitCode;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    int status = 0;
    const pid_t done = waitpid(Id, &status, WNOHANG);
    if (done == Id) {
      ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return ExitCode;
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // polls the child until the deadline
  }
}

bool ChildProcess::Running() { return !Wait(std::chrono::milliseconds(0)).has_value(); }

void ChildProcess::Kill() {
  if (Id > 0 && Running()) {
    ::kill(Id, SIGKILL);
    Wait(std::chrono::seconds(5));
  }
}

std::string ChildProcess::Errors() const {
  std::ifstream file(ErrorFile);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Shell(const std::string& command, int timeoutSeconds) {
  const std::string bounded = "timeout " + std::to_string(timeoutSeconds) + " sh -c '" + command + "' 2>/dev/null";
  FILE* pipe = popen(bounded.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string output;
  std::array<char, 4096> buffer{};
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
  const int status = pclose(pipe);
  return status == 0 ? output : "";
}

}  // namespace mova::test
