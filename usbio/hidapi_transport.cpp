#include "usbio/hidapi_transport.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <hidapi.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "usbio/report_descriptor.h"

namespace tollvane::usbio {

namespace {

// The kernel refuses larger report descriptors (HID_MAX_DESCRIPTOR_SIZE).
constexpr std::streamsize kMaxDescriptorBytes = 4096;

// hidapi's entry points as the transport uses them, looked up by name in the loaded library.
// The header gives only their types: nothing links to hidapi, so a machine without it still
// runs the program (bells by sound only).
struct HidapiEntries {
  decltype(&::hid_init) init = nullptr;
  decltype(&::hid_exit) exit = nullptr;
  decltype(&::hid_enumerate) enumerate = nullptr;
  decltype(&::hid_free_enumeration) freeEnumeration = nullptr;
  decltype(&::hid_open_path) openPath = nullptr;
  decltype(&::hid_close) close = nullptr;
  decltype(&::hid_write) write = nullptr;
  decltype(&::hid_read_timeout) readTimeout = nullptr;
};

// One load of the library; unloaded when the transport has stopped and no device of it is
// left open.
class LoadedHidapi {
 public:
  explicit LoadedHidapi(void* handle) : handle_(handle) {}
  ~LoadedHidapi() { dlclose(handle_); }
  LoadedHidapi(const LoadedHidapi&) = delete;
  LoadedHidapi& operator=(const LoadedHidapi&) = delete;

  template <typename Entry>
  void find(Entry& entry, const char* name) const {
    entry = reinterpret_cast<Entry>(dlsym(handle_, name));
  }

  HidapiEntries entries;
  bool initialised = false;

 private:
  void* handle_;
};

using HidapiLibrary = std::shared_ptr<LoadedHidapi>;

struct HidCloser {
  HidapiLibrary library;
  void operator()(hid_device* device) const { library->entries.close(device); }
};
using HidHandle = std::unique_ptr<hid_device, HidCloser>;

std::string utf8FromWide(const wchar_t* text) {
  std::string out;
  if (text == nullptr)
    return out;
  for (; *text != L'\0'; ++text) {
    const auto code = static_cast<uint32_t>(*text);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

// "1-2.3:1.0": bus, a dash, the hub ports joined by dots, a colon, configuration.interface.
bool isUsbInterfaceName(const std::string& name) {
  size_t at = 0;
  const auto digits = [&] {
    const size_t from = at;
    while (at < name.size() && name[at] >= '0' && name[at] <= '9')
      ++at;
    return at > from;
  };
  const auto take = [&](char c) {
    if (at >= name.size() || name[at] != c)
      return false;
    ++at;
    return true;
  };
  if (!digits() || !take('-') || !digits())
    return false;
  while (take('.')) {
    if (!digits())
      return false;
  }
  return take(':') && digits() && take('.') && digits() && at == name.size();
}

// The USB port a hidraw node hangs off, from where its sysfs device lies; empty when that is
// not a USB device (or not a hidraw node).
std::string portPathOf(const std::string& devicePath) {
  const std::string descriptor = sysfsDescriptorPath(devicePath);
  if (descriptor.empty())
    return {};
  const std::string link = descriptor.substr(0, descriptor.rfind('/'));
  char resolved[PATH_MAX];
  if (realpath(link.c_str(), resolved) == nullptr)
    return {};
  return usbPortPath(resolved);
}

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
    const auto write = entries().write;
    // hid_write takes the report id as the first byte, as Windows does.
    return write != nullptr && write(handle_.get(), report.data(), report.size()) >= 0;
  }

  ReadStatus read(std::span<uint8_t> report, int timeoutMs) override {
    const auto readTimeout = entries().readTimeout;
    if (readTimeout == nullptr)
      return ReadStatus::Failed;
    return readAsWindowsReport(
        report, numbered_, timeoutMs, [&](std::span<uint8_t> target, int timeout) {
          return readTimeout(handle_.get(), target.data(), target.size(), timeout);
        });
  }

  std::optional<std::vector<uint8_t>> reportDescriptor() override {
    return readDescriptorFile(path_);
  }

 private:
  const HidapiEntries& entries() const { return handle_.get_deleter().library->entries; }

  HidHandle handle_;
  std::string path_;
  bool numbered_ = false;
};

class HidapiTransport : public HidTransport {
 public:
  explicit HidapiTransport(std::string libraryFile) : libraryFile_(std::move(libraryFile)) {}

