// The real usbio tool against the stand-in HID libraries (LD_LIBRARY_PATH): the reports the
// simulated board receives, the answers the tool prints, its exit statuses, and the messages
// when the HID library cannot be loaded or lacks an entry point.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

extern char** environ;

namespace tollvane::usbio {
namespace {

using tollvane::testing::ReadBytes;
using tollvane::testing::ScratchFolder;

struct ToolRun {
  int exitStatus = -1;  // -1 when the tool did not exit normally (a crash)
  std::string out;
  std::string err;
  std::vector<std::string> logLines;
};

ToolRun RunTool(const std::string& libraryFolder, const std::vector<std::string>& args,
                const std::vector<std::string>& boardEnv = {}) {
  ScratchFolder scratch;
  const std::string log = scratch.file("board.log");
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "LD_LIBRARY_PATH=", 16) != 0 &&
        std::strncmp(*entry, "TOLLVANE_SIMBOARD_", 18) != 0) {
      env.emplace_back(*entry);
    }
  }
  env.push_back("LD_LIBRARY_PATH=" + std::string(SIMBOARD_ROOT) + "/" + libraryFolder);
  env.push_back("TOLLVANE_SIMBOARD_LOG=" + log);
  env.insert(env.end(), boardEnv.begin(), boardEnv.end());
  std::vector<std::string> argv = {USBIO_TOOL};
  argv.insert(argv.end(), args.begin(), args.end());
  const auto pointers = [](std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings)
      p.push_back(s.data());
    p.push_back(nullptr);
    return p;
  };
  auto argp = pointers(argv);
  auto envp = pointers(env);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string out = scratch.file("out"), err = scratch.file("err");
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
  pid_t pid = 0;
  ToolRun run;
  const int spawned = posix_spawn(&pid, USBIO_TOOL, &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << USBIO_TOOL;
    return run;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status))
    run.exitStatus = WEXITSTATUS(status);
  run.out = ReadBytes(out);
  run.err = ReadBytes(err);
  std::istringstream lines(ReadBytes(log));
  for (std::string line; std::getline(lines, line);)
    run.logLines.push_back(line);
  return run;
}

// The report bytes of a log line, without its two time stamps ("<s>.<9 digits>" each).
std::string ReportOf(const std::string& line) {
  const auto isStamp = [](const std::string& field) {
    const std::size_t dot = field.find('.');
    return dot != std::string::npos && dot > 0 && field.size() - dot - 1 == 9 &&
           field.find_first_not_of("0123456789.") == std::string::npos &&
           field.find('.', dot + 1) == std::string::npos;
  };
  const auto isByte = [](const std::string& field) {
    return field.size() == 2 && field.find_first_not_of("0123456789abcdef") == std::string::npos;
  };
  std::istringstream fields(line);
  std::string first, second, field, report;
  if (!(fields >> first >> second) || !isStamp(first) || !isStamp(second))
    return "malformed: " + line;
  while (fields >> field) {
    if (!isByte(field))
      return "malformed: " + line;
    report += (report.empty() ? "" : " ") + field;
  }
  if (report.empty() || line.find("  ") != std::string::npos || line.back() == ' ')
    return "malformed: " + line;
  return report;
}

TEST(ToolOnSimulatedBoard, ReportsAnswersAndExitStatuses) {
  struct Case {
    std::string folder;
    std::vector<std::string> args;
    int exitStatus;
    std::string out;  // contained in stdout
    std::string err;  // contained in stderr
    std::vector<std::string> reports;
  };
  const Case cases[] = {
      {"simboard",
       {"on"},
       0,
       "board 0: bell output on",
       "",
       {"00 20 02 00 00 00 00 00 00", "00 02 00 00 00 00 00 21 00"}},
      {"simboard",
       {"off"},
       0,
       "board 0: bell output off",
       "",
       {"00 20 02 01 00 00 00 00 00", "00 02 01 00 00 00 00 21 00"}},
      {"simboard",
       {"-d", "0", "read", "0"},
       0,
       "board 0: port 0 = 0xff (255)",
       "",
       {"00 03 00 00 00 00 00 11 00"}},
      {"simboard",
       {"write", "1", "0x5a"},
       0,
       "board 0: port 1 := 0x5a",
       "",
       {"00 02 5a 00 00 00 00 21 00"}},
      {"simboard", {"list"}, 0, "0      0x0bfe  0x1003  9      9       simboard:0", "", {}},
      {"simboard", {"-d", "1", "on"}, 2, "", "there is no board 1", {}},
      {"simboard_no_write", {"on"}, 1, "", "board 0 did not take the output-on reports", {}},
      {"simboard_no_enumerate",
       {"list"},
       3,
       "",
       "ERR: Error at hid_enumerate\nusbio: no USB-IO board found: the HID library "
       "libhidapi-hidraw.so.0 is missing or incomplete",
       {}},
      {"simboard_no_init", {"on"}, 3, "", "ERR: Error at hid_init\n", {}},
      {"simboard_unloadable",
       {"read", "0"},
       3,
       "",
       "ERRR: Error at Load 'libhidapi-hidraw.so.0'\n",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder + " " + c.args.back());
    const ToolRun run = RunTool(c.folder, c.args);
    EXPECT_EQ(run.exitStatus, c.exitStatus) << run.err;
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    std::vector<std::string> reports;
    for (const auto& line : run.logLines)
      reports.push_back(ReportOf(line));
    EXPECT_EQ(reports, c.reports);
  }
}

