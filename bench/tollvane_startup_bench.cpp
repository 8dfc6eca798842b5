// Start-up benchmark: the time from the process's start (and from main) until the main window
// is shown with its start-up reload offer handled, and the resident memory at that moment.
// Runs the real program in a fresh empty folder, so no reload question is asked.
// With --idle SECONDS it then leaves the window up, ticking, and reports the processor time
// the program used meanwhile.
#include <sys/resource.h>
#include <unistd.h>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "resident_memory.h"
#include "ui/Unit1.h"
#include "ui/program.h"

namespace {

using tollvane::bench::ResidentKiB;

const auto kMainEntered = std::chrono::steady_clock::now();

// Milliseconds since the kernel started this process (clock-tick resolution).
double MsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto close = all.rfind(')');
  if (close == std::string::npos)
    return -1;
  std::istringstream fields(all.substr(close + 2));
  std::string field;
  // Fields after the command name start at 3 (state); starttime is field 22.
  for (int i = 3; i < 22 && fields >> field; ++i) {
  }
  unsigned long long startTicks = 0;
  fields >> startTicks;
  timespec boot{};
  clock_gettime(CLOCK_BOOTTIME, &boot);
  const double nowMs = boot.tv_sec * 1000.0 + boot.tv_nsec / 1e6;
  return nowMs - startTicks * 1000.0 / sysconf(_SC_CLK_TCK);
}

double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

void MeasureIdle(int seconds, tollvane::TForm1& form1) {
  const double cpuStart = CpuMs();
  const auto wallStart = std::chrono::steady_clock::now();
  QTimer::singleShot(seconds * 1000, &form1, [&form1, cpuStart, wallStart] {
    const double cpu = CpuMs() - cpuStart;
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
            .count();
    std::printf("idle for %.1f s: %.0f ms processor time, %.3f %% of one core\n", wall / 1000, cpu,
                100.0 * cpu / wall);
    std::printf("resident memory after idling  %ld KiB\n", ResidentKiB());
    std::fflush(stdout);
    form1.hide();
    QCoreApplication::exit(0);
  });
}

}  // namespace

int main(int argc, char** argv) {
  // bench/run runs this without a display: draw offscreen then.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  int idleSeconds = 0;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--idle") == 0)
      idleSeconds = std::max(1, std::atoi(argv[i + 1]));
  }
  QTemporaryDir folder;
  if (folder.isValid())
    QDir::setCurrent(folder.path());
  return tollvane::RunProgram(argc, argv, [idleSeconds](tollvane::TForm1& form1) {
    const double sinceMain =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - kMainEntered)
            .count();
    std::printf("platform                      %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("start to main window shown    %.1f ms (since process start)\n",
                MsSinceProcessStart());
    std::printf("main() to main window shown   %.1f ms\n", sinceMain);
    std::printf("resident memory after start   %ld KiB\n", ResidentKiB());
    std::fflush(stdout);
    if (idleSeconds > 0) {
      MeasureIdle(idleSeconds, form1);
      return;
    }
    form1.hide();
    QCoreApplication::exit(0);
  });
}
