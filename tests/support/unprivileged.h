// Running a check with the rights of an ordinary user. Root ignores file permissions, so tests
// of what a user may not write run their body in a child that has dropped to "nobody".
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace tollvane::testing {

inline constexpr uid_t kNobodyUid = 65534;
inline constexpr gid_t kNobodyGid = 65534;

// The body's result as seen by the caller: 0 for success, any other value names the check
// that failed. Run directly when the process is not root, else in a child as nobody (the
// child's own exit status; 125 when the ids could not be dropped).
inline int RunUnprivileged(const std::function<int()>& body) {
  if (::geteuid() != 0) {
    return body();
  }
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobodyGid) != 0 || ::setuid(kNobodyUid) != 0) {
      ::_exit(125);
    }
    int result = 124;
    try {
      result = body();
    } catch (...) {
    }
    ::_exit(result);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
    return 126;
  }
  return WEXITSTATUS(status);
}

}  // namespace tollvane::testing
