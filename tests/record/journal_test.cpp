// The journal copy over journald's native protocol, against a socket of the test's own: the
// fields journalctl shows, and a journal that reads nothing never holding up the sender.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>

#include "record/journal.h"
#include "support/scratch_folder.h"

namespace tollvane {
namespace {

// A bound datagram socket standing in for journald.
class FakeJournald {
 public:
  explicit FakeJournald(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~FakeJournald() { ::close(fd_); }
  bool bound() const { return bound_; }

  // The fields of the next datagram, length-prefixed or plain.
  std::map<std::string, std::string> receive() {
    std::string datagram(65536, '\0');
    const ssize_t got = ::recv(fd_, datagram.data(), datagram.size(), 0);
    std::map<std::string, std::string> fields;
    if (got <= 0)
      return fields;
    datagram.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < datagram.size();) {
      const std::size_t end = datagram.find_first_of("=\n", at);
      if (end == std::string::npos)
        break;
      const std::string name = datagram.substr(at, end - at);
      if (datagram[end] == '=') {
        const std::size_t stop = datagram.find('\n', end);
        fields[name] = datagram.substr(end + 1, stop - end - 1);
        at = stop + 1;
      } else {
        std::uint64_t length = 0;
        for (int i = 7; i >= 0; --i)
          length = length << 8 | static_cast<unsigned char>(datagram[end + 1 + i]);
        fields[name] = datagram.substr(end + 9, length);
        EXPECT_EQ(datagram[end + 9 + length], '\n');
        at = end + 9 + length + 1;
      }
    }
    return fields;
  }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

TEST(Journal, SendsTheFieldsJournalctlShows) {
  testing::ScratchFolder folder;
  FakeJournald journald(folder.file("socket"));
  ASSERT_TRUE(journald.bound());
  auto journal = OpenSystemJournal(folder.file("socket"));
  ASSERT_NE(journal, nullptr);
  struct Case {
    std::string kind, priority;
  };
  const Case cases[] = {{"エラー", "3"}, {"警告", "4"}, {"出力オン", "6"}};
  for (const Case& c : cases) {
    journal->send("2026-12-07 08:30:00.006", c.kind, "定時 2 の 3\\n次");
    auto fields = journald.receive();
    EXPECT_EQ(fields["MESSAGE"], c.kind + " 定時 2 の 3\\n次");
    EXPECT_EQ(fields["PRIORITY"], c.priority);
    EXPECT_EQ(fields["SYSLOG_IDENTIFIER"], "tollvane");
    EXPECT_EQ(fields["TOLLVANE_KIND"], c.kind);
    EXPECT_EQ(fields["TOLLVANE_LOCAL_TIME"], "2026-12-07 08:30:00.006");
  }
}

TEST(Journal, NoJournalNoSinkAndAStalledOneNeverBlocks) {
  testing::ScratchFolder folder;
  EXPECT_EQ(OpenSystemJournal(folder.file("missing")), nullptr);
  testing::WriteBytes(folder.file("plain"), "");
  EXPECT_EQ(OpenSystemJournal(folder.file("plain")), nullptr);
  EXPECT_EQ(OpenSystemJournal(std::string(200, 'x')), nullptr);

  FakeJournald journald(folder.file("socket"));
  auto journal = OpenSystemJournal(folder.file("socket"));
  ASSERT_NE(journal, nullptr);
  // Far more than a datagram queue holds, with nobody reading: returns all the same.
  for (int i = 0; i < 5000; ++i)
    journal->send("2026-12-07 08:30:00.006", "再生", std::string(2000, 'x'));
  EXPECT_FALSE(journald.receive().empty());
}

}  // namespace
}  // namespace tollvane
