// The HID access the USB-IO library stands on: find HID devices, open one, move reports.
// The library talks only to these interfaces, so a simulated board can stand in for hidapi.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tollvane::usbio {

// One HID device interface as the system lists it, copied out of the system's own list.
struct HidDeviceInfo {
  std::string path;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  // What tells one board from another of the same kind after a replug, where the system
  // knows it: the serial number (UTF-8) and the USB port path ("1-2.3:1.0"); else empty.
  std::string serialNumber;
  std::string portPath;
};

enum class ReadStatus { Ok, Failed, TimedOut };

// An open device. Reports are seen as the Windows HID stack shows them: byte 0 is the
// report id (0x00 for a device without numbered reports), data follow from byte 1.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  // Sends one output report, report id first. True when the system accepted it.
  virtual bool write(std::span<const uint8_t> report) = 0;
  // Waits at most timeoutMs for one input report and puts it into report, report id first;
  // bytes the device did not deliver are left as they were.
  virtual ReadStatus read(std::span<uint8_t> report, int timeoutMs) = 0;
  // The raw report descriptor, or nothing when it cannot be read.
  virtual std::optional<std::vector<uint8_t>> reportDescriptor() = 0;
};

enum class OpenFailure { None, PermissionDenied, Other };

struct OpenResult {
  std::unique_ptr<HidDevice> device;  // null when the open failed
  OpenFailure failure = OpenFailure::None;
};

struct StartResult {
  bool loaded = false;
  // Name of a required entry point that the loaded library lacks; empty when all are there.
  std::string missingEntry;
};

class HidTransport {
 public:
  virtual ~HidTransport() = default;
  // Brings the HID library up (the "load" step of the library start).
  virtual StartResult start() = 0;
  // Releases the HID library; no device of it may be open any more.
  virtual void stop() = 0;
  // File name of the HID library, as named in the load failure message.
  virtual std::string libraryName() const = 0;
  // Every HID device interface present, in the order the system lists them.
  virtual std::vector<HidDeviceInfo> enumerate() = 0;
  virtual OpenResult open(const std::string& path) = 0;
};

}  // namespace tollvane::usbio
