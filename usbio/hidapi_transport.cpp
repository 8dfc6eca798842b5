#include "usbio/hidapi_transport.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <hidapi.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "usbio/report_descriptor.h"

namespace tollvane::usbio {

namespace {

constexpr const char* kFallbackLibraryName = "libhidapi-hidraw.so.0";
// The kernel refuses larger report descriptors (HID_MAX_DESCRIPTOR_SIZE).
constexpr std::streamsize kMaxDescriptorBytes = 4096;

struct HidCloser {
  void operator()(hid_device* device) const { hid_close(device); }
};
using HidHandle = std::unique_ptr<hid_device, HidCloser>;

struct EnumerationFreer {
  void operator()(hid_device_info* list) const { hid_free_enumeration(list); }
};

std::optional<std::vector<uint8_t>> readDescriptorFile(const std::string& devicePath) {
  const std::string file = sysfsDescriptorPath(devicePath);
  if (file.empty())
    return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::vector<uint8_t> bytes;
  char chunk[512];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    if (static_cast<std::streamsize>(bytes.size()) > kMaxDescriptorBytes)
      return std::nullopt;
  }
  if (bytes.empty())
    return std::nullopt;
  return bytes;
}

class HidapiDevice : public HidDevice {
 public:
  HidapiDevice(HidHandle handle, std::string path)
      : handle_(std::move(handle)), path_(std::move(path)) {
    // The supported boards do not number their reports; that is also the guess when the
    // descriptor cannot be read.
    if (auto descriptor = readDescriptorFile(path_)) {
      if (auto layout = parseReportDescriptor(*descriptor))
        numbered_ = layout->numberedReports;
    }
  }

  bool write(std::span<const uint8_t> report) override {
    // hid_write takes the report id as the first byte, as Windows does.
    return hid_write(handle_.get(), report.data(), report.size()) >= 0;
  }

  ReadStatus read(std::span<uint8_t> report, int timeoutMs) override {
    return readAsWindowsReport(
        report, numbered_, timeoutMs, [this](std::span<uint8_t> target, int timeout) {
          return hid_read_timeout(handle_.get(), target.data(), target.size(), timeout);
        });
  }

  std::optional<std::vector<uint8_t>> reportDescriptor() override {
    return readDescriptorFile(path_);
  }

 private:
  HidHandle handle_;
  std::string path_;
  bool numbered_ = false;
};

class HidapiTransport : public HidTransport {
 public:
  StartResult start() override {
    StartResult result;
    result.loaded = hid_init() == 0;
    // hidapi is linked, so the dynamic linker has already resolved every entry point.
    return result;
  }

  void stop() override { hid_exit(); }

  std::string libraryName() const override {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&hid_init), &info) != 0 && info.dli_fname != nullptr) {
      std::string name = info.dli_fname;
      const auto slash = name.find_last_of('/');
      return slash == std::string::npos ? name : name.substr(slash + 1);
    }
    return kFallbackLibraryName;
  }

  std::vector<HidDeviceInfo> enumerate() override {
    std::vector<HidDeviceInfo> devices;
    std::unique_ptr<hid_device_info, EnumerationFreer> list(hid_enumerate(0, 0));
    for (const hid_device_info* info = list.get(); info != nullptr; info = info->next) {
      if (info->path == nullptr)
        continue;
      devices.push_back({info->path, info->vendor_id, info->product_id});
    }
    return devices;
  }

  OpenResult open(const std::string& path) override {
    OpenResult result;
    HidHandle handle(hid_open_path(path.c_str()));
    if (handle) {
      result.device = std::make_unique<HidapiDevice>(std::move(handle), path);
      return result;
    }
    // hidapi does not keep errno reliably; ask the node once more to tell a missing
    // permission (no udev rule) from any other failure.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    const int error = errno;
    if (fd >= 0)
      ::close(fd);
    result.failure = (fd < 0 && (error == EACCES || error == EPERM)) ? OpenFailure::PermissionDenied
                                                                     : OpenFailure::Other;
    return result;
  }
};

}  // namespace

std::string sysfsDescriptorPath(const std::string& devicePath) {
  const std::string prefix = "/dev/";
  if (devicePath.rfind(prefix, 0) != 0)
    return {};
  const std::string node = devicePath.substr(prefix.size());
  if (node.rfind("hidraw", 0) != 0 || node.size() == 6)
    return {};
  for (size_t i = 6; i < node.size(); ++i) {
    if (node[i] < '0' || node[i] > '9')
      return {};
  }
  return "/sys/class/hidraw/" + node + "/device/report_descriptor";
}

std::unique_ptr<HidTransport> makeHidapiTransport() {
  return std::make_unique<HidapiTransport>();
}

}  // namespace tollvane::usbio
