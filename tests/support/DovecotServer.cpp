#include "DovecotServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>

namespace quillory::test {

namespace {

constexpr int StartLimitMs = 30000;
constexpr int StopLimitMs = 15000;

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

DovecotServer::DovecotServer(const std::string& user, const std::string& password)
    : DovecotServer(user, password, TOptions{}) {}

DovecotServer::DovecotServer(const std::string& user, const std::string& password, TOptions options)
    : user_(user) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillory-dovecot-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        startError_ = "cannot make a temporary folder";
        return;
    }
    folder_ = pattern;
    std::vector<std::string> argv{"/usr/bin/python3",
                                  std::string(QUILLORY_DOVECOT_SCRIPT_DIR) + "/dovecot_server.py",
                                  user,
                                  password,
                                  "--folder",
                                  folder_};
    if (options.tls) argv.push_back("--tls");
    if (!options.sentFolder) argv.push_back("--no-sent");
    if (!options.specialUse) argv.push_back("--no-special-use");
    for (const auto& name : options.extraFolders) {
        argv.push_back("--extra-folder");
        argv.push_back(name);
    }
    for (const auto& [name, secret] : options.extraUsers) {
        argv.push_back("--extra-user");
        argv.push_back(name);
        argv.push_back(secret);
    }
    if (!options.oauth2IntrospectionUrl.empty()) {
        argv.push_back("--oauth2");
        argv.push_back(options.oauth2IntrospectionUrl);
    }
    // Its standard input is a socket, so a write to a server already gone fails without SIGPIPE.
    int in[2];
    int out[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) < 0 || ::pipe2(out, O_CLOEXEC) < 0) {
        startError_ = "cannot make pipes";
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        std::vector<char*> args;
        for (auto& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    const std::string ready = ReadLine(StartLimitMs);
    std::istringstream words(ready);
    std::string word;
    words >> word;
    if (word == "ready") {
        words >> imapPort_ >> imapsPort_;
    } else {
        startError_ = ready.empty() ? "Dovecot did not start in time" : ready;
        imapPort_ = 0;
    }
}

DovecotServer::~DovecotServer() {
    CloseFd(input_);  // the script stops Dovecot when its input closes
    if (pid_ > 0) {
        // Its output ends when it does.
        while (output_ >= 0 && !ReadLine(StopLimitMs).empty()) {}
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    CloseFd(output_);
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string DovecotServer::ReadLine(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        pollfd entry{output_, POLLIN, 0};
        if (left <= 0 || ::poll(&entry, 1, static_cast<int>(left)) != 1) return {};
        char chunk[4096];
        const ssize_t n = ::read(output_, chunk, sizeof chunk);
        if (n <= 0) {
            CloseFd(output_);
            return {};
        }
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::string DovecotServer::CertificateAuthority() const { return folder_ + "/tls/trusted-ca.pem"; }

std::string DovecotServer::MaildirOf(const std::string& folderName, const std::string& user) const {
    // Maildir++ with UTF-8 names: INBOX is the Maildir itself, "A/B" is ".A.B".
    const std::string root = folder_ + "/mail/" + (user.empty() ? user_ : user) + "/Maildir";
    if (folderName == "INBOX") return root;
    std::string name = folderName;
    std::replace(name.begin(), name.end(), '/', '.');
    return root + "/." + name;
}

std::vector<DovecotServer::TMessage> DovecotServer::Messages(const std::string& folderName,
                                                             const std::string& user) const {
    std::vector<TMessage> messages;
    for (const char* sub : {"new", "cur"}) {
        const std::filesystem::path dir = std::filesystem::path(MaildirOf(folderName, user)) / sub;
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(dir, missing)) {
            if (!entry.is_regular_file()) continue;
            TMessage message;
            message.fileName = entry.path().filename().string();
            const std::size_t info = message.fileName.rfind(":2,");
            if (info != std::string::npos) message.flags = message.fileName.substr(info + 3);
            message.bytes = ReadFile(entry.path());
            messages.push_back(std::move(message));
        }
    }
    // Delivery order: a stored file's name starts with its second and its microsecond
    // ("1765440000.M98765P123.host,…"), the microsecond not padded, so names alone sort wrongly.
    const auto arrival = [](const std::string& name) {
        unsigned long long second = 0, micro = 0;
        std::sscanf(name.c_str(), "%llu.M%llu", &second, &micro);
        return std::make_tuple(second, micro, name);
    };
    std::sort(messages.begin(), messages.end(), [&](const TMessage& a, const TMessage& b) {
        return arrival(a.fileName) < arrival(b.fileName);
    });
    return messages;
}

bool DovecotServer::LogHas(const std::string& text, int timeoutMs) {
    if (input_ < 0) return false;
    const std::string request = "log " + std::to_string(std::max(timeoutMs, 0)) + " " + text + "\n";
    if (::send(input_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
        return false;
    return ReadLine(std::max(timeoutMs, 0) + 5000) == "log found";
}

std::string DovecotServer::Log() const { return ReadFile(folder_ + "/dovecot.log"); }

}  // namespace quillory::test
