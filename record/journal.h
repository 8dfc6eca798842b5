// The systemd journal as a second home of the bell record.
#pragma once

#include <memory>
#include <string_view>

namespace tollvane {

class JournalSink {
 public:
  virtual ~JournalSink() = default;
  // stamp, kind and text as they stand in the record line (escaped). Called from the record's
  // writer thread only; may block there, never on the caller of record().
  virtual void send(std::string_view stamp, std::string_view kind, std::string_view text) = 0;
};

// The journal under the identifier "tollvane", or nothing when no journal runs here (no
// socket of journald) or the program was built without libsystemd.
std::shared_ptr<JournalSink> OpenSystemJournal();

}  // namespace tollvane
