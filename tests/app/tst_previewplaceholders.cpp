// The placeholders of the preview on their own: filling, the places of the empty ones in the shown
// text, the marks and when a rebuild is due.

#include <QPlainTextEdit>
#include <QTest>

#include "app/PreviewPlaceholders.h"

namespace quillory::test {
namespace {

PlaceholderValues Values(const std::string& name, const std::string& firm) {
    PlaceholderValues values;
    values.Set("jmeno", name);
    values.Set("firma", firm);
    return values;
}

}  // namespace

class PreviewPlaceholdersTest : public QObject {
    Q_OBJECT

private slots:
    // The preview shows CR LF as one line end and holds UTF-16 units: a place counts the characters
    // before the byte offset, a CR LF pair as one, one beyond the basic plane as two.
    void placesCountEveryLineEndOnce_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("place");
        QTest::newRow("first line") << QByteArray("ab") << 1 << 1;
        QTest::newRow("after one line end") << QByteArray("ab\r\ncd") << 5 << 4;
        QTest::newRow("at a line start") << QByteArray("ab\r\n\r\ncd") << 6 << 4;
        QTest::newRow("a lone CR or LF counts") << QByteArray("a\rb\nc\r\nd") << 7 << 6;
        // The UTF-8 form: the mark is no place, "ž" one, the clef beyond the basic plane two.
        QTest::newRow("UTF-8 form") << QByteArray(
                                           "\xEF\xBB\xBF\xC5\xBE\r\n\xF0\x9D\x84\x9E"
                                           "a")
                                    << 11 << 4;
    }
    void placesCountEveryLineEndOnce() {
        QFETCH(QByteArray, text);
        QFETCH(int, offset);
        QFETCH(int, place);
        const std::vector<int> places = PreviewPlaceholders::PreviewPositions(
            text.toStdString(), {{"x", static_cast<std::size_t>(offset)}});
        QCOMPARE(places, std::vector<int>{place});
    }

    void placesOfSeveralInOneText() {
        const std::string text = "a\r\nb\r\nc\r\nd";
        QCOMPARE(PreviewPlaceholders::PreviewPositions(text, {{"x", 3}, {"y", 3}, {"z", 9}}),
                 (std::vector<int>{2, 2, 6}));
    }

    void fillsNotesEmptyAndMarks() {
        PreviewPlaceholders placeholders;
        int asked = 0;
        const auto values = [&asked] {
            ++asked;
            return Values("Jana", "");
        };
        std::string plain = "Bez zastupcu\r\n";
        placeholders.Fill(plain, values);
        QCOMPARE(asked, 0);  // no brace: the values are not even asked for
        QCOMPARE(plain, std::string("Bez zastupcu\r\n"));
        QVERIFY(!placeholders.Stale([] { return Values("Petr", ""); }));

        std::string text = "Dobry den {jmeno},\r\nfirma: {firma}.";
        placeholders.Fill(text, values);
        QCOMPARE(asked, 1);
        QCOMPARE(text, std::string("Dobry den Jana,\r\nfirma: ."));
        QCOMPARE(placeholders.Empty().size(), std::size_t(1));
        QCOMPARE(placeholders.Empty()[0].name, std::string("firma"));

        QPlainTextEdit preview;
        preview.setPlainText(QString::fromStdString(text).replace("\r\n", "\n"));
        placeholders.Mark(preview);
        QCOMPARE(preview.extraSelections().size(), 1);
        QCOMPARE(preview.extraSelections()[0].cursor.blockNumber(), 1);
        QVERIFY(preview.toolTip().contains("{firma}"));

        QVERIFY(!placeholders.Stale(values));
        QVERIFY(placeholders.Stale([] { return Values("Petr", ""); }));

        // A rebuild without empty placeholders takes the marks away.
        std::string full = "{jmeno}";
        placeholders.Fill(full, values);
        placeholders.Mark(preview);
        QVERIFY(preview.extraSelections().isEmpty());
        QVERIFY(preview.toolTip().isEmpty());
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::PreviewPlaceholdersTest)
#include "tst_previewplaceholders.moc"
