// The run stage of "Hromadné odeslání" through its panel, on the offscreen platform: a sending
// limit pauses the run with its reason and it goes on by itself, closing the program during a run
// asks first and keeps the run, and an unfinished run is offered again with its "možná odesláno"
// row for the user to decide. Scripted servers refuse one message for a limit; aiosmtpd takes the
// messages of a run taken up. Time is the test's own clock, which stands at a limit's wait until
// the test lets it go on, so nothing waits for real time.

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "RefusingServer.h"
#include "app/merge/MergeRunPanel.h"
#include "app/merge/MergeRunResume.h"
#include "merge/PlanFile.h"
#include "merge/ReplyVerdict.h"
#include "support/ComposerFixture.h"
#include "support/FakeDesktop.h"
#include "support/NumberedPlan.h"
#include "support/SendSetup.h"
#include "support/SmtpServerProcess.h"

using namespace quillory;
using namespace quillory::test;

namespace {

using Clock = MergeClock::Clock;

// Time that moves on at once, except at the end of a wait the test holds: it stands there until
// Release (or a Wake) and then goes on to the wait's end.
class HeldClock : public MergeClock {
public:
    Clock::time_point Now() override {
        const std::lock_guard lock(mutex_);
        return now_;
    }
    void WaitUntil(Clock::time_point until) override {
        std::unique_lock lock(mutex_);
        if (until <= now_) return;
        changed_.wait(lock, [this] { return released_ || woken_; });
        if (released_) now_ = until;
        released_ = woken_ = false;
    }
    void Wake() override {
        const std::lock_guard lock(mutex_);
        woken_ = true;
        changed_.notify_all();
    }
    void Release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    Clock::time_point now_ = Clock::from_time_t(1'765'440'000);  // 2025-12-11 08:00:00 UTC
    bool released_ = false;
    bool woken_ = false;
};

std::chrono::sys_seconds SecondsNow() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

MergeRunAccount Account(int port, bool login) {
    MergeRunAccount run;
    run.account.server = "127.0.0.1:" + std::to_string(port);
    run.account.authenticate = login;
    run.account.login = ToWin1250(kSmtpUser);
    run.account.password = ToWin1250(kSmtpPassword);
    run.account.readTimeoutMs = 10000;
    run.account.replyTimeLimitMs = 20000;
    run.account.sentCopy.localArchive = false;
    return run;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

QString Text(const MergeRunPanel& panel, const char* label) {
    return panel.findChild<QLabel*>(label)->text();
}

void Click(const MergeRunPanel& panel, const char* button) {
    QTest::mouseClick(panel.findChild<QPushButton*>(button), Qt::LeftButton);
}

// A run of `rows` rows in a folder of its own, refused at its fourth message by `refusal`.
struct RefusedRun {
    RefusedRun(int rows, const std::string& refusal)
        : server(4, refusal),
          plan(NumberedPlan(rows, "Obchod <obchod@example.cz>")),
          panel(desktop,
                OpenedMergeRun{
                    CreateRun(folder.path().toStdString(), plan, SecondsNow()), PlanCompose(plan), {}},
                Account(server.Port(), false), nullptr, &clock) {}

    QTemporaryDir folder;
    RefusingServer server;
    MergePlan plan;
    HeldClock clock;
    TFakeDesktop desktop;
    MergeRunPanel panel;
};

}  // namespace

class MergeRunPanelTest : public QObject {
    Q_OBJECT

private slots:
    void aLimitPausesTheRunWithItsReasonAndItGoesOnByItself_data() {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("reason");
        QTest::newRow("rate") << "451 4.7.1 rate limit"
                              << QString::fromUtf8(SendingLimitText(SendingLimit::Rate));
        QTest::newRow("daily") << "550 5.4.5 Daily user sending limit exceeded"
                               << QString::fromUtf8(SendingLimitText(SendingLimit::Daily));
    }
    void aLimitPausesTheRunWithItsReasonAndItGoesOnByItself() {
        QFETCH(QString, refusal);
        QFETCH(QString, reason);
        RefusedRun run(6, refusal.toStdString());
        run.panel.show();
        run.panel.Start();
        QTRY_VERIFY_WITH_TIMEOUT(!Text(run.panel, "waiting").isEmpty(), 20000);
        const QString waiting = Text(run.panel, "waiting");
        QVERIFY2(waiting.contains(reason), qPrintable(waiting));
        QVERIFY2(waiting.contains("Pokračuje samo v "), qPrintable(waiting));
        QVERIFY2(waiting.contains("Odpověď serveru: " + refusal), qPrintable(waiting));
        QCOMPARE(Text(run.panel, "counts"), QString("Odesláno: 3 z 6    Čeká: 3    Selhalo: 0"));
        // The end is reckoned from the wait's end on.
        QVERIFY2(Text(run.panel, "estimate").startsWith("Předpokládaný konec: "),
                 qPrintable(Text(run.panel, "estimate")));
        QVERIFY(run.panel.Running());

        // The user pauses the waiting run; the limit's time comes, and the run goes on when the
        // user says so, sending the refused row again.
        Click(run.panel, "pause");
        QVERIFY(!run.panel.findChild<QPushButton*>("pause")->isEnabled());
        QVERIFY(run.panel.findChild<QPushButton*>("resume")->isEnabled());
        QVERIFY(Text(run.panel, "waiting").startsWith("Pozastaveno"));
        run.clock.Release();
        Click(run.panel, "resume");
        QTRY_VERIFY_WITH_TIMEOUT(!run.panel.Running(), 20000);
        QCOMPARE(Text(run.panel, "status"), QString("Hromadné odeslání je dokončeno."));
        QVERIFY(Text(run.panel, "waiting").isEmpty());
        QCOMPARE(Text(run.panel, "counts"), QString("Odesláno: 6 z 6    Čeká: 0    Selhalo: 0"));
        std::map<std::string, int> once;
        for (int row = 1; row <= 6; ++row) once["<row" + std::to_string(row) + "@example.cz>"] = 1;
        QVERIFY(run.server.Taken() == once);
        QCOMPARE(run.server.Messages(), 7);

        // The report: every row in the window, and the CSV beside the journal.
        const auto* report = run.panel.findChild<QTableWidget*>("report");
        QVERIFY(report->isVisible());
        QCOMPARE(report->rowCount(), 6);
        for (int row = 0; row < 6; ++row) {
            QCOMPARE(report->item(row, 0)->text(), QString("row%1@example.cz").arg(row + 1));
            QCOMPARE(report->item(row, 1)->text(), QString("odesláno"));
            QVERIFY(report->item(row, 3)->text().startsWith("250 "));
        }
        const std::filesystem::path csv =
            std::filesystem::path(run.panel.Journal().Path()).replace_extension(".csv");
        QVERIFY(std::filesystem::exists(csv));
        QVERIFY(Text(run.panel, "reportPath").contains(QString::fromStdString(csv.string())));
    }

