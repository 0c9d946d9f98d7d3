// A delivery session against a local sink (Postfix's smtp-sink, which offers PIPELINING) and the
// tests' Dovecot, each figure beside its comparison from the same run:
//  1. SMTP: N small messages through one session (one login, the envelope pipelined); as N separate
//     sends, each with a session of its own (the window's path: a connection per message); and
//     with Python's smtplib over one connection (which waits for every reply). Messages per second
//     and the client's CPU time per message.
//  2. IMAP: the same N messages with the copy in the Sent folder on: one IMAP connection for the
//     session against one per copy (separate sends).
//  3. Memory: the peak resident memory of a session of 1,000 and of 10,000 messages, each in a
//     process of its own.
//
//   bench_session_delivery [messages] [imap-messages]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "../net/ChildRun.h"
#include "../net/CpuFigures.h"
#include "../net/SinkSupport.h"
#include "DovecotServer.h"
#include "delivery/DeliverySession.h"
#include "mail/IdLineWriter.h"
#include "mail/IdMessage.h"
#include "mail/IdMessageClient.h"

namespace {

using namespace quillory;
using namespace quillory::bench;
using Clock = std::chrono::steady_clock;

constexpr const char* ImapUser = "shop";
constexpr const char* ImapPassword = "bench-heslo";

void FillMessage(TIdMessage& message) {
    message.From().SetText(std::string("Obchod <") + Sender + ">");
    message.Recipients().SetAddressesText(Recipient);
    message.Subject = "Offer";
    message.Body() = {"Good day,", "", "we offer what you asked for.", "", "Regards"};
}

Figures Measure(int count, const std::function<bool()>& sendOne) {
    Figures figures;
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) figures.delivered += sendOne() ? 1 : 0;
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.cpuSeconds = CpuSeconds() - cpu;
    return figures;
}

void Report(const char* way, int count, const Figures& figures) {
    std::printf("%-40s %6d msgs  %9.0f msg/s  %7.4f ms/msg  client CPU %7.4f ms/msg%s\n", way, count,
                count / figures.seconds, figures.seconds / count * 1e3, figures.cpuSeconds / count * 1e3,
                figures.delivered == count ? "" : "  (NOT ALL DELIVERED)");
}

// N messages through one session; true when all were delivered.
Figures OneSession(const TSmtpAccount& account, int count) {
    TIdMessage message;
    FillMessage(message);
    DeliverySession session(account, {});
    session.Smtp().HeloName = "bench.example";
    const Figures figures = Measure(count, [&] { return session.Send(message).Delivered(); });
    session.Close();
    return figures;
}

// N messages, each with a session of its own: connect, log in, send, QUIT.
Figures SeparateSends(const TSmtpAccount& account, int count) {
    TIdMessage message;
    FillMessage(message);
    return Measure(count, [&] {
        DeliverySession session(account, {});
        session.Smtp().HeloName = "bench.example";
        const bool delivered = session.Send(message).Delivered();
        session.Close();
        return delivered;
    });
}

// Python's smtplib over one connection, timed by itself (the interpreter's start not counted).
Figures Smtplib(int port, int count) {
    TIdMessage message;
    FillMessage(message);
    struct Collector : TIdLineWriter {
        void WriteText(const std::string& text) override { bytes += text; }
        void WriteLine(const std::string& line) override { bytes += line + "\r\n"; }
        std::string bytes;
    } text;
    TIdMessageClient(text).TransmitMessage(message, false);
    const std::string file = "/tmp/quillory-bench-session.eml";
    std::ofstream(file, std::ios::binary) << text.bytes;
    const std::string script =
        "import smtplib, sys, time\n"
        "port, count, text = int(sys.argv[1]), int(sys.argv[2]), open(sys.argv[3], 'rb').read()\n"
        "client = smtplib.SMTP('127.0.0.1', port, local_hostname='bench.example')\n"
        "client.ehlo()\n"
        "start, cpu = time.perf_counter(), time.process_time()\n"
        "for i in range(count): client.sendmail(sys.argv[4], [sys.argv[5]], text)\n"
        "print(time.perf_counter() - start, time.process_time() - cpu, count)\n"
        "client.quit()\n";
    const std::string command = "/usr/bin/python3 -c \"" + script + "\" " + std::to_string(port) + " " +
                                std::to_string(count) + " " + file + " " + Sender + " " + Recipient;
    Figures figures;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf %lf %d", &figures.seconds, &figures.cpuSeconds, &figures.delivered) != 3)
            figures.delivered = 0;
        ::pclose(pipe);
    }
    std::remove(file.c_str());
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int imapCount = argc > 2 ? std::atoi(argv[2]) : count;
    const int port = FreePort();
    const pid_t sink = StartSmtpSink(port);
    if (sink < 0) return 1;
    const TSmtpAccount account = SinkAccount(port);

    std::printf("SMTP to smtp-sink on 127.0.0.1\n");
    OneSession(account, 100);  // warm-up
    Report("one session (pipelined)", count, OneSession(account, count));
    TSmtpAccount lockStep = account;
    {
        TIdMessage message;
        FillMessage(message);
        DeliverySession session(lockStep, {});
        session.Smtp().HeloName = "bench.example";
        session.Smtp().UsePipelining = false;
        Report("one session (lock-step, for comparison)", count,
               Measure(count, [&] { return session.Send(message).Delivered(); }));
        session.Close();
    }
    Report("separate sends (a connection each)", count, SeparateSends(account, count));
    Report("python3 smtplib, one connection", count, Smtplib(port, count));

    std::printf("\nMemory: peak resident memory of one session, each in a process of its own\n");
    for (const int messages : {1000, 10000}) {
        const Run run = InChild([&] { return OneSession(account, messages).delivered == messages ? 0 : 1; });
        std::printf("one session, %6d msgs  peak RSS %7.1f MiB%s\n", messages, run.peakKiB / 1024.0,
                    run.status == 0 ? "" : "  (FAILED)");
    }

    test::DovecotServer dovecot(ImapUser, ImapPassword);
    if (!dovecot.Started()) {
        std::fprintf(stderr, "Dovecot did not start: %s\n", dovecot.StartError().c_str());
    } else {
        TSmtpAccount withCopy = account;
        withCopy.sentCopy.toServer = true;
        withCopy.sentCopy.server = "127.0.0.1:" + std::to_string(dovecot.ImapPort());
        withCopy.sentCopy.ownLogin = true;
        withCopy.sentCopy.login = ImapUser;
        withCopy.sentCopy.password = ImapPassword;
        std::printf("\nSMTP with the copy in the Sent folder of the tests' Dovecot\n");
        Report("one session, one IMAP connection", imapCount, OneSession(withCopy, imapCount));
        Report("separate sends, an IMAP connection each", imapCount, SeparateSends(withCopy, imapCount));
        std::printf("copies in the Sent folder: %zu (expected %d)\n", dovecot.Messages("Odeslané").size(),
                    2 * imapCount);
    }

    ::kill(sink, SIGTERM);
    ::waitpid(sink, nullptr, 0);
    return 0;
}
