// The provider presets of the outgoing-mail settings, read from the shipped data file and from texts
// that bend its rules.

#include <QTest>

#include "app/account/ProviderPresets.h"

namespace quillory::test {

class ProviderPresetsTest : public QObject {
    Q_OBJECT

private slots:
    void shippedFileOffersItsProvidersInOrder() {
        const QVector<ProviderPreset> presets =
            ReadProviderPresets(std::filesystem::path(QUILLORY_PROVIDERS_FILE));
        QVERIFY(presets.size() >= 3);
        QCOMPARE(presets[0].id, QString("seznam"));
        QCOMPARE(presets[0].name, QString("Seznam.cz / Email.cz"));
        QCOMPARE(presets[0].smtpServer, QString("smtp.seznam.cz:465"));
        QCOMPARE(presets[0].imapServer, QString("imap.seznam.cz:993"));
        QCOMPARE(presets[0].domains, QStringList({"seznam.cz", "email.cz", "post.cz"}));
        QVERIFY(presets[0].hint.contains("<a href="));
        const auto microsoft = std::find_if(presets.begin(), presets.end(), [](const ProviderPreset& p) {
            return p.login == TLoginMethod::Microsoft;
        });
        QVERIFY(microsoft != presets.end());
    }

    void readsWhatTheFileSays_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("comments, blanks and CR LF") << QByteArray(
                                                           "; a comment\r\n# another = not a key\r\n\r\n"
                                                           "[Jedna]\r\n  Nazev = Jedna pošta  \r\n"
                                                           "Smtp=smtp.jedna.cz\r\n")
                                                    << QStringList{"jedna"} << QStringList{"Jedna pošta"};
        QTest::newRow("key names in any case") << QByteArray("[a]\nNAZEV=A\nsmtp=s\nPRIHLASENI=Microsoft\n")
                                               << QStringList{"a"} << QStringList{"A"};
        QTest::newRow("without Nazev or Smtp, or with another login: left out")
            << QByteArray(
                   "[a]\nSmtp=s\n[b]\nNazev=B\n[c]\nNazev=C\nSmtp=s\nPrihlaseni=kerberos\n[d]\nNazev=D\nSmtp="
                   "s\n")
            << QStringList{"d"} << QStringList{"D"};
        QTest::newRow("the first of two sections of one name")
            << QByteArray("[a]\nNazev=First\nSmtp=s\n[A]\nNazev=Second\nSmtp=t\n") << QStringList{"a"}
            << QStringList{"First"};
        QTest::newRow("keys before any section belong to none")
            << QByteArray("Nazev=X\nSmtp=s\n[b]\nNazev=B\nSmtp=s\n") << QStringList{"b"} << QStringList{"B"};
        QTest::newRow("empty") << QByteArray() << QStringList{} << QStringList{};
    }
    void readsWhatTheFileSays() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, ids);
        QFETCH(QStringList, names);
        QStringList gotIds, gotNames;
        for (const ProviderPreset& preset : ReadProviderPresets(text)) {
            gotIds << preset.id;
            gotNames << preset.name;
        }
        QCOMPARE(gotIds, ids);
        QCOMPARE(gotNames, names);
    }

    void loginAndDomains() {
        const auto presets =
            ReadProviderPresets(QByteArray("[m]\nNazev=M\nSmtp=s\nPrihlaseni=microsoft\n"
                                           "Domeny=Outlook.com  HOTMAIL.com\n[p]\nNazev=P\nSmtp=s\n"));
        QCOMPARE(presets.size(), 2);
        QCOMPARE(presets[0].login, TLoginMethod::Microsoft);
        QCOMPARE(presets[0].domains, QStringList({"outlook.com", "hotmail.com"}));
        QCOMPARE(presets[1].login, TLoginMethod::Password);
        QCOMPARE(PresetForAddress(presets, "jana@Hotmail.com.")->id, QString("m"));
        QVERIFY(!PresetForAddress(presets, "jana@example.cz"));
    }

    void unreadableFileGivesNone() {
        QVERIFY(ReadProviderPresets(std::filesystem::path("/nonexistent/providers.ini")).isEmpty());
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::ProviderPresetsTest)
#include "tst_providerpresets.moc"
