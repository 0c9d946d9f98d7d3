#include "net/transport/IdComponent.h"

namespace quillory {

std::string TIdComponent::StatusText(TIdStatus status, const std::string& argument) {
    switch (status) {
    case TIdStatus::hsResolving:
        return "Resolving hostname " + argument + ".";
    case TIdStatus::hsConnecting:
        return "Connecting to " + argument + ".";
    case TIdStatus::hsConnected:
        return "Connected.";
    case TIdStatus::hsDisconnecting:
        return "Disconnecting.";
    case TIdStatus::hsDisconnected:
        return "Disconnected.";
    case TIdStatus::hsStatusText:
        break;
    }
    return argument;
}

void TIdComponent::NotifyStatus(TIdStatus status, const std::string& argument) {
    if (OnStatus) OnStatus(*this, status, StatusText(status, argument));
}

void TIdComponent::StartWork(TWorkMode mode, long long size) {
    WorkInfo& work = Work(mode);
    if (++work.level == 1) {
        work.size = size;
        work.position = 0;
        if (OnWorkBegin) OnWorkBegin(*this, mode, size);
    }
}

void TIdComponent::AddWork(TWorkMode mode, long long count) {
    WorkInfo& work = Work(mode);
    if (work.level < 1) return;
    work.position += count;
    if (OnWork) OnWork(*this, mode, work.position);
}

void TIdComponent::FinishWork(TWorkMode mode) {
    WorkInfo& work = Work(mode);
    if (work.level == 1 && OnWorkEnd) OnWorkEnd(*this, mode);
    if (work.level > 0) --work.level;
}

}  // namespace quillory
