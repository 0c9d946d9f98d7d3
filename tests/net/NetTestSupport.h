#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillory::test {

// A listening socket on 127.0.0.1 at a free port; the test accepts and talks to the client from
// its own thread, relying on the kernel's buffers (write first, then let the client read).
class LoopbackPeer {
public:
    LoopbackPeer();
    ~LoopbackPeer();
    int Port() const { return port_; }
    void Accept();
    void Send(const std::string& bytes);
    // Everything the client sent within `timeoutMs` (stops early at `count` bytes).
    std::string Receive(std::size_t count, int timeoutMs);
    void Close();

private:
    int listener_ = -1;
    int peer_ = -1;
    int port_ = 0;
};

// A port with a bound socket that does not listen: connecting to it is refused.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    int Port() const { return port_; }

private:
    int socket_ = -1;
    int port_ = 0;
};

// A listener whose accept queue is already full: further connection attempts go unanswered, as
// with a host that drops the packets.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    int Port() const { return port_; }

private:
    int listener_ = -1;
    int filler_ = -1;
    int port_ = 0;
};

// One raw exchange before the line dialogue (a proxy handshake): read `read` bytes, then send
// `send` ("<close>" closes instead).
struct RawExchange {
    std::size_t read;
    std::string send;
};

// A scripted SMTP peer on 127.0.0.1 (or another address of this machine) serving one client from a thread of
// its own. replies[0] is sent on accept; each later reply answers one line from the client, or the whole DATA
// section when the previous reply began with 354. "<close>" closes the connection; "<silent>" sends nothing
// more. Once the replies are used up the server only records lines until the client closes. Every wait is
// bounded, so a failing client cannot hang a test.
class ScriptedServer {
public:
    explicit ScriptedServer(std::vector<std::string> replies, std::vector<RawExchange> raw = {},
                            const std::string& ip = "127.0.0.1");
    ~ScriptedServer();
    int Port() const { return port_; }
    // Waits for the session's end; the lines the client sent, without their CR LF.
    std::vector<std::string> Transcript();
    // Everything the client sent after the raw exchanges, byte for byte.
    std::string Received();
    // The bytes read in each raw exchange.
    std::vector<std::string> RawRequests();

private:
    void Serve();
    bool ReadLine(int fd, std::string& line);
    void SendReply(int fd, const std::string& reply);

    int listener_ = -1;
    int port_ = 0;
    std::vector<std::string> replies_;
    std::vector<RawExchange> raw_;
    std::vector<std::string> rawRequests_;
    std::vector<std::string> lines_;
    std::string received_;
    std::string pending_;
    std::thread thread_;
};

// A peer on 127.0.0.1 that plays a script against one client from a thread of its own, for
// servers that misbehave in ways a list of replies cannot say: endless or trickling replies,
// resets, raw bytes. Every wait is bounded, so a failing client cannot hang a test.
class HostileServer {
public:
    class Session {
    public:
        explicit Session(int fd) : fd_(fd) {}
        // Sends the bytes as they are; false once the client is gone.
        bool Send(std::string_view bytes);
        // The client's next line without its CR LF; false when it closed or stayed silent for 10 s.
        bool ReadLine(std::string& line);
        // Reads one line and answers it with `reply` and CR LF, for each reply in turn.
        bool Answer(const std::vector<std::string>& replies);
        // Reads the lines of a DATA section up to its "."; `bytes` counts them with their CR LF.
        bool ReadData(std::size_t& bytes);
        // Reads at least `count` bytes of whatever the client sends.
        bool ReadBytes(std::size_t count);
        // Reads exactly `count` bytes (the lines not yet read first) into `bytes`.
        bool ReadExactly(std::size_t count, std::string& bytes);
        // True when the client closed within `ms`; what it sends meanwhile is read and dropped.
        bool ClientClosedWithin(int ms);
        // Ends the connection with a reset (RST) in place of the close's FIN.
        void Reset();
        // Closes the connection (also done when the script ends).
        void Close();

    private:
        int fd_;
        std::string pending_;
    };

    // `receiveBuffer` above 0 sets the accepted socket's receive buffer (SO_RCVBUF), so that a
    // client writing a large message soon waits for room.
    explicit HostileServer(std::function<void(Session&)> script, int receiveBuffer = 0);
    ~HostileServer();
    int Port() const { return port_; }
    // Waits for the script's end.
    void Join();

private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// The process's peak resident memory since the last ResetPeakMemory, in bytes (Linux).
std::size_t PeakMemory();
void ResetPeakMemory();

// A child process with its standard input and output on pipes.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    // The next line of its output without the line end; empty on end of output or timeout.
    std::string ReadLine(int timeoutMs);
    // Closes its standard input and waits for its end.
    void Finish();

private:
    int pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string pending_;
};

std::string SupportScript(const std::string& name);

}  // namespace quillory::test