// Board 1 of two refuses: the tool must say so, and board 0 must not switch in its place.
TEST(ToolOnSimulatedBoard, TheChosenBoardsOwnResultIsReported) {
  const std::vector<std::string> two = {"TOLLVANE_SIMBOARD_BOARDS=2"};
  const ToolRun fine = RunTool("simboard", {"-d", "1", "on"}, two);
  EXPECT_EQ(fine.exitStatus, 0);
  EXPECT_NE(fine.out.find("board 1: bell output on"), std::string::npos) << fine.out;
  EXPECT_EQ(fine.logLines.size(), 2u);

  const ToolRun loose =
      RunTool("simboard", {"-d", "1", "on"}, {two[0], "TOLLVANE_SIMBOARD_REFUSE_BOARD=1"});
  EXPECT_EQ(loose.exitStatus, 1);
  EXPECT_NE(loose.err.find("board 1 did not take the output-on reports (both failed)"),
            std::string::npos)
      << loose.err;
  EXPECT_TRUE(loose.logLines.empty()) << "another board took the reports: " << loose.logLines[0];
}

TEST(ToolOnSimulatedBoard, LogLinesCarryCurrentMonotonicAndRealTimes) {
  timespec mono{}, real{};
  clock_gettime(CLOCK_MONOTONIC, &mono);
  clock_gettime(CLOCK_REALTIME, &real);
  const ToolRun run = RunTool("simboard", {"on"});
  ASSERT_EQ(run.logLines.size(), 2u);
  double lastMono = 0;
  for (const auto& line : run.logLines) {
    double lineMono = 0, lineReal = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf", &lineMono, &lineReal), 2) << line;
    EXPECT_NEAR(lineMono, static_cast<double>(mono.tv_sec), 60.0);
    EXPECT_NEAR(lineReal, static_cast<double>(real.tv_sec), 60.0);
    EXPECT_GE(lineMono, lastMono);
    lastMono = lineMono;
  }
}

TEST(ToolCommandLine, VersionAndHelpAgreeWithTheProjectAndTheReadme) {
  const ToolRun version = RunTool("simboard", {"--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.out, std::string("usbio (Tollvane) ") + TOLLVANE_VERSION + "\n");

  const ToolRun help = RunTool("simboard", {"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  const auto flat = [](std::string text) {
    std::string out;
    for (char c : text) {
      if (c == '\n' || c == ' ') {
        if (!out.empty() && out.back() != ' ')
          out += ' ';
      } else {
        out += c;
      }
    }
    return out;
  };
  const std::string readme = flat(ReadBytes(std::string(SOURCE_ROOT) + "/README.md"));
  const std::string helpText = flat(help.out);
  const auto exitAt = helpText.find("Exit status:");
  ASSERT_NE(exitAt, std::string::npos);
  EXPECT_NE(readme.find(helpText.substr(exitAt, helpText.size() - exitAt - 1)), std::string::npos)
      << "the exit statuses of --help differ from the README's";
  for (const char* command : {"list", "on", "off", "write PORT VALUE", "read PORT", "-d INDEX"})
    EXPECT_NE(help.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
  EXPECT_TRUE(help.logLines.empty());
}

}  // namespace
}  // namespace tollvane::usbio
