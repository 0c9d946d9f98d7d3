#pragma once

#include <map>
#include <string>

#include "NetTestSupport.h"

namespace quillory::test {

// An SMTP server without a login that answers the `refuseAt`-th message's final dot with `refusal`
// and takes every other; it counts what it took per recipient.
class RefusingServer {
public:
    RefusingServer(int refuseAt, std::string refusal)
        : server_([this, refuseAt, refusal](HostileServer::Session& session) {
              session.Send("220 mail.example\r\n");
              std::string line;
              std::string recipient;
              while (session.ReadLine(line)) {
                  const std::string verb = line.substr(0, 4);
                  if (verb == "QUIT") {
                      session.Send("221 bye\r\n");
                      break;
                  }
                  if (verb == "RCPT") recipient = line.substr(line.find('<'));
                  if (verb != "DATA") {
                      session.Send(verb == "EHLO" ? "250 mail.example\r\n" : "250 ok\r\n");
                      continue;
                  }
                  std::size_t bytes = 0;
                  if (!session.Send("354 go\r\n") || !session.ReadData(bytes)) break;
                  if (++messages_ == refuseAt) {
                      session.Send(refusal + "\r\n");
                  } else {
                      ++taken_[recipient];
                      session.Send("250 2.0.0 queued\r\n");
                  }
              }
          }) {}
    int Port() const { return server_.Port(); }
    // After the client's goodbye: the messages each recipient got, and the final dots seen.
    std::map<std::string, int> Taken() {
        server_.Join();
        return taken_;
    }
    int Messages() {
        server_.Join();
        return messages_;
    }

private:
    std::map<std::string, int> taken_;
    int messages_ = 0;
    HostileServer server_;
};

}  // namespace quillory::test
