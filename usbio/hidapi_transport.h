// The HID transport on hidapi's hidraw backend.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "usbio/hid_transport.h"

namespace tollvane::usbio {

// The HID library, loaded at run time when the library starts.
inline constexpr const char* kHidapiLibraryFile = "libhidapi-hidraw.so.0";

// The transport on kHidapiLibraryFile. Programs that put another HID stack in its place
// (a simulation) define this one themselves and leave hidapi_transport.cpp out.
std::unique_ptr<HidTransport> makeHidapiTransport();
// The same on another library file (a name for dlopen, or a path).
std::unique_ptr<HidTransport> makeHidapiTransport(std::string libraryFile);

// hidapi hands back an unnumbered input report without its report id byte, while every byte
// position of the command set counts from that byte. So for such a device the report lands
// one byte in, after a 0 id; a numbered report comes with its id and lands at byte 0.
// rawRead(buffer, timeoutMs) behaves like hid_read_timeout: bytes read, 0 on time-out, -1 on
// error.
template <typename RawRead>
ReadStatus readAsWindowsReport(std::span<uint8_t> report, bool numberedReports, int timeoutMs,
                               RawRead&& rawRead) {
  std::span<uint8_t> target = report;
  if (!numberedReports) {
    if (report.empty())
      return ReadStatus::Failed;
    report[0] = 0x00;
    target = report.subspan(1);
  }
  if (target.empty())
    return ReadStatus::Failed;
  const int got = rawRead(target, timeoutMs);
  if (got < 0)
    return ReadStatus::Failed;
  if (got == 0)
    return ReadStatus::TimedOut;
  return ReadStatus::Ok;
}

// The sysfs file holding the report descriptor of a hidraw node ("/dev/hidraw3" ->
// "/sys/class/hidraw/hidraw3/device/report_descriptor"); empty for any other path.
std::string sysfsDescriptorPath(const std::string& devicePath);

// The USB port path in a resolved sysfs device path: its last component naming a USB
// interface ("/sys/devices/.../usb1/1-2/1-2.4:1.0/0003:1352:0121.0005" -> "1-2.4:1.0"); empty
// when there is none.
std::string usbPortPath(const std::string& sysfsDevice);

}  // namespace tollvane::usbio
