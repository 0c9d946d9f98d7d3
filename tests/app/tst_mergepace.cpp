// "Tempo odesílání" of the "Hromadné odeslání" window: the figures of the account's provider
// preset, a cautious default or the figures last chosen for a server without one, the figures the
// user chose carried by the run (its plan, its estimated end) and by a run taken up again.

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/account/StoredSmtpAccount.h"
#include "app/contacts/AddressBookStore.h"
#include "app/contacts/MainWindowContacts.h"
#include "app/merge/MainWindowMerge.h"
#include "app/merge/MergeCheckModel.h"
#include "app/merge/MergePaceBox.h"
#include "app/merge/MergeRecipientsBox.h"
#include "app/merge/MergeRunOpen.h"
#include "app/merge/MergeRunPanel.h"
#include "app/merge/MergeWindow.h"
#include "merge/PlanFile.h"
#include "support/ComposerFixture.h"
#include "support/EventProcess.h"
#include "support/SendSetup.h"

using namespace quillory;
using namespace quillory::test;

namespace {

const QString kGroup = QStringLiteral("Zákazníci");

void PrepareFixture(TComposerFixture& f) {
    f.WriteEmptyBlocks();
    QFile presets(QUILLORY_PROVIDERS_FILE);
    if (!presets.open(QIODevice::ReadOnly)) qWarning("no providers.ini");
    f.WriteFile("providers.ini", presets.readAll().toStdString());
    f.Open();
}

void SetAccount(TComposerFixture& f, const QString& server, const std::string& provider) {
    TSmtpAccount account = ReadSmtpAccount(f.Form().FormStorage());
    account.server = ToWin1250(server);
    account.oauth.provider = provider;
    WriteSmtpAccount(f.Form().FormStorage(), account);
}

// The four fields as the user sees them: minute, hour, day, recipients a day.
QStringList Figures(const MergeWindow& window) {
    QStringList figures;
    for (const char* name : {"paceMinute", "paceHour", "paceDay", "paceRecipients"})
        figures << window.findChild<QLineEdit*>(name)->text();
    return figures;
}

QString Text(const QWidget& parent, const char* name) { return parent.findChild<QLabel*>(name)->text(); }

// The window shown again, as the menu entry shows it, once the account may have changed.
void ShowAgain(MergeWindow& window) {
    window.hide();
    window.show();
}

// "Předpokládaný konec: 9:30:00" (today) or "… 12. 12. 2026 9:30:00".
QDateTime EstimatedEnd(const QString& text) {
    const QString when = text.section(QStringLiteral(": "), 1);
    const QTime time = QTime::fromString(when, QStringLiteral("H:mm:ss"));
    if (time.isValid()) return QDateTime(QDate::currentDate(), time);
    return QDateTime::fromString(when, QStringLiteral("d. M. yyyy H:mm:ss"));
}

}  // namespace