  StartResult start() override {
    StartResult result;
    stop();
    void* handle = dlopen(libraryFile_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
      return result;
    HidapiLibrary library;
    try {
      library = std::make_shared<LoadedHidapi>(handle);
    } catch (...) {
      dlclose(handle);
      throw;
    }
    HidapiEntries& entries = library->entries;
    result.loaded = true;
    // The two entry points checked at loading, in the order checked: hid_enumerate in place
    // of the attribute query (it yields every device's vendor and product id), hid_init in
    // place of the HID class query (it sets up the access to the HID devices). Without
    // either nothing can be found. A missing entry is reported and the library unloaded
    // again (stop()), so nothing not found is ever called.
    library->find(entries.enumerate, "hid_enumerate");
    if (entries.enumerate == nullptr) {
      result.missingEntry = "hid_enumerate";
      library_ = std::move(library);
      return result;
    }
    library->find(entries.init, "hid_init");
    if (entries.init == nullptr) {
      result.missingEntry = "hid_init";
      library_ = std::move(library);
      return result;
    }
    // The rest are looked up unchecked; each use checks its own and fails without it.
    library->find(entries.exit, "hid_exit");
    library->find(entries.freeEnumeration, "hid_free_enumeration");
    library->find(entries.openPath, "hid_open_path");
    library->find(entries.close, "hid_close");
    library->find(entries.write, "hid_write");
    library->find(entries.readTimeout, "hid_read_timeout");
    if (entries.init() != 0) {
      result.loaded = false;
      return result;
    }
    library->initialised = true;
    library_ = std::move(library);
    return result;
  }

  void stop() override {
    if (library_ && library_->initialised && library_->entries.exit != nullptr)
      library_->entries.exit();
    library_.reset();
  }

  std::string libraryName() const override { return libraryFile_; }

  std::vector<HidDeviceInfo> enumerate() override {
    std::vector<HidDeviceInfo> devices;
    // A list that cannot be released is not asked for.
    if (!usable() || library_->entries.freeEnumeration == nullptr)
      return devices;
    const HidapiEntries& entries = library_->entries;
    hid_device_info* list = entries.enumerate(0, 0);
    try {
      for (const hid_device_info* info = list; info != nullptr; info = info->next) {
        if (info->path == nullptr)
          continue;
        HidDeviceInfo device;
        device.path = info->path;
        device.vendorId = info->vendor_id;
        device.productId = info->product_id;
        device.serialNumber = utf8FromWide(info->serial_number);
        device.portPath = portPathOf(device.path);
        devices.push_back(std::move(device));
      }
    } catch (...) {
      entries.freeEnumeration(list);
      throw;
    }
    entries.freeEnumeration(list);
    return devices;
  }

  OpenResult open(const std::string& path) override {
    OpenResult result;
    if (!usable() || library_->entries.openPath == nullptr || library_->entries.close == nullptr) {
      result.failure = OpenFailure::Other;
      return result;
    }
    HidHandle handle(library_->entries.openPath(path.c_str()), HidCloser{library_});
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

 private:
  bool usable() const { return library_ && library_->initialised; }

  std::string libraryFile_;
  HidapiLibrary library_;
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

std::string usbPortPath(const std::string& sysfsDevice) {
  // The USB interface is the last component like "1-2.3:1.0" (bus-ports:config.interface).
  std::string found;
  size_t begin = 0;
  while (begin <= sysfsDevice.size()) {
    size_t end = sysfsDevice.find('/', begin);
    if (end == std::string::npos)
      end = sysfsDevice.size();
    const std::string part = sysfsDevice.substr(begin, end - begin);
    if (isUsbInterfaceName(part))
      found = part;
    begin = end + 1;
  }
  return found;
}

std::unique_ptr<HidTransport> makeHidapiTransport(std::string libraryFile) {
  return std::make_unique<HidapiTransport>(std::move(libraryFile));
}

std::unique_ptr<HidTransport> makeHidapiTransport() {
  return makeHidapiTransport(kHidapiLibraryFile);
}

}  // namespace tollvane::usbio
