// Hostile day files, each imported in a child process of its own: the time and the peak
// resident memory until the file is imported or refused. The files are generated here: deep
// nesting, rules finer than a day, long events repeated daily, rules from year 1, 4 MiB of
// lines in every shape libical and the CSV reader meet, and the imported-days file read at
// start. A child that runs past the time limit or the address-space limit is reported as such.
//   calendar_import_bench [--seconds N] [--megabytes N]
// Prints one line per file and "@ calendar.import" with the slowest and the largest.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "calendar/day_import.h"
#include "calendar/school_calendar.h"

using namespace tollvane;

namespace {

constexpr std::size_t kFourMiB = 4 * 1024 * 1024;

std::string Repeat(const std::string& piece, std::size_t bytes) {
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() + piece.size() <= bytes) {
    out += piece;
  }
  return out;
}

std::string Calendar(const std::string& body) {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n" + body + "END:VCALENDAR\r\n";
}

std::string Event(const std::string& lines) {
  return "BEGIN:VEVENT\r\nUID:e\r\n" + lines + "SUMMARY:x\r\nEND:VEVENT\r\n";
}

std::string Date(int64_t days) {
  const CivilDate d = CivilFromDays(days);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
  return text;
}

struct HostileFile {
  const char* name;
  std::function<std::string()> bytes;
  bool daysFile = false;  // read at start as the imported-days file, not imported
};

