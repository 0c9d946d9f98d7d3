// The skin the main window switches on at start: from the folder "Skins/Wood" or the packed file
// "Skins/Wood.asz" beside the executable, the plain look when there is none or it is broken.

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>
#include <QtEndian>

#include <functional>

#include "app/skin/Skin.h"
#include "support/ComposerFixture.h"

namespace quillory::test {
class SkinTest;
// Prepares the executable's folder for one row of a table.
using TSetup = std::function<void(SkinTest&)>;
}  // namespace quillory::test
Q_DECLARE_METATYPE(quillory::test::TSetup)

namespace quillory::test {
namespace {

using TFiles = QList<QPair<QString, QByteArray>>;

// A packed skin written independently of the program's reader.
QByteArray Pack(const TFiles& files) {
    QByteArray packed("QLRYSKN1");
    const auto put = [&packed](auto number) {
        const auto little = qToLittleEndian(number);
        packed.append(reinterpret_cast<const char*>(&little), sizeof little);
    };
    put(quint32(files.size()));
    for (const auto& [name, data] : files) {
        const QByteArray rawName = name.toUtf8();
        put(quint16(rawName.size()));
        packed += rawName;
        put(quint32(data.size()));
        packed += data;
    }
    return packed;
}

QByteArray Png(QColor colour) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A skin that paints the composing area with a one-colour picture of its own.
TFiles PaintingSkin(QColor colour) {
    return {{"Options.dat", "QFrame#sPanel1 { background-image: url(images/tile.png); }\n"},
            {"images/tile.png", Png(colour)}};
}

TFiles With(TFiles files, const QString& name, const QByteArray& data) {
    for (auto& file : files) {
        if (file.first == name) {
            file.second = data;
            return files;
        }
    }
    files.append({name, data});
    return files;
}

const QColor kPackedColour(200, 100, 50);
const QColor kFolderColour(40, 160, 90);

TFiles FilesOf(const QString& folder) {
    TFiles files;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files.append({QDir(folder).relativeFilePath(path), file.readAll()});
    }
    return files;
}

QString ShippedWood() { return QStringLiteral(QUILLORY_TEST_SUPPORT_DIR) + "/../../skins/Wood"; }

}  // namespace

class SkinTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TComposerFixture> f_;

    void WriteFolder(const TFiles& files) const {
        for (const auto& [name, data] : files) {
            const std::string inSkins = "Skins/Wood/" + name.toStdString();
            std::filesystem::create_directories(f_->Path(inSkins).parent_path());
            f_->WriteFile(inSkins, data.toStdString());
        }
    }
    void WritePacked(const QByteArray& packed) const {
        std::filesystem::create_directories(f_->Path("Skins"));
        f_->WriteFile("Skins/Wood.asz", packed.toStdString());
    }
    // The colour the composing area shows between its salutation list and its first blocks.
    QColor ComposingAreaColour() const {
        auto* panel = f_->Get<QFrame>("sPanel1");
        return panel->grab().toImage().pixelColor(250, 61);
    }

