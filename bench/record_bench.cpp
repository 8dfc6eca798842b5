// Figures for the bell record: what one record() call costs the caller (the tick's path), and
// how many lines a second the writer thread puts on the disk. Prints, asserts nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/local_time.h"
#include "record/bell_record.h"
#include "record/record_files.h"
#include "support/scratch_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

struct Spread {
  double median, p99, max;
};

Spread SpreadOf(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double q) {
    return samples[std::min(samples.size() - 1, static_cast<std::size_t>(q * samples.size()))];
  };
  return {at(0.5), at(0.99), samples.back()};
}

// A typical line: an output-on event with its two board results.
constexpr const char* kText = "定時 時間割 8 の 3 番 (08:30 音 3) ボード 書き込み 成功 / 成功";

// Texts that differ, so that no event is taken for a repeat of the one before.
std::vector<std::string> DistinctTexts(std::size_t count) {
  std::vector<std::string> texts;
  texts.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    texts.push_back(std::string(kText) + " #" + std::to_string(i));
  return texts;
}

}  // namespace

int main() {
  tollvane::testing::ScratchFolder folder;
  const tollvane::SystemClock clock;

  // Calls in bursts of ten, as a bell records a few events at once, the writer draining between
  // bursts as it does between bells.
  {
    tollvane::BellRecord record(clock, folder.path() / "calls");
    std::vector<double> costs;
    constexpr int kBursts = 2000;
    const std::vector<std::string> texts = DistinctTexts(kBursts * 10);
    for (int burst = 0; burst < kBursts; ++burst) {
      for (int i = 0; i < 10; ++i) {
        const std::string& text = texts[static_cast<std::size_t>(burst * 10 + i)];
        const auto start = Clock::now();
        record.record("出力オン", text);
        costs.push_back(Microseconds(Clock::now() - start));
      }
      if (burst % 20 == 19)
        record.flush();
    }
    record.flush();
    const Spread s = SpreadOf(costs);
    const auto over = std::count_if(costs.begin(), costs.end(), [](double c) { return c > 100; });
    double load = 0;
    if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
      if (std::fscanf(file, "%lf", &load) != 1)
        load = 0;
      std::fclose(file);
    }
    // On a loaded machine the tail is the scheduler's, not the record's.
    std::printf("calls over 100 us: %td of %zu, load average %.1f\n", over, costs.size(), load);
    std::printf(
        "record() on the caller, %zu calls in bursts of 10: median %.2f us, p99 %.2f us, "
        "max %.1f us (dropped %llu)\n",
        costs.size(), s.median, s.p99, s.max,
        static_cast<unsigned long long>(record.counts().dropped));
    std::printf("@ record.call\t%.2f / %.2f / %.1f us\n", s.median, s.p99, s.max);
  }

  // The writer flat out: lines queued as fast as the caller can, then waited for.
  {
    tollvane::RecordLimits limits;
    limits.queueLines = 1u << 20;
    limits.dayFileBytes = 64u << 20;  // no rotation inside the run
    tollvane::BellRecord record(clock, folder.path() / "throughput", limits);
    constexpr int kLines = 200000;
    const std::vector<std::string> texts = DistinctTexts(kLines);
    const auto start = Clock::now();
    for (int i = 0; i < kLines; ++i)
      record.record("再生", texts[static_cast<std::size_t>(i)]);
    const auto queued = Clock::now();
    record.flush(std::chrono::seconds(120));
    const double seconds = Microseconds(Clock::now() - start) / 1e6;
    const auto counts = record.counts();
    std::printf("writer: %llu lines written in %.2f s (queued in %.2f s): %.0f lines/s\n",
                static_cast<unsigned long long>(counts.written), seconds,
                Microseconds(queued - start) / 1e6, counts.written / seconds);
    std::printf("@ record.throughput\t%.0f lines/s\n", counts.written / seconds);
  }

  // Reading back a day at its size limit (its file and the set-aside part), as the record
  // window does on opening.
  {
    tollvane::BellRecord record(clock, folder.path() / "day");
    const std::vector<std::string> texts = DistinctTexts(30000);
    for (int i = 0; i < 30000; ++i) {
      record.record("再生", texts[static_cast<std::size_t>(i)]);
      if (i % 1000 == 999)
        record.flush();
    }
    record.flush();
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "day"))
      bytes += entry.file_size();
    const auto start = Clock::now();
    const auto reading = tollvane::ReadRecord(folder.path() / "day");
    const double ms = Microseconds(Clock::now() - start) / 1e3;
    std::printf("read a full day back (%.1f MB, %zu events): %.1f ms\n", bytes / 1e6,
                reading.events.size(), ms);
    std::printf("@ record.read\t%.1f ms\n", ms);
  }
  return 0;
}
