// Storing a sent message's copy in a local Dovecot (started by the test harness,
// tests/support/dovecot_server.py) with ImapClient::Append, the message streamed from a file:
//  1. the peak memory of storing a 1 KB message beside a 25 MB one, each in a process of its own,
//     so the difference is what the message's size costs: the file is read while it is sent, a
//     bounded block at a time;
//  2. the same 25 MB file stored by curl (curl -T file imap://.../Odeslan%26AOk-) in the same run:
//     wall time and peak memory of each.
// Every stored copy is checked against the file, byte for byte, in the server's Maildir.
//
//   bench_imap_append [runs]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "DovecotServer.h"
#include "net/imap/ImapClient.h"

namespace {

using namespace quillory;
using namespace quillory::bench;

constexpr const char* User = "shop";
constexpr const char* Password = "bench-heslo";

// A message of about `size` bytes: a header block and base64-like lines of 76 characters that do
// not compress (a xorshift stream), each ending in CR LF.
std::string MakeMessage(const std::string& path, std::size_t size) {
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "From: Obchod <shop@example.cz>\r\nTo: buyer@example.cz\r\nSubject: =?UTF-8?Q?Cen=C3=ADk?=\r\n"
           "Message-ID: <bench.1@example.cz>\r\nMIME-Version: 1.0\r\n"
           "Content-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::string line(78, '\n');
    line[76] = '\r';
    for (std::size_t written = 0; written < size; written += line.size()) {
        for (std::size_t i = 0; i < 76; ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            line[i] = Alphabet[state & 63];
        }
        out << line;
    }
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The program's store of the file at `path` into the Sent folder; the exit code tells whether the
// server took it.
int StoreCopy(int port, const std::string& path) {
    try {
        std::ifstream file(path, std::ios::binary | std::ios::ate);
        const auto size = static_cast<std::uint64_t>(file.tellg());
        file.seekg(0);
        ImapClient imap;
        imap.Host = "127.0.0.1";
        imap.Port = port;
        imap.Security = TImapSecurity::StartTLS;
        imap.OpenConnection(1000);
        imap.Login(User, Password);
        imap.Append(imap.FindSentFolder(), {size, [&file](char* buffer, std::size_t capacity) {
                                                file.read(buffer, static_cast<std::streamsize>(capacity));
                                                return static_cast<std::size_t>(file.gcount());
                                            }});
        imap.Logout();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "store failed: %s\n", error.what());
        return 1;
    }
}

void Report(const char* who, const char* what, const Run& run) {
    std::printf("%-10s %-20s %8.3f s  peak RSS %8.1f MiB%s\n", who, what, run.seconds, run.peakKiB / 1024.0,
                run.status == 0 ? "" : "  (FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 1;
    test::DovecotServer dovecot(User, Password);
    if (!dovecot.Started()) {
        std::fprintf(stderr, "Dovecot did not start: %s\n", dovecot.StartError().c_str());
        return 1;
    }
    const int port = dovecot.ImapPort();
    const std::string small = MakeMessage("/tmp/quillory-bench-imap-1KB.eml", 1000);
    const std::string large = MakeMessage("/tmp/quillory-bench-imap-25MB.eml", 25'000'000);
    const std::string url = "imap://" + std::string(User) + ":" + Password +
                            "@127.0.0.1:" + std::to_string(port) + "/Odeslan%26AOk-";
    std::size_t expected = 0;
    for (int i = 0; i < runs; ++i) {
        Report("ours", "1 KB message", InChild([&] { return StoreCopy(port, small); }));
        Report("ours", "25 MB message", InChild([&] { return StoreCopy(port, large); }));
        Report("curl -T", "25 MB message", InChild([] { return 0; }, {"curl", "-sS", "-T", large, url}));
        expected += 3;
    }

    // Every copy in the folder, byte for byte: the small message once, the large one twice per run.
    const std::string smallBytes = ReadFile(small);
    const std::string largeBytes = ReadFile(large);
    std::size_t whole = 0;
    const auto stored = dovecot.Messages("Odeslané");
    for (const auto& message : stored) whole += message.bytes == smallBytes || message.bytes == largeBytes;
    std::printf("stored %zu of %zu copies whole (%zu in the folder)\n", whole, expected, stored.size());
    std::remove(small.c_str());
    std::remove(large.c_str());
    return whole == expected && stored.size() == expected ? 0 : 1;
}