private slots:
    void init() {
        f_ = std::make_unique<TComposerFixture>();
        f_->WriteEmptyBlocks();
        f_->WriteFile("blok1.txt", "text of block one");
    }
    void cleanup() {
        f_.reset();
        QCOMPARE(qApp->styleSheet(), QString());  // the window's skin leaves with it
    }

    void skinIsTakenFromThePackedFileElseTheFolder_data() {
        QTest::addColumn<TSetup>("setup");
        QTest::addColumn<QString>("source");  // empty: the plain look
        QTest::addColumn<QColor>("colour");
        const auto packed = [](const QByteArray& bytes) {
            return [bytes](SkinTest& t) { t.WritePacked(bytes); };
        };
        const auto folder = [](const TFiles& files) {
            return [files](SkinTest& t) { t.WriteFolder(files); };
        };
        const auto both = [](const QByteArray& bytes, const TFiles& files) {
            return [bytes, files](SkinTest& t) {
                t.WritePacked(bytes);
                t.WriteFolder(files);
            };
        };
        const TFiles folderSkin = PaintingSkin(kFolderColour);
        const QByteArray packedSkin = Pack(PaintingSkin(kPackedColour));
        const QColor plain;

        QTest::newRow("folder") << TSetup(folder(folderSkin)) << "Skins/Wood" << kFolderColour;
        QTest::newRow("packed file") << TSetup(packed(packedSkin)) << "Skins/Wood.asz" << kPackedColour;
        QTest::newRow("packed file before folder")
            << TSetup(both(packedSkin, folderSkin)) << "Skins/Wood.asz" << kPackedColour;
        QTest::newRow("broken packed file, sound folder")
            << TSetup(both(packedSkin.left(30), folderSkin)) << "Skins/Wood" << kFolderColour;
        QTest::newRow("no skin") << TSetup([](SkinTest&) {}) << "" << plain;
        QTest::newRow("empty skins folder")
            << TSetup([](SkinTest& t) { std::filesystem::create_directories(t.f_->Path("Skins/Wood")); })
            << "" << plain;

        // Broken skins leave the plain look without a word.
        const struct {
            const char* name;
            QByteArray bytes;
        } brokenPacked[] = {
            {"packed: cut short", packedSkin.chopped(1)},
            {"packed: bytes after the last file", packedSkin + "x"},
            {"packed: wrong magic", "XLRYSKN1" + packedSkin.mid(8)},
            {"packed: empty", ""},
            {"packed: too many files",
             packedSkin.left(8) + QByteArray("\xff\xff\xff\x0f", 4) + packedSkin.mid(12)},
            {"packed: no Options.dat", Pack({{"images/tile.png", Png(kPackedColour)}})},
            {"packed: name leaving the folder", Pack(With(PaintingSkin(kPackedColour), "../evil.png", "x"))},
            {"packed: absolute name", Pack(With(PaintingSkin(kPackedColour), "/tmp/evil.png", "x"))},
            {"packed: a name twice", Pack(With(PaintingSkin(kPackedColour), "images/tile.png", "x") +
                                          TFiles{{"images/tile.png", Png(kPackedColour)}})},
        };
        for (const auto& row : brokenPacked)
            QTest::newRow(row.name) << TSetup(packed(row.bytes)) << "" << plain;

        const struct {
            const char* name;
            TFiles files;
        } brokenFolder[] = {
            {"folder: no Options.dat", {{"images/tile.png", Png(kFolderColour)}}},
            {"folder: picture missing",
             {{"Options.dat", "QFrame#sPanel1 { background-image: url(images/none.png); }"}}},
            {"folder: picture is no picture", With(folderSkin, "images/tile.png", "not a picture")},
            {"folder: picture outside the folder",
             {{"Options.dat", "QFrame#sPanel1 { background-image: url(../../blok1.txt); }"}}},
            {"folder: absolute picture path",
             {{"Options.dat",
               "QFrame#sPanel1 { background-image: url(\"/usr/share/pixmaps/debian-logo.png\"); }"}}},
            {"folder: not UTF-8",
             With(folderSkin, "Options.dat", "QLabel { color: rgb(1,2,3); } /* \xff\xfe */")},
            {"folder: braces unbalanced",
             With(folderSkin, "Options.dat", "QFrame#sPanel1 { background-color: red; ")},
            {"folder: empty style sheet", With(folderSkin, "Options.dat", " \r\n")},
        };
        for (const auto& row : brokenFolder)
            QTest::newRow(row.name) << TSetup(folder(row.files)) << "" << plain;
        QTest::newRow("folder: picture linked from outside the folder") << TSetup([](SkinTest& t) {
            t.WriteFolder({{"Options.dat", "QFrame#sPanel1 { background-image: url(images/tile.png); }"}});
            t.f_->WriteFile("outside.png", Png(kFolderColour).toStdString());
            std::filesystem::create_directories(t.f_->Path("Skins/Wood/images"));
            std::filesystem::create_symlink(t.f_->Path("outside.png"),
                                            t.f_->Path("Skins/Wood/images/tile.png"));
        }) << "" << plain;
    }
    void skinIsTakenFromThePackedFileElseTheFolder() {
        QFETCH(TSetup, setup);
        QFETCH(QString, source);
        QFETCH(QColor, colour);
        setup(*this);
        f_->Open();
        const TsSkinManager& skin = f_->Form().SkinManager();
        QCOMPARE(skin.Active(), !source.isEmpty());
        QCOMPARE(skin.Source(), source.isEmpty()
                                    ? QString()
                                    : QString::fromStdString(f_->Path(source.toStdString()).string()));
        if (source.isEmpty()) {
            QCOMPARE(qApp->styleSheet(), QString());
            QCOMPARE(ComposingAreaColour(), f_->Get<QFrame>("sPanel1")->palette().color(QPalette::Window));
        } else {
            QCOMPARE(ComposingAreaColour(), colour);
        }
        // Nothing else changes: no message, the blocks are loaded.
        QVERIFY(f_->desktop.messages.isEmpty());
        QCOMPARE(f_->Block(1)->toPlainText(), QString("text of block one"));
    }

    void shippedWoodSkinColoursTheWindowsInBrowns_data() {
        QTest::addColumn<bool>("packed");
        QTest::newRow("as shipped, a folder") << false;
        QTest::newRow("packed into one file") << true;
    }
    void shippedWoodSkinColoursTheWindowsInBrowns() {
        QFETCH(bool, packed);
        const TFiles wood = FilesOf(ShippedWood());
        QVERIFY(!wood.isEmpty());
        if (packed) WritePacked(Pack(wood));
        else WriteFolder(wood);
        // Qt reports a style sheet it cannot parse only as a warning.
        QTest::failOnWarning(QRegularExpression("(?i)style ?sheet"));
        f_->Open();
        QVERIFY(f_->Form().SkinManager().Active());
        const QColor darkBrown(55, 33, 7);
        QCOMPARE(f_->Get<QLabel>("sLabel2")->palette().color(QPalette::WindowText), darkBrown);
        QCOMPARE(f_->Gate("sCheckBox1")->palette().color(QPalette::WindowText), darkBrown);
        const QColor field = f_->Get<QLineEdit>("sEdit1")->palette().color(QPalette::Base);
        QVERIFY2(field.red() > field.green() && field.green() > field.blue() && field.lightness() > 180,
                 qPrintable(field.name()));  // a light tan

        // The link stays blue and turns dark brown under the pointer, as the labels are.
        auto* link = f_->Get<QLabel>("sWebLabel1");
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(link, &enter);
        QCOMPARE(link->palette().color(QPalette::WindowText), darkBrown);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::SkinTest)
#include "tst_skin.moc"
