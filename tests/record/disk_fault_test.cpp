// A disk that fills up or turns read-only under the writer: the record loses what it cannot
// write, never leaves a cut line behind, says so once, and goes on when the disk recovers.
#include <gtest/gtest.h>

#include "engine/local_time.h"
#include "fault_io.h"
#include "record/bell_record.h"
#include "record/record_files.h"
#include "support/fakes.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

using testing::DiskFault;
using testing::InjectedDiskFault;

TEST(RecordDiskFault, LosesTheRecordOnlyAndResumes) {
  struct Case {
    DiskFault fault;
    std::size_t budget;  // bytes the disk still takes
    bool openBefore;     // a read-only mount refuses opening only, so it meets a fresh start
  };
  const Case cases[] = {{DiskFault::kFull, 0, true},
                        {DiskFault::kFull, 30, true},  // the first line is written in part
                        {DiskFault::kFullAtFlush, 0, true},
                        {DiskFault::kReadOnly, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::DiskFaultName(c.fault));
    testing::ScratchFolder scratch;
    testing::FakeClock clock;
    clock.time = {LocalSecondsOf(2026, 12, 7, 8, 30, 0), 0};
    std::vector<std::string> reports;
    BellRecord record(clock, scratch.path(), {}, nullptr,
                      [&](const std::string& r) { reports.push_back(r); });
    std::vector<std::string> expected = {"after",
                                         "書き込めなかったため、4件の記録が失われました。"};
    if (c.openBefore) {
      record.record("起動", "before");
      ASSERT_TRUE(record.flush());
      expected.push_back("before");
    }
    {
      InjectedDiskFault fault(c.fault, scratch.path().string(), c.budget);
      const int refusedBefore = InjectedDiskFault::refusals();
      for (int i = 0; i < 4; ++i) {
        record.record("再生", "during " + std::to_string(i));
        ASSERT_TRUE(record.flush());
      }
      EXPECT_GT(InjectedDiskFault::refusals(), refusedBefore);
    }
    EXPECT_EQ(record.counts().lost, 4u);
    EXPECT_EQ(reports.size(), 1u);
    record.record("停止", "after");
    ASSERT_TRUE(record.flush());
    const RecordReading reading = ReadRecord(scratch.path());
    EXPECT_EQ(reading.damagedLines, 0) << "no cut line left behind";
    std::vector<std::string> texts;
    for (const RecordEvent& e : reading.events)
      texts.push_back(e.text);
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(reports.size(), 2u);
  }
}

}  // namespace
}  // namespace tollvane
