// Attachments on their way to a local sink (Postfix's smtp-sink):
//  1. the peak memory of a send without an attachment beside one with a 100 MB attachment, each
//     in a process of its own, so the difference is what the attachment costs: the files are read
//     while they are written, a bounded block at a time;
//  2. a 25 MB attachment delivered by the program and by curl sending the same file as SMTP MIME
//     (-F) in the same run: wall time and peak memory of each.
//
//   bench_attachment_delivery [runs]
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
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildRun.h"
#include "SinkSupport.h"
#include "mail/IdMessage.h"
#include "net/smtp/IdSMTP.h"

namespace {

using namespace quillory;
using namespace quillory::bench;

// `size` bytes that do not compress: a xorshift stream.
std::string MakeFile(const std::string& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::vector<char> block(1 << 20);
    for (std::size_t written = 0; written < size;) {
        for (std::size_t i = 0; i + 8 <= block.size(); i += 8) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            for (int b = 0; b < 8; ++b) block[i + b] = static_cast<char>(state >> (8 * b));
        }
        const std::size_t take = std::min(block.size(), size - written);
        out.write(block.data(), static_cast<std::streamsize>(take));
        written += take;
    }
    return path;
}

// The program's send of one message, with the file at `path` attached when not empty, as the send
// command fills it; the exit code tells whether the sink took it.
int SendWithAttachment(int port, const std::string& path, std::int64_t size) {
    TIdMessage message;
    message.From().SetText(std::string("Obchod <") + Sender + ">");
    message.Recipients().SetAddressesText(Recipient);
    message.Subject = "Offer";
    if (path.empty()) {
        message.Body() = {"Good day,", "", "the price list follows.", "Regards"};
    } else {
        message.MessageParts().AddText({"Good day,", "", "the price list follows.", "Regards"});
        TIdAttachment& attachment = message.MessageParts().AddAttachment(path);
        attachment.SetContentType("application/pdf");
        attachment.SetExpectedSize(size);
    }
    try {
        TIdSMTP smtp;
        smtp.Host = "127.0.0.1";
        smtp.Port = port;
        smtp.HeloName = "bench.example";
        smtp.Connect(1000);
        smtp.SendMail(message);
        smtp.Disconnect();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "send failed: %s\n", error.what());
        return 1;
    }
}

void Report(const char* who, const char* what, const Run& run) {
    std::printf("%-22s %-28s %8.3f s  peak RSS %8.1f MiB%s\n", who, what, run.seconds, run.peakKiB / 1024.0,
                run.status == 0 ? "" : "  (FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1;
    const int port = FreePort();
    const pid_t sink = StartSmtpSink(port);
    if (sink < 0) return 1;
    constexpr std::int64_t kHundred = 100'000'000;
    constexpr std::int64_t kTwentyFive = 25'000'000;
    const std::string hundred = MakeFile("/tmp/quillory-bench-100MB.pdf", kHundred);
    const std::string twentyFive = MakeFile("/tmp/quillory-bench-25MB.pdf", kTwentyFive);
    const std::string portText = std::to_string(port);

    for (int i = 0; i < runs; ++i) {
        Report("ours", "no attachment", InChild([&] { return SendWithAttachment(port, "", 0); }));
        Report("ours", "100 MB attachment",
               InChild([&] { return SendWithAttachment(port, hundred, kHundred); }));
        Report("ours", "25 MB attachment",
               InChild([&] { return SendWithAttachment(port, twentyFive, kTwentyFive); }));
        Report("curl -F", "25 MB attachment",
               InChild([] { return 0; }, {"curl", "-sS", "smtp://127.0.0.1:" + portText, "--mail-from",
                                          Sender, "--mail-rcpt", Recipient, "-H", "Subject: Offer", "-F",
                                          "=Good day, the price list follows.;type=text/plain", "-F",
                                          "=@" + twentyFive + ";type=application/pdf;encoder=base64"}));
    }

    ::kill(sink, SIGTERM);
    ::waitpid(sink, nullptr, 0);
    std::remove(hundred.c_str());
    std::remove(twentyFive.c_str());
    return 0;
}
