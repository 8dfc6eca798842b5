// Prints figures, asserts nothing:
//  1. the phase of the T1Sec tick against the real clock: a single-shot timer re-armed with
//     MillisecondsToNextTick beside a free-running 1000 ms timer, in the same run;
//  2. a simulated year of ticks through the engine with a busy schedule: wall time and
//     resident memory before and after.
// Options: --seconds N (length of part 1, default 120), --days N (part 2, default 366).
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/bell_engine.h"
#include "engine/local_time.h"
#include "resident_memory.h"
#include "sim_loop.h"
#include "support/fakes.h"

namespace tollvane {
namespace {

using tollvane::bench::ResidentKiB;

constexpr int kTickSlackMs = 5;

// The moments one timer fired, read from the real local clock.
struct TickLog {
  std::vector<int64_t> wallMs;

  void record(const LocalTime& t) { wallMs.push_back(t.localSeconds * 1000 + t.millisecond); }

  // A locked timer is judged by its delay after the boundary it belongs to (a tick just
  // before a boundary counts as early, negative); a free-running one by where in the second
  // it falls (0..999 ms), since it belongs to no boundary.
  void print(const char* name, const char* key, bool lockedToBoundary) const {
    if (wallMs.size() < 2) {
      std::printf("%s: too few ticks (%zu)\n", name, wallMs.size());
      return;
    }
    std::vector<int> delays;
    long doubled = 0;
    long skipped = 0;
    for (size_t i = 0; i < wallMs.size(); ++i) {
      const int ms = static_cast<int>(((wallMs[i] % 1000) + 1000) % 1000);
      delays.push_back(lockedToBoundary && ms >= 500 ? ms - 1000 : ms);
      if (i > 0) {
        const int64_t step = wallMs[i] / 1000 - wallMs[i - 1] / 1000;
        if (step == 0) {
          ++doubled;
        } else if (step > 1) {
          skipped += step - 1;
        }
      }
    }
    std::vector<int> sorted = delays;
    std::sort(sorted.begin(), sorted.end());
    auto pick = [&](double q) {
      return sorted[std::min(sorted.size() - 1, static_cast<size_t>(q * sorted.size()))];
    };
    const double spanS = (wallMs.back() - wallMs.front()) / 1000.0;
    const double driftMs =
        static_cast<double>(wallMs.back() - wallMs.front()) - 1000.0 * (wallMs.size() - 1);
    std::printf("%s: %zu ticks over %.1f s; %s p50 %d ms, p99 %d ms, max %d ms, min %d ms; ", name,
                wallMs.size(), spanS,
                lockedToBoundary ? "delay after second boundary" : "position in the second",
                pick(0.50), pick(0.99), sorted.back(), sorted.front());
    std::printf("phase drift %+.1f ms in total (%+.2f ms/min); seconds skipped %ld, doubled %ld\n",
                driftMs, spanS > 0 ? driftMs * 60.0 / spanS : 0.0, skipped, doubled);
    // A locked timer has no drift of its own: its phase is set anew at every tick.
    if (lockedToBoundary) {
      std::printf("@ %s\t%d / %d / %d ms; %ld s skipped, %ld doubled in %.0f s\n", key, pick(0.50),
                  pick(0.99), sorted.back(), skipped, doubled, spanS);
    } else {
      std::printf(
          "@ %s\t%d / %d / %d ms; drift %+.0f ms/min; %ld s skipped, %ld doubled in %.0f s\n", key,
          pick(0.50), pick(0.99), sorted.back(), spanS > 0 ? driftMs * 60.0 / spanS : 0.0, skipped,
          doubled, spanS);
    }
  }
};

void TickPhase(int argc, char** argv, int seconds) {
  QCoreApplication app(argc, argv);
  SystemClock clock;
  TickLog locked;
  TickLog freeRunning;

  QTimer lockedTimer;
  lockedTimer.setSingleShot(true);
  lockedTimer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&lockedTimer, &QTimer::timeout, [&] {
    const LocalTime now = clock.now();
    locked.record(now);
    lockedTimer.start(MillisecondsToNextTick(now, kTickSlackMs));
  });

  // What a plain window timer does: a default (coarse) 1000 ms timer started at creation.
  QTimer freeTimer;
  freeTimer.setInterval(1000);
  QObject::connect(&freeTimer, &QTimer::timeout, [&] { freeRunning.record(clock.now()); });

