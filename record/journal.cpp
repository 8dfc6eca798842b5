#include "record/journal.h"

#include <sys/stat.h>

#include <string>

#if TOLLVANE_HAVE_SYSTEMD
#include <syslog.h>
#include <systemd/sd-journal.h>
#endif

namespace tollvane {

#if TOLLVANE_HAVE_SYSTEMD
namespace {

class SystemJournal : public JournalSink {
 public:
  void send(std::string_view stamp, std::string_view kind, std::string_view text) override {
    // Errors and warnings stand out in journalctl; a failed send costs the journal copy only.
    const int priority = kind == "エラー" ? LOG_ERR : kind == "警告" ? LOG_WARNING : LOG_INFO;
    const std::string message = std::string(kind) + " " + std::string(text);
    sd_journal_send("MESSAGE=%s", message.c_str(), "PRIORITY=%d", priority,
                    "SYSLOG_IDENTIFIER=tollvane", "TOLLVANE_KIND=%.*s",
                    static_cast<int>(kind.size()), kind.data(), "TOLLVANE_LOCAL_TIME=%.*s",
                    static_cast<int>(stamp.size()), stamp.data(), nullptr);
  }
};

}  // namespace
#endif

std::shared_ptr<JournalSink> OpenSystemJournal() {
#if TOLLVANE_HAVE_SYSTEMD
  struct stat socket {};
  if (::stat("/run/systemd/journal/socket", &socket) == 0 && S_ISSOCK(socket.st_mode))
    return std::make_shared<SystemJournal>();
#endif
  return nullptr;
}

}  // namespace tollvane
