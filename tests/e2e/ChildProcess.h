#pragma once
// Runs a program or a shell command for the end-to-end tests, with a bounded wait.
#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mova::test {

class ChildProcess {
 public:
  // Starts `program` with `arguments`; `environment` entries override (or,
  // with an empty value, remove) the test's own variables. Standard output
  // and error go to files read by Output and Errors.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment = {});
  // Kills a child that is still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit code once the child has ended within `timeout`; nothing if it
  // still runs. A child ended by a signal gives 128 + the signal.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  bool Running();
  void Kill();
  std::string Errors() const;
  pid_t Pid() const { return Id; }

 private:
  pid_t Id = -1;
  std::optional<int> ExitCode;
  std::string ErrorFile;
};

// Runs a shell command for at most `timeoutSeconds` and returns its standard
// output; "" when it failed or timed out.
std::string Shell(const std::string& command, int timeoutSeconds = 10);

}  // namespace mova::test