    void stopEndsTheRunAndTheJournalKeepsIt() {
        RefusedRun run(6, "451 4.7.1 rate limit");
        run.panel.show();
        run.panel.Start();
        QTRY_VERIFY_WITH_TIMEOUT(!Text(run.panel, "waiting").isEmpty(), 20000);
        Click(run.panel, "stop");
        QTRY_VERIFY_WITH_TIMEOUT(!run.panel.Running(), 20000);
        QVERIFY(Text(run.panel, "status").startsWith("Odesílání je zastaveno."));
        QVERIFY(!run.panel.findChild<QPushButton*>("stop")->isEnabled());
        QVERIFY(run.panel.findChild<QPushButton*>("resume")->isEnabled());
        QCOMPARE(run.panel.Journal().State().ToSend(), (std::vector<std::size_t>{3, 4, 5}));
        const auto* report = run.panel.findChild<QTableWidget*>("report");
        QCOMPARE(report->item(2, 1)->text(), QString("odesláno"));
        QCOMPARE(report->item(3, 1)->text(), QString("neodesláno"));
        QCOMPARE(report->item(3, 3)->text(), QString("451 4.7.1 rate limit"));
        QCOMPARE(run.server.Messages(), 4);
    }

    // Pozastavit, Zastavit, then Pokračovat: the new pass sends at once, not paused by the old one.
    void aRunStoppedWhilePausedGoesOnWhenTheUserSaysSo() {
        QTemporaryDir folder;
        const MergePlan plan = NumberedPlan(3, "Obchod <obchod@example.cz>");
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        QVERIFY(server.Port() > 0);
        HeldClock clock;  // one message a minute: the run waits after each until the test says
        TFakeDesktop desktop;
        MergeRunPanel panel(desktop,
                            OpenedMergeRun{CreateRun(folder.path().toStdString(), plan, SecondsNow()),
                                           PlanCompose(plan), SendingLimits{1, 0, 0, 0}},
                            Account(server.Port(), true), nullptr, &clock);
        panel.show();
        panel.Start();
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        Click(panel, "pause");
        Click(panel, "stop");
        QTRY_VERIFY_WITH_TIMEOUT(!panel.Running(), 20000);
        Click(panel, "resume");
        clock.Release();  // the minute since the first message (the pace holds across passes)
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(delivery.recipients, QStringList{"row2@example.cz"});
        clock.Release();
        QTRY_VERIFY_WITH_TIMEOUT(!panel.Running(), 20000);
        QCOMPARE(Text(panel, "status"), QString("Hromadné odeslání je dokončeno."));
        QVERIFY(server.NextDelivery(delivery));
        QCOMPARE(delivery.recipients, QStringList{"row3@example.cz"});
    }

