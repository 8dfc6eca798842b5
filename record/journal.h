// The systemd journal as a second home of the bell record, spoken to over journald's native
// datagram protocol: a send never waits (a busy or missing journal loses its copy only) and
// no library is needed.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tollvane {

class JournalSink {
 public:
  virtual ~JournalSink() = default;
  // stamp, kind and text as they stand in the record line (escaped). Called from the record's
  // writer thread only.
  virtual void send(std::string_view stamp, std::string_view kind, std::string_view text) = 0;
};

inline constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

// The journal under the identifier "tollvane", or nothing when no journal listens at
// socketPath (no journald on this machine).
std::shared_ptr<JournalSink> OpenSystemJournal(const std::string& socketPath = kJournalSocket);

}  // namespace tollvane
