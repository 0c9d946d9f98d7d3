#pragma once

#include <functional>
#include <string>

#include "mail/IdLineWriter.h"
#include "net/transport/IdStack.h"

namespace quillory {

enum class TIdStatus {
    hsResolving,
    hsConnecting,
    hsConnected,
    hsDisconnecting,
    hsDisconnected,
    hsStatusText
};

using TWorkMode = TIdLineWriter::TWorkMode;

// The base of the socket components: keeps the process's stack alive and reports status and
// progress to whoever listens.
class TIdComponent {
public:
    // Sender, status and the formatted status text ("Connecting to 127.0.0.1.").
    using TIdStatusEvent =
        std::function<void(TIdComponent& sender, TIdStatus status, const std::string& text)>;
    using TWorkBeginEvent = std::function<void(TIdComponent& sender, TWorkMode mode, long long expected)>;
    using TWorkEvent = std::function<void(TIdComponent& sender, TWorkMode mode, long long position)>;
    using TWorkEndEvent = std::function<void(TIdComponent& sender, TWorkMode mode)>;

    TIdComponent() = default;
    TIdComponent(const TIdComponent&) = delete;
    TIdComponent& operator=(const TIdComponent&) = delete;
    virtual ~TIdComponent() = default;

    // The status text of `status` with `argument` in place of its "%s".
    static std::string StatusText(TIdStatus status, const std::string& argument = {});
    void NotifyStatus(TIdStatus status, const std::string& argument = {});

    void StartWork(TWorkMode mode, long long size);
    void AddWork(TWorkMode mode, long long count);
    void FinishWork(TWorkMode mode);

    TIdStatusEvent OnStatus;
    TWorkBeginEvent OnWorkBegin;
    TWorkEvent OnWork;
    TWorkEndEvent OnWorkEnd;

private:
    struct WorkInfo {
        long long position = 0;
        long long size = 0;
        int level = 0;
    };
    WorkInfo& Work(TWorkMode mode) { return mode == TWorkMode::wmRead ? read_ : write_; }

    TIdStackLease stack_;
    WorkInfo read_;
    WorkInfo write_;
};

}  // namespace quillory