    void aMessageThatCannotBeBuiltStopsTheRunWithTheReasonInCzech() {
        QTemporaryDir folder;
        MergePlan plan = NumberedPlan(2, "Obchod <obchod@example.cz>");
        const std::string gone = folder.path().toStdString() + "/cenik.pdf";
        plan.message.attachments = {{gone, "application/pdf"}};
        TFakeDesktop desktop;
        // Nothing connects: the message is built before the connection is made.
        MergeRunPanel panel(
            desktop,
            OpenedMergeRun{CreateRun(folder.path().toStdString(), plan, SecondsNow()), PlanCompose(plan), {}},
            Account(1, false));
        MergeRunEnd end;
        connect(&panel, &MergeRunPanel::ended, this, [&end](const MergeRunEnd& ended) { end = ended; });
        panel.Start();
        QTRY_VERIFY_WITH_TIMEOUT(!panel.Running(), 20000);
        QCOMPARE(end.outcome, MergeOutcome::ServerStop);
        QVERIFY(end.failed);
        const QString status = Text(panel, "status");
        QVERIFY2(status.startsWith("Při odesílání došlo k chybě.") &&
                     status.contains(QString::fromStdString(gone)),
                 qPrintable(status));
        QCOMPARE(panel.Journal().State().ToSend(), (std::vector<std::size_t>{0, 1}));
    }

    // A row whose own file went since the check fails alone, with the reason in the report, and
    // the run goes on with the next row (here to a server that cannot be reached).
    void aRowWhoseFileWentFailsAloneAndTheRunGoesOn() {
        QTemporaryDir folder;
        MergePlan plan = NumberedPlan(2, "Obchod <obchod@example.cz>");
        const std::string gone = folder.path().toStdString() + "/faktura-1.pdf";
        plan.rows[0].file = gone;
        TFakeDesktop desktop;
        MergeRunPanel panel(
            desktop,
            OpenedMergeRun{CreateRun(folder.path().toStdString(), plan, SecondsNow()), PlanCompose(plan), {}},
            Account(1, false));
        panel.Start();
        QTRY_VERIFY_WITH_TIMEOUT(!panel.Running(), 20000);
        const JournalState& state = panel.Journal().State();
        QCOMPARE(state.rows[0].state, RowState::Failed);
        QVERIFY2(state.rows[0].reply.find(gone) != std::string::npos, state.rows[0].reply.c_str());
        QCOMPARE(state.ToSend(), (std::vector<std::size_t>{1}));
        const auto* report = panel.findChild<QTableWidget*>("report");
        QCOMPARE(report->item(0, 1)->text(), QString("odmítnuto"));
    }

    void closingTheProgramDuringARunAsksAndKeepsTheRun() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        RefusedRun run(6, "451 4.7.1 rate limit");
        run.panel.Start();
        QTRY_VERIFY_WITH_TIMEOUT(!Text(run.panel, "waiting").isEmpty(), 20000);

        // "Ne": the program stays, and so does the run.
        f.desktop.answers = {false};
        f.Close();
        QVERIFY(f.Form().isVisible());
        QCOMPARE(f.desktop.questions.size(), 1);
        QVERIFY(f.desktop.questions[0].text.startsWith("Hromadné odeslání právě probíhá. Ukončit program?"));
        QVERIFY(run.panel.Running());

        // "Ano": the run stops at once and the program closes; the journal keeps the rows not sent.
        f.desktop.answers = {true};
        f.Close();
        QVERIFY(!f.Form().isVisible());
        QVERIFY(!run.panel.Running());
        const JournalState state =
            ParseJournal(ReadAll(run.panel.Journal().Path()), run.panel.Journal().Path());
        QVERIFY(!state.Finished());
        QCOMPARE(state.ToSend(), (std::vector<std::size_t>{3, 4, 5}));
        QCOMPARE(run.server.Messages(), 4);
        // The run's end shows in the panel once the event loop runs.
        QTRY_VERIFY_WITH_TIMEOUT(Text(run.panel, "status").startsWith("Odesílání je zastaveno."), 20000);
        QCOMPARE(run.panel.findChild<QPushButton*>("resume")->isEnabled(), true);
    }

