// The skin the main window switches on at start: from the folder "Skins/Wood" or the packed file
// "Skins/Wood.asz" beside the executable, the plain look when there is none or it is broken. Every
// caption fits its widget in either look; every label of the settings dialog shows whole.

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QStyleOption>
#include <QTest>
#include <QtEndian>

#include <cstdlib>
#include <functional>
#include <vector>

#include "app/account/MainWindowAccount.h"
#include "app/account/ProviderSection.h"
#include "app/account/SentCopySection.h"
#include "app/account/SmtpSettingsDialog.h"
#include "app/help/AboutDialog.h"
#include "app/help/MainWindowHelp.h"
#include "app/skin/Skin.h"
#include "app/skin/SkinStyle.h"
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

QByteArray Picture(QColor colour, const char* format = "PNG") {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray WindowPicture(const QByteArray& name) { return "[window]\npicture = " + name + "\n"; }

// A skin that tiles the windows with a one-colour picture of its own, seen through the panels.
TFiles PaintingSkin(QColor colour) {
    return {{"Options.dat", WindowPicture("images/tile.png")}, {"images/tile.png", Picture(colour)}};
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

// Whether `colour` is within `tolerance` of `expected` in each channel.
bool Near(QColor colour, QColor expected, int tolerance = 2) {
    return std::abs(colour.red() - expected.red()) <= tolerance &&
           std::abs(colour.green() - expected.green()) <= tolerance &&
           std::abs(colour.blue() - expected.blue()) <= tolerance;
}

// Whether `colour` lies between the two ends of a gradient in each channel.
bool Between(QColor colour, QColor one, QColor other) {
    const auto within = [](int value, int a, int b) {
        return value >= std::min(a, b) && value <= std::max(a, b);
    };
    return within(colour.red(), one.red(), other.red()) &&
           within(colour.green(), one.green(), other.green()) &&
           within(colour.blue(), one.blue(), other.blue());
}

// `fill` laid over `under` as the painter blends it.
QColor Over(QColor fill, QColor under) {
    const double a = fill.alphaF();
    return QColor::fromRgbF(fill.redF() * a + under.redF() * (1 - a),
                            fill.greenF() * a + under.greenF() * (1 - a),
                            fill.blueF() * a + under.blueF() * (1 - a));
}

// The width a caption needs inside its widget: its text and, for a button, its icon.
int CaptionWidth(const QAbstractButton& button) {
    const int text = button.fontMetrics().horizontalAdvance(button.text());
    return button.icon().isNull() ? text : text + button.iconSize().width() + 4;
}

QString Describe(const QWidget& widget) {
    return QStringLiteral("%1 \"%2\"").arg(widget.objectName(), widget.property("text").toString());
}

// The room a button's caption has: a push button's contents, the part of a check box beside its box.
QRect CaptionRoom(const QAbstractButton& button, QStyle::SubElement element) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    return button.style()->subElementRect(element, &option, &button);
}

void CheckFits(const QWidget& widget, int width, const QRect& room) {
    QVERIFY2(width <= room.width(),
             qPrintable(Describe(widget) + QStringLiteral(": %1 > %2").arg(width).arg(room.width())));
}

// Every caption of `window` within its widget, and no label's or check box's text reaching into a
// widget beside it.
void CheckCaptionsFit(const QWidget& window) {
    for (const QPushButton* button : window.findChildren<QPushButton*>())
        CheckFits(*button, CaptionWidth(*button), CaptionRoom(*button, QStyle::SE_PushButtonContents));
    std::vector<std::pair<const QWidget*, QRect>> texts;  // in the parent's coordinates
    for (const QCheckBox* box : window.findChildren<QCheckBox*>()) {
        const QRect room = CaptionRoom(*box, QStyle::SE_CheckBoxContents);
        CheckFits(*box, CaptionWidth(*box), room);
        texts.push_back(
            {box, QRect(box->mapToParent(room.topLeft()), QSize(CaptionWidth(*box), room.height()))});
    }
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        const QRect room = label->contentsRect();
        if (label->wordWrap()) {
            // A text that wraps fits when its lines fit the label's height.
            QVERIFY2(label->text().isEmpty() || label->heightForWidth(label->width()) <= label->height(),
                     qPrintable(Describe(*label) + QStringLiteral(": %1 lines' height > %2")
                                                       .arg(label->heightForWidth(label->width()))
                                                       .arg(label->height())));
            texts.push_back({label, QRect(label->mapToParent(room.topLeft()), room.size())});
            continue;
        }
        const int width = label->fontMetrics().horizontalAdvance(label->text());
        CheckFits(*label, width, room);
        texts.push_back({label, QRect(label->mapToParent(room.topLeft()), QSize(width, room.height()))});
    }
    for (const auto& [owner, text] : texts) {
        if (owner->isHidden()) continue;
        for (const QWidget* other :
             owner->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == owner || other->isHidden() || !other->isWidgetType()) continue;
            QVERIFY2(!text.intersects(other->geometry()),
                     qPrintable(Describe(*owner) + " runs into " + Describe(*other)));
        }
    }
}