class MergePaceTest : public QObject {
    Q_OBJECT

private slots:
    void thePresetsOrTheChosenPaceGoesWithTheRun() {
        TEventProcess smtp("net_aiosmtpd_server.py", {kSmtpUser, kSmtpPassword});
        QVERIFY(smtp.Port() != 0);
        const QString server = QStringLiteral("127.0.0.1:%1").arg(smtp.Port());
        TComposerFixture f;
        PrepareFixture(f);
        PrepareSend(f, server);
        SetAccount(f, server, "seznam");
        f.Get<QPlainTextEdit>("Memo2")->setPlainText(QStringLiteral("{oslovení},\nposíláme nabídku."));
        f.Tick("sCheckBox1");
        for (const char* address : {"jan.novak@firma.cz", "petr.dvorak@firma.cz"}) {
            Contact contact;
            contact.email = address;
            contact.groups.push_back(kGroup.toStdString());
            QVERIFY(f.Form().Contacts().Store().Add(contact));
        }

        // The provider's preset.
        f.Form().findChild<QAction*>("Hromadneodeslani1")->trigger();
        MergeWindow& window = f.Form().Merge().Window();
        QCOMPARE(Figures(window), (QStringList{"10", "200", "500", ""}));
        QVERIFY2(Text(window, "paceSource").contains(QStringLiteral("Seznam.cz / Email.cz")),
                 qPrintable(Text(window, "paceSource")));

        // A server without a preset starts at the cautious default.
        SetAccount(f, server, "");
        ShowAgain(window);
        QCOMPARE(Figures(window), (QStringList{"20", "", "500", ""}));
        QVERIFY(Text(window, "paceSource").contains(QStringLiteral("opatrné výchozí tempo")));
        QVERIFY(window.Recipients().TickGroup(kGroup));
        QTRY_VERIFY_WITH_TIMEOUT(!window.Checking() && window.CheckModel().TickedCount() == 2, 30000);
        QCOMPARE(Text(window, "paceEstimate"),
                 QStringLiteral("Zpráv k odeslání: 2, při tomto tempu potrvá odeslání asi méně než minutu."));

        // One message an hour, chosen by the user: the second message goes an hour after the first.
        auto* minute = window.findChild<QLineEdit*>("paceMinute");
        minute->selectAll();
        QTest::keyClick(minute, Qt::Key_Backspace);
        QTest::keyClicks(window.findChild<QLineEdit*>("paceHour"), "1");
        const SendingLimits chosen{0, 1, 500, 0};
        QCOMPARE(window.Pace().Limits(), chosen);
        QCOMPARE(Text(window, "paceEstimate"),
                 QStringLiteral("Zpráv k odeslání: 2, při tomto tempu potrvá odeslání asi 1 h."));
        f.desktop.answers << true;
        QTest::mouseClick(&window.SendButton(), Qt::LeftButton);
        MergeRunPanel* panel = window.RunPanel();
        QVERIFY(panel);
        const std::filesystem::path journal = panel->Journal().Path();
        QCOMPARE(LoadPlan(journal).limits, std::optional(chosen));
        QVERIFY(!smtp.Next("message ", 20000).isEmpty());
        const QDateTime firstSent = QDateTime::currentDateTime();
        QTRY_VERIFY_WITH_TIMEOUT(
            Text(*panel, "counts").startsWith(QStringLiteral("Odesláno: 1 ")) &&
                Text(*panel, "estimate").startsWith(QStringLiteral("Předpokládaný konec")),
            20000);
        const QDateTime end = EstimatedEnd(Text(*panel, "estimate"));
        QVERIFY2(std::abs(firstSent.secsTo(end) - 3600) < 120, qPrintable(Text(*panel, "estimate")));
        QTest::mouseClick(panel->findChild<QPushButton*>("stop"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!panel->Running(), 20000);
        QCOMPARE(panel->Journal().State().rows[1].state, RowState::ToSend);
        window.NewRun();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // Taken up again, the run keeps the pace of its plan, not the preset's.
        const TProgramFolders folders = TProgramFolders::Portable(f.Path("providers.ini").parent_path());
        TSmtpAccount account = ReadSmtpAccount(f.Form().FormStorage());
        account.oauth.provider = "seznam";
        QCOMPARE(OpenMergeRun(journal, folders, account).limits, chosen);

        // Another server without a preset starts at the default; this one at the figures chosen.
        SetAccount(f, QStringLiteral("smtp.jinde.cz:587"), "");
        ShowAgain(window);
        QCOMPARE(Figures(window), (QStringList{"20", "", "500", ""}));
        SetAccount(f, server, "");
        ShowAgain(window);
        QCOMPARE(Figures(window), (QStringList{"", "1", "500", ""}));
        QVERIFY(Text(window, "paceSource").contains(QStringLiteral("tempo zvolené naposledy")));
    }

    // A plan written without a pace of its own goes at the pace of the account's preset.
    void aPlanWithoutAPaceGoesAtThePresetsPace() {
        TComposerFixture f;
        PrepareFixture(f);
        MergePlan plan;
        plan.message.sender = "obchod@firma.cz";
        plan.rows.resize(1);
        plan.rows[0].address = "jan@firma.cz";
        const TProgramFolders folders = TProgramFolders::Portable(f.Path("providers.ini").parent_path());
        std::filesystem::path journal;
        {
            RunJournal created = CreateRun(folders.Data() / "runs", plan, std::chrono::sys_seconds{});
            journal = created.Path();
        }
        TSmtpAccount account;
        account.login = "obchod@gmail.com";
        QCOMPARE(OpenMergeRun(journal, folders, account).limits, (SendingLimits{0, 0, 500, 0}));
    }
};

QTEST_MAIN(MergePaceTest)
#include "tst_mergepace.moc"
