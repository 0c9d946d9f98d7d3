// The program's icon through the real application object: every window, the main window
// included, carries the shipped picture at each of its sizes, pixel for pixel.
#include <QIcon>
#include <QPixmap>

#include "app/Application.h"
#include "support/ComposerFixture.h"

namespace quillory::test {

class IconTest : public QObject {
    Q_OBJECT

private slots:
    void theMainWindowShowsTheProgramsIconAtEverySize() {
        TComposerFixture fixture;
        fixture.WriteEmptyBlocks();
        const QIcon icon = fixture.Open().windowIcon();
        QCOMPARE(icon.availableSizes(), QList<QSize>({{48, 48}, {128, 128}, {256, 256}}));
        for (const int size : {48, 128, 256}) {
            const QImage picture = icon.pixmap(size, size).toImage();
            QCOMPARE(picture.size(), QSize(size, size));
            const QImage shipped(QStringLiteral(QUILLORY_ICONS_DIR "/quillory-%1.png").arg(size));
            QVERIFY(!shipped.isNull());
            QCOMPARE(picture, shipped.convertToFormat(picture.format()));
        }
    }
};

}  // namespace quillory::test

// The application object is the program's own, not the test library's.
int main(int argc, char** argv) {
    quillory::test::TFakeDesktop desktop;
    quillory::TApplication application(argc, argv, desktop);
    quillory::test::IconTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_icon.moc"
