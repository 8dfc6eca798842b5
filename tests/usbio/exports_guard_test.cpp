// No C++ exception leaves an exported function: with the HID stack throwing at one step,
// every export that reaches that step returns its failure code, and the others their result.
// The process-wide library behind the exports gets its transport from makeHidapiTransport(),
// which this test defines in place of the hidapi one.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "simulated_hid.h"
#include "usbio.h"
#include "usbio/hidapi_transport.h"
#include "usbio_host.h"

namespace tollvane::usbio {
namespace {

using testing::Bytes;
using testing::SimulatedBoard;
using testing::SimulatedHid;

enum class Step { None, Start, Stop, Enumerate, Open, Write, Read, Descriptor };

struct Faults {
  Step throwAt = Step::None;
  bool thrown = false;
  void at(Step step) {
    if (step == throwAt) {
      thrown = true;
      throw std::bad_alloc();
    }
  }
};

Faults g_faults;
SimulatedHid g_hid;

class ThrowingDevice : public HidDevice {
 public:
  explicit ThrowingDevice(std::unique_ptr<HidDevice> inner) : inner_(std::move(inner)) {}
  bool write(std::span<const uint8_t> report) override {
    g_faults.at(Step::Write);
    return inner_->write(report);
  }
  ReadStatus read(std::span<uint8_t> report, int timeoutMs) override {
    g_faults.at(Step::Read);
    return inner_->read(report, timeoutMs);
  }
  std::optional<std::vector<uint8_t>> reportDescriptor() override {
    g_faults.at(Step::Descriptor);
    return inner_->reportDescriptor();
  }

 private:
  std::unique_ptr<HidDevice> inner_;
};

class ThrowingHid : public HidTransport {
 public:
  StartResult start() override {
    g_faults.at(Step::Start);
    return g_hid.start();
  }
  void stop() override {
    g_faults.at(Step::Stop);
    g_hid.stop();
  }
  std::string libraryName() const override { return g_hid.libraryName(); }
  std::vector<HidDeviceInfo> enumerate() override {
    g_faults.at(Step::Enumerate);
    return g_hid.enumerate();
  }
  OpenResult open(const std::string& path) override {
    g_faults.at(Step::Open);
    OpenResult opened = g_hid.open(path);
    if (opened.device)
      opened.device = std::make_unique<ThrowingDevice>(std::move(opened.device));
    return opened;
  }
};

}  // namespace

std::unique_ptr<HidTransport> makeHidapiTransport() {
  return std::make_unique<ThrowingHid>();
}

namespace {

struct Export {
  const char* name;
  int success;  // with one answering board found
  int failure;
  std::function<int()> call;
};

std::vector<Export> Exports() {
  static std::array<uint8_t, 60> buffer{};
  static uint8_t x = 0, y = 0;
  static char path[64];
  const auto b = buffer.data();
  return {
      {"openUSBIO", 1, 0, [] { return openUSBIO(); }},
      {"closeUSBIO", 0, 0, [] { return closeUSBIO(); }},
      {"uio_free", 0, 0, [] { return uio_free(); }},
      {"uio_getDevs", 1, 0, [] { return uio_getDevs(); }},
      {"uio_getVid", 0x1352, 0, [] { return uio_getVid(0); }},
      {"uio_getPid", 0x0121, 0, [] { return uio_getPid(0); }},
      {"uio_selDev", 0, 0, [] { return uio_selDev(0); }},
      {"uio_selId", 0, 1, [] { return uio_selId(0x1352, 0x0121); }},
      {"outputUSBIO", 0, -4, [] { return outputUSBIO(0, 1, 0); }},
      {"inputUSBIO", 0x42, -1, [] { return inputUSBIO(0, 0); }},
      {"uio_inpW", 0, 1, [] { return uio_inpW(&x, 0, 0); }},
      {"uio_outAll", 0, 1, [] { return uio_outAll(1, 2); }},
      {"uio_outInpAll", 0, 1, [] { return uio_outInpAll(1, 2, &x, &y); }},
      {"uio_inpAll", 0, 1, [] { return uio_inpAll(&x, &y); }},
      {"uio_inpOutAll", 0, 1, [] { return uio_inpOutAll(1, 2, &x, &y); }},
      {"uio2_inp", 0, 1, [b] { return uio2_inp(b); }},
      {"uio2_inOut", 0, 1, [b] { return uio2_inOut(b); }},
      {"uio2_Outin", 0, 1, [b] { return uio2_Outin(b); }},
      {"uio2_outIn", 0, 1, [b] { return uio2_outIn(b); }},
      {"uio2_setSys", 0, 1, [b] { return uio2_setSys(b); }},
      {"uio2_getSys", 0, 1, [b] { return uio2_getSys(b); }},
      {"uio_cmd", 0, 1, [b] { return uio_cmd(b); }},
      {"usbio_host_init", 0, 1, [] { return usbio_host_init(); }},
      {"usbio_host_board_output_checked", 0, 3, [] { return usbio_host_board_output_checked(1); }},
      {"usbio_host_board_output", 0, 0,
       [] {
         usbio_host_board_output(0);
         return 0;
       }},
      {"usbio_host_device_path", 12, -1, [] { return usbio_host_device_path(0, path, 64); }},
      {"usbio_host_report_lengths", 65, 65,
       [] {
         int input = 0, output = 0;
         usbio_host_report_lengths(&input, &output);
         return output;
       }},
      {"usbio_host_unopened_count", 0, 0, [] { return usbio_host_unopened_count(); }},
      {"usbio_host_library_loaded", 1, 0, [] { return usbio_host_library_loaded(); }},
  };
}

// Every report is echoed; a short command's answer (0x42 throughout) follows the echo.
void Answer(SimulatedBoard& board, const Bytes& written) {
  board.replies.push_back({ReadStatus::Ok, written});
  board.replies.push_back({ReadStatus::Ok, Bytes(written.size(), 0x42)});
}

TEST(ExportsGuard, AThrowAtAnyStepBecomesTheFailureCode) {
  auto board = g_hid.addBoard(0x1352, 0x0121, testing::vendorDescriptor(64, 64));
  board->respond = Answer;
  usbio_host_set_message_handler([](const char*, const char*) {});
  const Step steps[] = {Step::Start, Step::Stop, Step::Enumerate, Step::Open,
                        Step::Write, Step::Read, Step::Descriptor};
  for (const Step step : steps) {
    for (const Export& e : Exports()) {
      SCOPED_TRACE(std::string(e.name) + " throwing at step " +
                   std::to_string(static_cast<int>(step)));
      g_faults = {};
      uio_free();
      board->replies.clear();
      ASSERT_EQ(openUSBIO(), 1);

      g_faults.throwAt = step;
      int result = 0;
      EXPECT_NO_THROW(result = e.call());
      EXPECT_EQ(result, g_faults.thrown ? e.failure : e.success);
    }
  }
  g_faults = {};
  uio_free();
  EXPECT_EQ(board->openHandles, 0);
}

}  // namespace
}  // namespace tollvane::usbio
