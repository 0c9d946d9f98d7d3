// Delivers one small message and one 20 MB message to a local sink (Postfix's smtp-sink) and
// reports the time per message and MB/s, next to msmtp and curl delivering the same message
// text to the same sink in the same run.
//
//   bench_smtp_delivery [small-runs] [large-runs]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "SinkSupport.h"
#include "mail/IdLineWriter.h"
#include "mail/IdMessage.h"
#include "mail/IdMessageClient.h"
#include "net/smtp/IdSMTP.h"

namespace {

using namespace quillory;
using Clock = std::chrono::steady_clock;
using namespace quillory::bench;

pid_t Spawn(const std::vector<std::string>& argv, const std::string& input = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = input.empty() ? ::open("/dev/null", O_RDONLY) : ::open(input.c_str(), O_RDONLY);
        const int out = ::open("/dev/null", O_WRONLY);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Collects what the message writer writes, as the file that msmtp and curl send.
class TextCollector : public TIdLineWriter {
public:
    void WriteText(const std::string& text) override { text_ += text; }
    void WriteLine(const std::string& line) override { text_ += line + "\r\n"; }
    std::string text_;
};

void FillMessage(TIdMessage& message, std::size_t bodyBytes) {
    message.From().SetText(std::string("Obchod <") + Sender + ">");
    message.Recipients().SetAddressesText(Recipient);
    message.Subject = "Offer";
    message.Body() = {"Good day,", "", "we offer what you asked for.", ".", "Regards"};
    const std::string line(76, 'x');
    for (std::size_t written = 0; written < bodyBytes; written += line.size() + 2)
        message.Body().push_back(line);
}

std::string WriteMessageFile(TIdMessage& message, const std::string& path) {
    TextCollector text;
    TIdMessageClient(text).TransmitMessage(message, false);
    std::ofstream(path, std::ios::binary) << text.text_;
    return path;
}

double ThreadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

struct Figures {
    double wallPerMessage;
    double cpuPerMessage;
};

Figures Measure(int runs, const std::function<void()>& deliver) {
    deliver();  // warm-up
    const double cpuStart = ThreadCpuSeconds();
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i) deliver();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    return {wall / runs, (ThreadCpuSeconds() - cpuStart) / runs};
}

void Report(const char* who, const char* what, std::size_t bytes, const Figures& figures, bool cpuIsOwn) {
    std::printf("%-6s %-6s %10zu bytes  %10.3f ms/message", who, what, bytes, figures.wallPerMessage * 1e3);
    if (cpuIsOwn) std::printf("  (client CPU %.3f ms)", figures.cpuPerMessage * 1e3);
    std::printf("  %9.1f MB/s\n", bytes / figures.wallPerMessage / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    const int smallRuns = argc > 1 ? std::atoi(argv[1]) : 200;
    const int largeRuns = argc > 2 ? std::atoi(argv[2]) : 3;
    const int port = FreePort();
    const pid_t sink = Spawn({"smtp-sink", "-u", "nobody", "127.0.0.1:" + std::to_string(port), "256"});
    for (int i = 0; i < 500 && !Accepts(port); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!Accepts(port)) {
        std::fprintf(stderr, "smtp-sink did not start (scripts/bench.sh places it in build-bench/tools)\n");
        return 1;
    }

    TIdMessage small;
    FillMessage(small, 0);
    TIdMessage large;
    FillMessage(large, 20 * 1024 * 1024);
    const std::string smallFile = WriteMessageFile(small, "/tmp/quillory-bench-small.eml");
    const std::string largeFile = WriteMessageFile(large, "/tmp/quillory-bench-large.eml");
    const std::size_t smallBytes = std::ifstream(smallFile, std::ios::ate | std::ios::binary).tellg();
    const std::size_t largeBytes = std::ifstream(largeFile, std::ios::ate | std::ios::binary).tellg();

    TIdSMTP smtp;
    smtp.Host = "127.0.0.1";
    smtp.Port = port;
    smtp.HeloName = "bench.example";
    if (argc > 3) smtp.WriteBufferThreshold = std::strtoul(argv[3], nullptr, 10);
    const auto ours = [&](TIdMessage& message) {
        return [&smtp, &message] {
            smtp.Connect(1000);
            smtp.SendMail(message);
            smtp.Disconnect();
        };
    };
    const auto tool = [&](const std::vector<std::string>& argv, const std::string& input) {
        return [argv, input] {
            if (WaitFor(Spawn(argv, input)) != 0) std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        };
    };
    const std::string portText = std::to_string(port);
    const auto msmtp = [&](const std::string& file) {
        return tool({"msmtp", "--host=127.0.0.1", "--port=" + portText, "--auth=off", "--tls=off",
                     std::string("--from=") + Sender, Recipient},
                    file);
    };
    const auto curl = [&](const std::string& file) {
        return tool({"curl", "-sS", "smtp://127.0.0.1:" + portText, "--mail-from", Sender, "--mail-rcpt",
                     Recipient, "--upload-file", file},
                    "");
    };

    Report("ours", "small", smallBytes, Measure(smallRuns, ours(small)), true);
    Report("msmtp", "small", smallBytes, Measure(std::max(smallRuns / 10, 5), msmtp(smallFile)), false);
    Report("curl", "small", smallBytes, Measure(std::max(smallRuns / 10, 5), curl(smallFile)), false);
    Report("ours", "20MB", largeBytes, Measure(largeRuns, ours(large)), true);
    Report("msmtp", "20MB", largeBytes, Measure(largeRuns, msmtp(largeFile)), false);
    Report("curl", "20MB", largeBytes, Measure(largeRuns, curl(largeFile)), false);

    ::kill(sink, SIGTERM);
    WaitFor(sink);
    std::remove(smallFile.c_str());
    std::remove(largeFile.c_str());
    return 0;
}
