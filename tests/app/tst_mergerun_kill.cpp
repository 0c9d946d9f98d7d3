// The real program killed (SIGKILL) at random moments of a 50-row mail merge run and taken up each
// time with "quillory --resume-merge", against aiosmtpd: every recipient gets the message once,
// none is skipped, and each kill leaves at most one "možná odesláno" row, which the test settles
// as a user would after asking the server whether it took the message (--maybe-sent=arrived or
// =again).
//
// The program runs as an installed copy (a link to the built executable in a prefix with
// share/quillory), so its data and settings go to XDG folders of the test's own; its account is
// written by the program's own settings storage. Each kill comes at a random one of these moments:
// at once (the program starting, reading its settings, opening the journal), once the server has
// seen it connect (the login), once the server took a message from it (around the reply), or once
// the program wrote to the journal (a row made Sending just before its final dot, or a decision).
// 100 kills; QUILLORY_MERGE_KILLS sets another count.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "ServerEvents.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/merge/MergeRunConsole.h"
#include "app/merge/MergeRunResume.h"
#include "merge/PlanFile.h"
#include "merge/RunJournal.h"
#include "net/smtp/SmtpAccount.h"
#include "storage/forms/FormStorage.h"
#include "support/EventProcess.h"
#include "support/NumberedPlan.h"

using namespace quillory;

namespace {

constexpr int kRows = 50;

// The recording aiosmtpd: a line per connection, per connection's end and per message.
class RecordingServer : public test::TEventProcess {
public:
    RecordingServer()
        : TEventProcess("net_aiosmtpd_server.py",
                        {"novak", "heslo", "--connections", "--closings", "--ports"}) {}
    std::string ReadLine(int timeoutMs) { return NextRawLine(timeoutMs).toStdString(); }
};

// The writes to the journal, as the kernel tells them (inotify).
class JournalWrites {
public:
    explicit JournalWrites(const std::filesystem::path& path)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ::inotify_add_watch(fd_, path.c_str(), IN_MODIFY);
    }
    ~JournalWrites() { ::close(fd_); }
    // Forgets the writes told so far.
    void Forget() {
        char events[4096];
        while (::read(fd_, events, sizeof events) > 0) {}
    }
    // Waits for a write; false when none came within 20 seconds.
    bool Next() {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, 20000) != 1) return false;
        Forget();
        return true;
    }

private:
    int fd_;
};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// An installed copy of the program with folders of its own.
class InstalledProgram {
public:
    InstalledProgram() {
        const QString prefix = home_.path() + "/prefix";
        QDir().mkpath(prefix + "/bin");
        QDir().mkpath(prefix + "/share/quillory");
        executable_ = prefix + "/bin/quillory";
        std::error_code linked;
        std::filesystem::create_hard_link(QUILLORY_EXE, executable_.toStdString(), linked);
        if (linked) std::filesystem::copy_file(QUILLORY_EXE, executable_.toStdString());
        for (const char* folder : {"data/quillory", "config", "cache", "runtime"})
            QDir().mkpath(home_.path() + "/" + folder);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("HOME", home_.path());
        environment_.insert("XDG_DATA_HOME", home_.path() + "/data");
        environment_.insert("XDG_CONFIG_HOME", home_.path() + "/config");
        environment_.insert("XDG_CACHE_HOME", home_.path() + "/cache");
        environment_.insert("XDG_RUNTIME_DIR", home_.path() + "/runtime");
        // No display either: the run goes on without a window system.
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) environment_.remove(name);
        // No session bus: no keyring, the password stays in the INI file.
        environment_.remove("DBUS_SESSION_BUS_ADDRESS");
    }

    std::filesystem::path DataFolder() const { return (home_.path() + "/data/quillory").toStdString(); }

    // Stores the account as the settings dialog would (the main window's section of the INI file):
    // the recording server's login on `port`, no copy kept.
    void StoreAccount(int port) const {
        TSmtpAccount account;
        account.server = "127.0.0.1:" + std::to_string(port);
        account.authenticate = true;
        account.login = "novak";
        account.password = "heslo";
        account.sentCopy.localArchive = false;
        QWidget holder;
        TFormStorage storage(holder, [] {});
        storage.SetIniSection("TForm1");
        storage.SetOptions(0);
        storage.SetIniFileName((home_.path() + "/config/quillory.INI").toStdString());
        AddSmtpAccountValues(storage.StoredValues());
        storage.RestoreAll();
        WriteSmtpAccount(storage, account);
        storage.SaveAll();
    }

    void Start(QProcess& process, const QStringList& arguments) const {
        process.setProcessEnvironment(environment_);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(executable_, arguments);
    }