    // A journal whose plan was never written (the program ended between the two) sent nothing and
    // cannot go on: it is not offered. One that sent something is offered, and told if it fails.
    void aRunWithoutItsPlanIsOfferedOnlyIfItSentSomething() {
        QTemporaryDir data;
        const std::filesystem::path folder = MergeRunFolder(data.path().toStdString());
        RunJournal journal =
            RunJournal::Create(folder, {{"row1@example.cz"}, {"row2@example.cz"}}, SecondsNow());
        UnfinishedRuns found = FindUnfinishedRuns(folder);
        QVERIFY(!found.newest);
        QVERIFY(found.damaged.empty());
        journal.Sending(0, SecondsNow());
        journal.Delivered(0, SecondsNow(), "250 2.0.0 Ok");
        found = FindUnfinishedRuns(folder);
        QVERIFY(found.newest == journal.Path());
    }

    void anUnfinishedRunIsOfferedWithItsMaybeSentRowForTheUser_data() {
        QTest::addColumn<bool>("arrived");
        QTest::addColumn<QStringList>("delivered");
        QTest::addColumn<QString>("rowState");
        QTest::newRow("arrived") << true << QStringList{"row3@example.cz"}
                                 << "odesláno (potvrzeno uživatelem)";
        QTest::newRow("again") << false << QStringList{"row2@example.cz", "row3@example.cz"} << "odesláno";
    }
    void anUnfinishedRunIsOfferedWithItsMaybeSentRowForTheUser() {
        QFETCH(bool, arrived);
        QFETCH(QStringList, delivered);
        QFETCH(QString, rowState);
        QTemporaryDir data;
        const std::filesystem::path folder = MergeRunFolder(data.path().toStdString());
        const MergePlan plan = NumberedPlan(3, "Obchod <obchod@example.cz>");
        const std::filesystem::path journalPath = [&] {
            RunJournal journal = CreateRun(folder, plan, SecondsNow());
            journal.Sending(0, SecondsNow());
            journal.Delivered(0, SecondsNow(), "250 2.0.0 Ok");
            journal.Sending(1, SecondsNow());  // the final dot went out, the reply never came back
            return journal.Path();
        }();
        // A newer journal that cannot be read: told with its path, never written.
        const std::filesystem::path damaged = folder / "hromadne-odeslani-20991231-235959.denik";
        std::ofstream(damaged, std::ios::binary) << "00000000 nesmysl\n";
        const std::string damagedBytes = ReadAll(damaged);

        TFakeDesktop desktop;
        desktop.answers = {true};
        const auto offered = OfferUnfinishedRun(nullptr, desktop, folder);
        QVERIFY(offered == journalPath);
        QCOMPARE(desktop.messages.size(), 1);
        QCOMPARE(desktop.messages[0].kind, TDesktop::TMessageKind::Error);
        QVERIFY2(desktop.messages[0].text.contains(QString::fromStdString(damaged.string())),
                 qPrintable(desktop.messages[0].text));
        QCOMPARE(desktop.questions.size(), 1);
        QVERIFY2(desktop.questions[0].text.contains("odesláno 1 z 3") &&
                     desktop.questions[0].text.contains("Zpráva pro row2@example.cz možná odešla"),
                 qPrintable(desktop.questions[0].text));

        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        QVERIFY(server.Port() > 0);
        MergeRunPanel panel(desktop,
                            OpenMergeRun(*offered, TProgramFolders::Portable(data.path().toStdString()), {}),
                            Account(server.Port(), true));
        panel.show();
        panel.Start();
        // Nothing goes before the decision.
        QVERIFY(!panel.Running());
        QVERIFY(panel.findChild<QWidget*>("arrived")->isVisible());
        QVERIFY(Text(panel, "decisionText").startsWith("Zpráva pro row2@example.cz možná odešla"));
        QVERIFY(!panel.findChild<QPushButton*>("resume")->isEnabled());

        Click(panel, arrived ? "arrived" : "again");
        QTRY_VERIFY_WITH_TIMEOUT(!panel.Running(), 20000);
        QCOMPARE(Text(panel, "status"), QString("Hromadné odeslání je dokončeno."));
        QStringList recipients;
        for (int n = 0; n < delivered.size(); ++n) {
            TSmtpServerProcess::TDelivery delivery;
            QVERIFY(server.NextDelivery(delivery));
            recipients += delivery.recipients;
        }
        QCOMPARE(recipients, delivered);
        QVERIFY(!server.Pending().join('\n').contains("message "));
        QCOMPARE(panel.findChild<QTableWidget*>("report")->item(1, 1)->text(), rowState);
        QCOMPARE(ReadAll(damaged), damagedBytes);
    }
};

QTEST_MAIN(MergeRunPanelTest)
#include "tst_mergerun.moc"