std::vector<HostileFile> Files() {
  const int64_t base = DaysFromCivil({2026, 1, 1});
  return {
      {"nested BEGIN/END, 4 MB",
       [] {
         const std::size_t levels = (kFourMiB - 100) / 16;
         return "BEGIN:VCALENDAR\r\n" + Repeat("BEGIN:X\r\n", levels * 9) +
                Repeat("END:X\r\n", levels * 7) + "END:VCALENDAR\r\n";
       }},
      {"FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30",
       [] {
         return Calendar(
             Event("DTSTART;VALUE=DATE:20260101\r\n"
                   "RRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30\r\n"));
       }},
      {"FREQ=HOURLY",
       [] { return Calendar(Event("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=HOURLY\r\n")); }},
      {"ten daily events of 366 days",
       [] {
         std::string body;
         for (int i = 0; i < 10; ++i) {
           body += Event(
               "DTSTART;VALUE=DATE:20260101\r\nDTEND;VALUE=DATE:20270102\r\n"
               "RRULE:FREQ=DAILY\r\n");
         }
         return Calendar(body);
       }},
      {"7 KB of daily events of 366 days",
       [] {
         const std::string one = Event(
             "DTSTART;VALUE=DATE:20260101\r\nDTEND;VALUE=DATE:20270102\r\nRRULE:FREQ=DAILY\r\n");
         return Calendar(Repeat(one, 7 * 1024 - 60));
       }},
      {"yearly from 0001-01-01",
       [] { return Calendar(Event("DTSTART;VALUE=DATE:00010101\r\nRRULE:FREQ=YEARLY\r\n")); }},
      {"CSV newest first, 4 MiB",
       [base] {
         std::string out = "国民の祝日・休日月日,国民の祝日・休日名称\r\n";
         for (int64_t day = base + 100000; out.size() < kFourMiB - 40; --day) {
           const CivilDate d = CivilFromDays(day);
           out += std::to_string(d.year) + "/" + std::to_string(d.month) + "/" +
                  std::to_string(d.day) + ",休日\r\n";
         }
         return out;
       }},
      {"imported-days file newest first, 4 MiB",
       [base] {
         std::string out;
         for (int64_t day = base + 100000; out.size() < kFourMiB - 40; --day) {
           out += FormatDate(CivilFromDays(day)) + " 休日\n";
         }
         return out;
       },
       true},
      {"4 MiB of properties in one event",
       [] {
         return Calendar("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260101\r\n" +
                         Repeat("X-A:b\r\n", kFourMiB - 200) + "END:VEVENT\r\n");
       }},
      {"4 MiB of parameters on one line",
       [] {
         return Calendar("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260101\r\nX-A" +
                         Repeat(";a=b", kFourMiB - 200) + ":x\r\nEND:VEVENT\r\n");
       }},
      {"4 MiB EXDATE list",
       [] {
         return Calendar(
             "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=YEARLY\r\n"
             "EXDATE;VALUE=DATE:" +
             Repeat("20270101,", kFourMiB - 200) + "20280101\r\nEND:VEVENT\r\n");
       }},
      {"4 MiB of February 31st monthly rules",
       [] {
         return Calendar(Repeat(Event("DTSTART;VALUE=DATE:20260101\r\n"
                                      "RRULE:FREQ=MONTHLY;BYMONTHDAY=31;BYMONTH=2\r\n"),
                                kFourMiB - 200));
       }},
      {"4 MiB of never-matching monthly rules with BYSETPOS",
       [] {
         return Calendar(Repeat(
             Event("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=30;BYMONTH=2;"
                   "BYDAY=MO,TU,WE,TH,FR,SA,SU;BYSETPOS=1\r\n"),
             kFourMiB - 200));
       }},
      {"4 MiB of single days, each a new date",
       [base] {
         std::string body;
         for (int64_t day = base; body.size() < kFourMiB - 200; ++day) {
           body += Event("DTSTART;VALUE=DATE:" + Date(day) + "\r\n");
         }
         return Calendar(body);
       }},
      {"4 MiB of 366-day events",
       [base] {
         std::string body;
         for (int64_t day = base; body.size() < kFourMiB - 200; ++day) {
           body += Event("DTSTART;VALUE=DATE:" + Date(day) +
                         "\r\nDTEND;VALUE=DATE:" + Date(day + 366) + "\r\n");
         }
         return Calendar(body);
       }},
      {"4 MiB of daily rules",
       [] {
         return Calendar(
             Repeat(Event("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=DAILY\r\n"), kFourMiB - 200));
       }},
      // As many lines as are let through to libical, in the costliest shapes found.
      {"99 000 lines of never-matching rules with BYSETPOS",
       [] {
         return Calendar(Repeat(
             Event("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=30;BYMONTH=2;"
                   "BYDAY=MO,TU,WE,TH,FR,SA,SU;BYSETPOS=1\r\n"),
             99000 / 6 * 155));
       }},
      {"99 000 lines of daily rules of 366 days",
       [] {
         return Calendar(Repeat(Event("DTSTART;VALUE=DATE:20260101\r\nDTEND;VALUE=DATE:20270102"
                                      "\r\nRRULE:FREQ=DAILY\r\n"),
                                99000 / 7 * 118));
       }},
      {"99 000 lines of 366-day events",
       [base] {
         std::string body;
         for (int64_t day = base; body.size() < 99000 / 6 * 100; ++day) {
           body += Event("DTSTART;VALUE=DATE:" + Date(day) +
                         "\r\nDTEND;VALUE=DATE:" + Date(day + 366) + "\r\n");
         }
         return Calendar(body);
       }},
      {"99 000 lines of moved instances of one event",
       [base] {
         std::string body = Event("DTSTART;VALUE=DATE:20260101\r\nRRULE:FREQ=DAILY\r\n");
         for (int64_t day = base; body.size() < 99000 / 6 * 108; ++day) {
           body += Event("RECURRENCE-ID;VALUE=DATE:" + Date(day) +
                         "\r\nDTSTART;VALUE=DATE:" + Date(day + 1) + "\r\n");
         }
         return Calendar(body);
       }},
      {"99 000 lines of 8 KiB summaries",
       [] {
         return Calendar(Repeat(Event("DTSTART;VALUE=DATE:20260101\r\nSUMMARY;X-A=1;X-B=2:" +
                                      std::string(8100, 'a') + "\r\n"),
                                kFourMiB - 200));
       }},
      {"4 MiB RDATE list",
       [] {
         return Calendar("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260101\r\nRDATE;VALUE=DATE:" +
                         Repeat("20270101,", kFourMiB - 200) + "20280101\r\nEND:VEVENT\r\n");
       }},
      {"4 MiB of one folded line",
       [] {
         return Calendar("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260101\r\nSUMMARY:a" +
                         Repeat("\r\n a", kFourMiB - 200) + "\r\nEND:VEVENT\r\n");
       }},
      {"4 MiB of one CSV line",
       [] { return "2026/1/1," + std::string(kFourMiB - 20, 'a') + "\n"; }},
      {"4 MiB of random bytes",
       [] {
         std::string out(kFourMiB, '\0');
         uint32_t x = 2463534242u;
         for (char& c : out) {
           x ^= x << 13, x ^= x >> 17, x ^= x << 5;
           c = static_cast<char>(x);
         }
         return out;
       }},
      {"5 MiB CSV", [] { return Repeat("2026/1/1,元日\r\n", kFourMiB + kFourMiB / 4); }},
  };
}