  lockedTimer.start(MillisecondsToNextTick(clock.now(), kTickSlackMs));
  freeTimer.start();
  QTimer::singleShot(seconds * 1000 + 1200, Qt::PreciseTimer, &app, &QCoreApplication::quit);
  std::printf("tick phase against the real clock for %d s (slack %d ms)...\n", seconds,
              kTickSlackMs);
  std::fflush(stdout);
  app.exec();
  locked.print("locked single-shot T1Sec", "tick.locked", true);
  freeRunning.print("free-running 1000 ms timer", "tick.free", false);
}

class CountingBoard : public Board {
 public:
  void outputOn() override { ++ons; }
  void outputOff() override { ++offs; }
  int init() override { return 0; }
  long ons = 0;
  long offs = 0;
};

class CountingPlayer : public SoundPlayer {
 public:
  void setFileName(const std::string& f) override { file_ = f; }
  const std::string& fileName() const override { return file_; }
  void open() override {
    if (file_.empty()) {
      throw EMCIDeviceError("原因不明のエラー");
    }
    ++opens;
    open_ = true;
  }
  bool isOpen() const override { return open_; }
  void setTimeFormatMilliseconds() override {}
  int length() override { return 5000 + static_cast<int>(file_.size() % 7) * 4000; }
  void setNotify(bool) override {}
  void setWait(bool) override {}
  void play() override { ++plays; }
  void stop() override { ++stops; }
  void close() override { open_ = false; }
  void setEndHandler(std::function<void()> h) override { end_ = std::move(h); }
  long opens = 0;
  long plays = 0;
  long stops = 0;

 private:
  std::string file_;
  bool open_ = false;
  std::function<void()> end_;
};

class NoPrompts : public Prompts {
 public:
  Answer ask(const std::string&, const std::string&, Buttons) override { return Answer::Ok; }
};

void SimulatedYear(int days) {
  ProgramData data;
  ResetWeekSchedule(data.weekSchedule);
  for (int n = 1; n <= kRegisteredSounds; ++n) {
    data.soundTable[n] = "/usr/share/sounds/bell" + std::to_string(n) + ".wav";
  }
  // A busy school: every slot of every timetable used, 8:00 to 18:55.
  for (int t = 1; t <= kTimetableCount; ++t) {
    for (int n = 1; n <= kSlotsPerTimetable; ++n) {
      const int minuteOfDay = 8 * 60 + (n - 1) * 27 + t;
      data.weekSchedule.at(t, n) = {minuteOfDay / 60, minuteOfDay % 60, (n + t) % 10 + 1};
    }
  }
  data.holidayList.count = 20;
  for (int n = 1; n <= 20; ++n) {
    data.holidayList.at(n) = {n % 12 + 1, n + 3, ""};
  }

  testing::SimClock clock;
  CountingBoard board;
  CountingPlayer player;
  testing::SimTimer timer1(clock);
  testing::SimTimer timer2(clock);
  NoPrompts prompts;
  testing::RecordingView view;
  testing::MapPageTexts pages;
  BellEngine engine({data, clock, board, player, timer1, timer2, prompts, view, pages});
  testing::SimLoop loop(engine, clock, timer1, timer2);
  loop.keepErrors = false;

  clock.startAt(2027, 1, 1, 0, 0, 0, 0);
  loop.start();
  loop.runFor(60 * 1000);  // settle: first allocations of labels and the like
  const long rssBefore = ResidentKiB();
  const int64_t ticksBefore = loop.ticks;
  const auto start = std::chrono::steady_clock::now();
  loop.runFor(int64_t{days} * 86400 * 1000);
  const auto end = std::chrono::steady_clock::now();
  const long rssAfter = ResidentKiB();
  const double seconds = std::chrono::duration<double>(end - start).count();
  const int64_t ticks = loop.ticks - ticksBefore;
  std::printf(
      "simulated %d days: %lld T1SecTimer calls in %.2f s wall (%.0f ns per tick); "
      "%ld output on, %ld output off, %ld sounds, %lld errors; last label %s %s\n",
      days, static_cast<long long>(ticks), seconds, seconds * 1e9 / static_cast<double>(ticks),
      board.ons, board.offs, player.plays, static_cast<long long>(loop.errorCount),
      view.label3.c_str(), view.label61.c_str());
  std::printf("resident memory: %ld KiB before, %ld KiB after (%+ld KiB)\n", rssBefore, rssAfter,
              rssAfter - rssBefore);
  std::printf("@ year\t%.1f s for %d days (%.0f ns per tick); resident memory %+ld KiB\n", seconds,
              days, seconds * 1e9 / static_cast<double>(ticks), rssAfter - rssBefore);
}

}  // namespace
}  // namespace tollvane

int main(int argc, char** argv) {
  int seconds = 120;
  int days = 366;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) {
      seconds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--days") == 0) {
      days = std::max(1, std::atoi(argv[++i]));
    }
  }
  tollvane::SimulatedYear(days);
  std::fflush(stdout);
  tollvane::TickPhase(argc, argv, seconds);
  return 0;
}