private:
    QTemporaryDir home_;
    QString executable_;
    QProcessEnvironment environment_;
};

}  // namespace

class MergeRunKillTest : public QObject {
    Q_OBJECT

private slots:
    void killedProgramResumedFromTheCommandLineDeliversEveryRowOnce() {
        QElapsedTimer elapsed;
        elapsed.start();
        RecordingServer server;
        QVERIFY(server.Port() > 0);
        test::ServerEvents events([&server](int timeoutMs) { return server.ReadLine(timeoutMs); },
                                  server.Port());

        InstalledProgram program;
        program.StoreAccount(server.Port());
        const std::filesystem::path journalPath = [&] {
            const RunJournal journal = CreateRun(
                MergeRunFolder(program.DataFolder()), test::NumberedPlan(kRows, "Obchod <novak@example.cz>"),
                std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
            return journal.Path();
        }();

        JournalWrites writes(journalPath);
        const QByteArray wanted = qgetenv("QUILLORY_MERGE_KILLS");
        const int kills = wanted.isEmpty() ? 100 : wanted.toInt();
        const auto seed = static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch());
        std::mt19937 random(seed);
        QStringList decision;
        int killed = 0;
        int maybeSent = 0;
        int sentAgain = 0;
        bool waitedForDecision = false;
        // The "možná odesláno" row the last run left, settled as the user would after asking the
        // server; the first one is also left undecided once, which the program must refuse to send.
        const auto settle = [&] {
            decision.clear();
            const JournalState state = ParseJournal(ReadAll(journalPath), journalPath);
            if (!state.maybeSent) return true;
            ++maybeSent;
            if (!waitedForDecision) {
                waitedForDecision = true;
                QProcess undecided;
                const int connections = events.Connections();
                program.Start(undecided, {"--resume-merge"});
                if (!undecided.waitForFinished(30000) ||
                    undecided.exitCode() != static_cast<int>(MergeRunExit::MaybeSent) || !events.Settle())
                    return false;
                // Only the probe of Settle connected: the program sent nothing.
                if (events.Connections() != connections + 1) return false;
            }
            const bool arrived = events.TakenFor(state.rows[*state.maybeSent].address) > 0;
            decision = {arrived ? "--maybe-sent=arrived" : "--maybe-sent=again"};
            sentAgain += arrived ? 0 : 1;
            return true;
        };

        // SIGTERM once a message went: the program stops the run by itself and says so; the journal
        // keeps it (at most the message under way is left "možná odesláno").
        {
            QProcess run;
            const int messages = events.Messages();
            program.Start(run, {"--resume-merge"});
            while (events.Messages() == messages) QVERIFY(events.Next());
            ::kill(static_cast<pid_t>(run.processId()), SIGTERM);
            QVERIFY(run.waitForFinished(30000));
            QCOMPARE(run.exitStatus(), QProcess::NormalExit);
            QVERIFY2(run.exitCode() == static_cast<int>(MergeRunExit::Stopped) ||
                         run.exitCode() == static_cast<int>(MergeRunExit::MaybeSent),
                     qPrintable(QString::number(run.exitCode()) + " " + run.readAllStandardError()));
            QVERIFY(events.Settle());
            QVERIFY(settle());
        }

        for (int kill = 0; kill < kills && events.Taken().size() < kRows; ++kill) {
            const int moment = std::uniform_int_distribution<int>(0, 3)(random);
            const int messages = events.Messages();
            const int connections = events.Connections();
            writes.Forget();
            QProcess run;
            program.Start(run, QStringList{"--resume-merge"} + decision);
            QVERIFY2(run.waitForStarted(), qPrintable(run.errorString()));
            // What a failure names: the seed to repeat it, the kill, and what the program said.
            const auto why = [&] {
                return QString("seed %1, kill %2: %3")
                    .arg(seed)
                    .arg(kill)
                    .arg(QString(run.readAllStandardError()));
            };
            while (moment == 1 && events.Connections() == connections)
                QVERIFY2(events.Next(), qPrintable(why()));
            while (moment == 2 && events.Messages() == messages) QVERIFY2(events.Next(), qPrintable(why()));
            if (moment == 3) QVERIFY2(writes.Next(), qPrintable(why()));
            ::kill(static_cast<pid_t>(run.processId()), SIGKILL);
            QVERIFY(run.waitForFinished(30000));
            killed += run.exitStatus() == QProcess::CrashExit ? 1 : 0;
            QVERIFY(events.Settle());
            QVERIFY(settle());
        }
        // The last run goes to the end by itself.
        QProcess last;
        program.Start(last, QStringList{"--resume-merge"} + decision);
        QVERIFY(last.waitForFinished(60000));
        QCOMPARE(last.exitStatus(), QProcess::NormalExit);
        QVERIFY2(last.exitCode() == static_cast<int>(MergeRunExit::Finished),
                 last.readAllStandardError().constData());
        QVERIFY(events.Settle());

        std::map<std::string, int> once;
        for (int row = 1; row <= kRows; ++row) once["row" + std::to_string(row) + "@example.cz"] = 1;
        QString wrong;
        for (const auto& [address, count] : once)
            if (events.TakenFor(address) != count)
                wrong += QString(" %1×%2").arg(QString::fromStdString(address)).arg(events.TakenFor(address));
        QVERIFY2(events.Taken() == once, qPrintable(QString("seed %1, delivered:%2").arg(seed).arg(wrong)));
        const JournalState state = ParseJournal(ReadAll(journalPath), journalPath);
        for (const JournalRow& row : state.rows) QCOMPARE(row.state, RowState::Delivered);
        QVERIFY(std::filesystem::exists(std::filesystem::path(journalPath).replace_extension(".csv")));
        QVERIFY(killed > 0);
        // Nothing left: the program says so with its own status.
        QProcess again;
        program.Start(again, {"--resume-merge"});
        QVERIFY(again.waitForFinished(30000));
        QCOMPARE(again.exitCode(), static_cast<int>(MergeRunExit::NothingToDo));
        qInfo(
            "seed %u: %d kills of the running program, %d left a 'možná odesláno' row (%d sent again), %lld "
            "ms",
            seed, killed, maybeSent, sentAgain, static_cast<long long>(elapsed.elapsed()));
    }

    // Every row goes, but the report beside the journal cannot be written: the status says so.
    void aFinishedRunWithoutItsReportEndsWithAnError() {
        RecordingServer server;
        QVERIFY(server.Port() > 0);
        InstalledProgram program;
        program.StoreAccount(server.Port());
        const std::filesystem::path journalPath =
            CreateRun(MergeRunFolder(program.DataFolder()),
                      test::NumberedPlan(2, "Obchod <novak@example.cz>"),
                      std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()))
                .Path();
        std::filesystem::create_directory(std::filesystem::path(journalPath).replace_extension(".csv"));
        QProcess run;
        program.Start(run, {"--resume-merge"});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), static_cast<int>(MergeRunExit::Error));
        const JournalState state = ParseJournal(ReadAll(journalPath), journalPath);
        for (const JournalRow& row : state.rows) QCOMPARE(row.state, RowState::Delivered);
    }
};

QTEST_MAIN(MergeRunKillTest)
#include "tst_mergerun_kill.moc"