// The child's part: import or read the file, print what came of it.
int RunOne(const HostileFile& file, const std::string& folder, const std::string& path) {
  try {
    const std::string ini = folder + "/tollvane.INI";
    if (file.daysFile) {
      std::filesystem::rename(path, ImportedDaysPath(ini));
      const CalendarReading reading = ReadSchoolCalendar(ini);
      std::printf("read %zu days, %zu problems\n", reading.calendar.importedDays.size(),
                  reading.problems.size());
      return 0;
    }
    SchoolCalendar calendar;
    const ImportOutcome outcome = ImportDayFile(calendar, ini, path, {2036, 12, 31});
    if (outcome.ok) {
      std::printf("imported %zu days\n", outcome.days.size());
    } else {
      std::printf("refused: %.90s\n", outcome.error.c_str());
    }
    return 0;
  } catch (const std::bad_alloc&) {
    std::printf("bad_alloc\n");
    return 3;
  }
}

}  // namespace

int main(int argc, char** argv) {
  long seconds = 60;
  long megabytes = 4096;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0)
      seconds = std::atol(argv[i + 1]);
    if (std::strcmp(argv[i], "--megabytes") == 0)
      megabytes = std::atol(argv[i + 1]);
  }
  char pattern[] = "/tmp/tollvane-import-bench-XXXXXX";
  const std::string top = ::mkdtemp(pattern);
  double slowest = 0;
  double largest = 0;
  std::string slowestName, largestName;
  int index = 0;
  for (const HostileFile& file : Files()) {
    const std::string folder = top + "/" + std::to_string(index++);
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/input";
    {
      const std::string bytes = file.bytes();
      std::ofstream(path, std::ios::binary) << bytes;
    }
    std::fflush(stdout);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
      return 1;
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(pipeFds[0]);
      ::dup2(pipeFds[1], STDOUT_FILENO);
      const rlimit space{static_cast<rlim_t>(megabytes) << 20, static_cast<rlim_t>(megabytes)
                                                                   << 20};
      ::setrlimit(RLIMIT_AS, &space);
      ::alarm(static_cast<unsigned>(seconds));
      const int code = RunOne(file, folder, path);
      std::fflush(stdout);
      ::_exit(code);
    }
    ::close(pipeFds[1]);
    std::string said;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
      said.append(buffer, got);
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double peakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    while (!said.empty() && said.back() == '\n')
      said.pop_back();
    if (WIFSIGNALED(status)) {
      said = WTERMSIG(status) == SIGALRM ? "still running after " + std::to_string(seconds) + " s"
                                         : "crashed, signal " + std::to_string(WTERMSIG(status));
    }
    std::printf("%-52s %8.3f s %8.1f MB  %s\n", file.name, elapsed, peakMB, said.c_str());
    if (elapsed > slowest)
      slowest = elapsed, slowestName = file.name;
    if (peakMB > largest)
      largest = peakMB, largestName = file.name;
  }
  std::filesystem::remove_all(top);
  std::printf("@ calendar.import\t%.2f s (%s) / %.0f MB (%s)\n", slowest, slowestName.c_str(),
              largest, largestName.c_str());
  return 0;
}
