// The shipped provider presets' sending limits for mail merge, as the settings read them.
#include <QTest>

#include "app/account/ProviderPresets.h"

namespace quillory::test {

class ProvidersTest : public QObject {
    Q_OBJECT

private slots:
    void theShippedPresetsCarryTheirSendingLimits() {
        const QVector<ProviderPreset> presets =
            ReadProviderPresets(std::filesystem::path(QUILLORY_PROVIDERS_FILE));
        QCOMPARE(presets.size(), 4);
        const auto limits = [&presets](const QString& id) {
            for (const ProviderPreset& preset : presets)
                if (preset.id == id) return preset.limits;
            qFatal("no preset %s", qPrintable(id));
        };
        QVERIFY((limits("microsoft") == SendingLimits{30, 0, 0, 10'000}));
        QVERIFY((limits("gmail") == SendingLimits{0, 0, 500, 0}));
        QVERIFY((limits("seznam") == SendingLimits{10, 200, 500, 0}));
        QVERIFY((limits("centrum") == SendingLimits{10, 200, 500, 0}));
    }

    void aLimitThatIsNoPositiveNumberIsNone() {
        const QVector<ProviderPreset> presets =
            ReadProviderPresets(QByteArray("[x]\nNazev=X\nSmtp=smtp.example.cz:465\nZpravZaMinutu=-"
                                           "5\nZpravZaHodinu=hodně\nZpravZaDen=250\n"));
        QCOMPARE(presets.size(), 1);
        QVERIFY((presets[0].limits == SendingLimits{0, 0, 250, 0}));
    }
};

}  // namespace quillory::test

QTEST_GUILESS_MAIN(quillory::test::ProvidersTest)
#include "tst_providers.moc"