// Every shown label of `window` whole: its lines within its height, and itself within the widget
// that holds it, so nothing beside or below cuts it off.
void CheckLabelsWhole(const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&window) || label->text().isEmpty()) continue;
        const int needed =
            label->wordWrap()
                ? label->heightForWidth(label->width())
                : label->fontMetrics().boundingRect(QRect(), Qt::AlignLeft, label->text()).height() +
                      label->height() - label->contentsRect().height();
        QVERIFY2(needed <= label->height(),
                 qPrintable(Describe(*label) +
                            QStringLiteral(": %1 lines' height > %2").arg(needed).arg(label->height())));
        QVERIFY2(label->parentWidget()->rect().contains(label->geometry()),
                 qPrintable(Describe(*label) + " reaches out of " + Describe(*label->parentWidget())));
    }
}

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
    void OpenWith(bool wood) {
        if (wood) WriteFolder(FilesOf(ShippedWood()));
        f_->Open();
        QCOMPARE(f_->Form().SkinManager().Active(), wood);
    }

private slots:
    void init() {
        f_ = std::make_unique<TComposerFixture>();
        f_->WriteEmptyBlocks();
        f_->WriteFile("blok1.txt", "text of block one");
    }
    void cleanup() {
        f_.reset();
        // The window's skin leaves with it.
        QVERIFY(!qobject_cast<TsSkinStyle*>(QApplication::style()));
        QVERIFY(QApplication::palette().window().texture().isNull());
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
            {"packed: no Options.dat", Pack({{"images/tile.png", Picture(kPackedColour)}})},
            {"packed: name leaving the folder", Pack(With(PaintingSkin(kPackedColour), "../evil.png", "x"))},
            {"packed: absolute name", Pack(With(PaintingSkin(kPackedColour), "/tmp/evil.png", "x"))},
            {"packed: a name twice", Pack(With(PaintingSkin(kPackedColour), "images/tile.png", "x") +
                                          TFiles{{"images/tile.png", Picture(kPackedColour)}})},
            {"packed: picture missing", Pack({{"Options.dat", WindowPicture("images/tile.png")}})},
        };
        for (const auto& row : brokenPacked)
            QTest::newRow(row.name) << TSetup(packed(row.bytes)) << "" << plain;

        const struct {
            const char* name;
            TFiles files;
        } brokenFolder[] = {
            {"folder: no Options.dat", {{"images/tile.png", Picture(kFolderColour)}}},
            {"folder: picture missing", {{"Options.dat", WindowPicture("images/none.png")}}},
            {"folder: picture is no picture", With(folderSkin, "images/tile.png", "not a picture")},
            {"folder: picture is no PNG", With(folderSkin, "images/tile.png", Picture(kFolderColour, "BMP"))},
            {"folder: picture outside the folder", {{"Options.dat", WindowPicture("../../blok1.txt")}}},
            {"folder: absolute picture path",
             {{"Options.dat", WindowPicture("/usr/share/pixmaps/debian-logo.png")}}},
            {"folder: not UTF-8", With(folderSkin, "Options.dat", "[window]\ntext = 1, 2, 3\n# \xff\xfe\n")},
            {"folder: sets nothing", With(folderSkin, "Options.dat", " \r\n# only a remark\r\n[window]\r\n")},
            {"folder: line of no known form",
             With(folderSkin, "Options.dat", "[window]\npicture images/tile.png\n")},
            {"folder: unknown name",
             With(folderSkin, "Options.dat", WindowPicture("images/tile.png") + "shade = 1, 2, 3\n")},
            {"folder: name outside its part", With(folderSkin, "Options.dat", "picture = images/tile.png\n")},
            {"folder: a name twice",
             With(folderSkin, "Options.dat", "[window]\ntext = 1, 2, 3\ntext = 4, 5, 6\n")},
            {"folder: colour out of range", With(folderSkin, "Options.dat", "[window]\ntext = 1, 2, 256\n")},
            {"folder: colour of two numbers", With(folderSkin, "Options.dat", "[window]\ntext = 1, 2\n")},
            {"folder: size out of range", With(folderSkin, "Options.dat", "[panel]\nradius = 33\n")},
        };
        for (const auto& row : brokenFolder)
            QTest::newRow(row.name) << TSetup(folder(row.files)) << "" << plain;
        QTest::newRow("folder: picture linked from outside the folder") << TSetup([](SkinTest& t) {
            t.WriteFolder({{"Options.dat", WindowPicture("images/tile.png")}});
            t.f_->WriteFile("outside.png", Picture(kFolderColour).toStdString());
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

    // The window as drawn: the wood grain behind everything, the panels' cream over it, the brown
    // gradients of the menu bar and the buttons with cream captions, the tan check boxes and fields.
    void woodSurfacesAreDrawnInTheSkinsColours() {
        OpenWith(true);
        TForm1& form = f_->Form();
        const QImage shot = form.grab().toImage();
        const QImage grain(ShippedWood() + "/images/wood.png");
        QVERIFY(!grain.isNull());
        const auto at = [&](const char* name, QPoint point) {
            const QWidget* widget = form.findChild<QWidget*>(name);
            return shot.pixelColor(widget ? widget->mapTo(&form, point) : point);
        };
        const auto grainAt = [&](const char* name, QPoint point) {
            const QPoint inWindow = form.findChild<QWidget*>(name)->mapTo(&form, point);
            return grain.pixelColor(inWindow.x() % grain.width(), inWindow.y() % grain.height());
        };

        // Between the composing and the addressing area: the bare window.
        QVERIFY(Near(at("clientArea", {510, 300}), grainAt("clientArea", {510, 300})));
        // Inside the composing area, between its salutation list and its first blocks.
        QVERIFY(Near(at("sPanel1", {250, 61}),
                     Over(QColor(250, 236, 206, 110), grainAt("sPanel1", {250, 61})), 3));
        const int barMiddle = form.menuBar()->height() / 2;
        QVERIFY(Between(at("MainMenu1", {900, barMiddle}), QColor(112, 70, 32), QColor(76, 44, 14)));

        auto* send = f_->Get<QPushButton>("sBitBtn6");
        QVERIFY(Between(at("sBitBtn6", {4, send->height() / 2}), QColor(172, 118, 62), QColor(114, 70, 30)));
        bool creamCaption = false;
        for (int x = 0; x < send->width(); ++x)
            creamCaption =
                creamCaption || Near(at("sBitBtn6", {x, send->height() / 2}), QColor(255, 246, 228), 12);
        QVERIFY2(creamCaption, "no cream in the button's caption");

        auto* gate = f_->Gate("sCheckBox1");
        QStyleOptionButton option;
        option.initFrom(gate);
        const QPoint box =
            gate->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, gate).center();
        QCOMPARE(at("sCheckBox1", box), QColor(250, 240, 220));
        QCOMPARE(at("sEdit1", {20, 10}), QColor(245, 229, 198));
        QCOMPARE(at("Memo1", {300, 300}), QColor(245, 229, 198));
    }

    void captionsFitTheirWidgets_data() {
        QTest::addColumn<bool>("wood");
        QTest::newRow("plain look") << false;
        QTest::newRow("Wood") << true;
    }
    void captionsFitTheirWidgets() {
        QFETCH(bool, wood);
        OpenWith(wood);
        CheckCaptionsFit(f_->Form());
        CheckCaptionsFit(f_->Form().Account().Form2());
        CheckCaptionsFit(f_->Form().Help().Form3());
    }

    // The settings dialog as a provider that files its own sent copy leaves it: the note under
    // "Ukládat kopii do složky Odeslané na serveru" and every other caption show whole.
    void settingsCaptionsShowWholeForEachProvider_data() {
        QTest::addColumn<bool>("wood");
        QTest::addColumn<QString>("provider");
        for (const bool wood : {false, true}) {
            for (const char* provider : {"microsoft", "gmail"})
                QTest::addRow("%s, %s", wood ? "Wood" : "plain look", provider) << wood << provider;
        }
    }
    void settingsCaptionsShowWholeForEachProvider() {
        QFETCH(bool, wood);
        QFETCH(QString, provider);
        QFile presets(QUILLORY_PROVIDERS_FILE);
        QVERIFY(presets.open(QIODevice::ReadOnly));
        f_->WriteFile("providers.ini", presets.readAll().toStdString());
        OpenWith(wood);
        TForm2& dialog = f_->Form().Account().Form2();
        dialog.show();
        QComboBox* choice = dialog.provider->provider;
        const int index = choice->findData(provider);
        QVERIFY(index >= 0);
        choice->setCurrentIndex(index);
        emit choice->activated(index);
        QVERIFY(dialog.sentCopy->note->isVisible());
        QVERIFY(dialog.sentCopy->note->text().startsWith("Tento poskytovatel ukládá"));
        CheckCaptionsFit(dialog);
        if (QTest::currentTestFailed()) return;
        CheckLabelsWhole(dialog);
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::SkinTest)
#include "tst_skin.moc"
