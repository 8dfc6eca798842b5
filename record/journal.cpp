#include "record/journal.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "engine/texts.h"

namespace tollvane {
namespace {

// One field of a native journal datagram, in the length-prefixed form, which carries any
// bytes: the name, a line break, the value's length as 64-bit little-endian, the value, a
// line break.
void AppendField(std::string& datagram, std::string_view name, std::string_view value) {
  datagram += name;
  datagram += '\n';
  std::uint64_t length = value.size();
  for (int i = 0; i < 8; ++i) {
    datagram += static_cast<char>(length & 0xFF);
    length >>= 8;
  }
  datagram += value;
  datagram += '\n';
}

class NativeJournal : public JournalSink {
 public:
  NativeJournal(int fd, const sockaddr_un& address) : fd_(fd), address_(address) {}
  ~NativeJournal() override { ::close(fd_); }
  NativeJournal(const NativeJournal&) = delete;
  NativeJournal& operator=(const NativeJournal&) = delete;

  void send(std::string_view stamp, std::string_view kind, std::string_view text) override {
    // Errors and warnings stand out in journalctl.
    const int priority = kind == text::record::kError     ? LOG_ERR
                         : kind == text::record::kWarning ? LOG_WARNING
                                                          : LOG_INFO;
    std::string message(kind);
    message += ' ';
    message += text;
    std::string datagram;
    datagram.reserve(message.size() + stamp.size() + kind.size() + 160);
    AppendField(datagram, "MESSAGE", message);
    AppendField(datagram, "PRIORITY", std::to_string(priority));
    AppendField(datagram, "SYSLOG_IDENTIFIER", "tollvane");
    AppendField(datagram, "TOLLVANE_KIND", kind);
    if (!stamp.empty())
      AppendField(datagram, "TOLLVANE_LOCAL_TIME", stamp);
    // A journal too busy to take it (EAGAIN) or gone costs this copy, never a wait.
    ::sendto(fd_, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
             reinterpret_cast<const sockaddr*>(&address_), sizeof address_);
  }

 private:
  int fd_;
  sockaddr_un address_;
};

}  // namespace

std::shared_ptr<JournalSink> OpenSystemJournal(const std::string& socketPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  struct stat info {};
  if (socketPath.size() >= sizeof address.sun_path || ::stat(socketPath.c_str(), &info) != 0 ||
      !S_ISSOCK(info.st_mode)) {
    return nullptr;
  }
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0)
    return nullptr;
  return std::make_shared<NativeJournal>(fd, address);
}

}  // namespace tollvane
