#pragma once

#include <QDeadlineTimer>
#include <QTest>

#include "app/send/MainWindowSend.h"
#include "app/send/SendProgress.h"
#include "app/send/SendWorker.h"
#include "support/ComposerFixture.h"

namespace quillory::test {

// Waits, handling events, until the send that a click started has ended and its outcome is shown;
// false when it is still running after `timeoutMs`.
inline bool WaitForSendEnd(TComposerFixture& f, int timeoutMs = 10000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (f.Form().Send().Worker().Running()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// Clicks "Odeslat" and waits for the end of the send.
inline bool SendAndWait(TComposerFixture& f, int timeoutMs = 10000) {
    f.Click("sBitBtn6");
    return WaitForSendEnd(f, timeoutMs);
}

}  // namespace quillory::test
