// Block files, copy and save through the real window.

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

#include "app/MemoText.h"
#include "support/ComposerFixture.h"
#include "support/HostileFile.h"

using namespace quillory;
using namespace quillory::test;

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void blockFileRoundTrip_data() {
        QTest::addColumn<QByteArray>("onDisk");
        QTest::addColumn<QByteArray>("afterClose");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("CR LF kept, no final line end") << QByteArray("a\r\nb") << QByteArray("a\r\nb");
        QTest::newRow("final line end kept") << QByteArray("a\r\n") << QByteArray("a\r\n");
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("lone CR") << QByteArray("a\rb") << QByteArray("a\r\nb");
        QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb");
        QTest::newRow("NUL ends the text") << QByteArray("before\0after", 12) << QByteArray("before");
        // Binary garbage: every byte but NUL comes back, a lone LF or CR as CR LF.
        QByteArray everyByte;
        QByteArray normalised;
        for (int c = 1; c < 256; ++c) {
            everyByte.append(char(c));
            normalised.append(c == '\n' || c == '\r' ? QByteArray("\r\n") : QByteArray(1, char(c)));
        }
        QTest::newRow("every byte but NUL") << everyByte << normalised;
        QTest::newRow("Windows-1250 bytes") << QByteArray("\x8a\x9e\xe8\xf8\xec \xa0 \x81\x98")
                                            << QByteArray("\x8a\x9e\xe8\xf8\xec \xa0 \x81\x98");
    }
    void blockFileRoundTrip() {
        QFETCH(QByteArray, onDisk);
        QFETCH(QByteArray, afterClose);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok4.txt", onDisk.toStdString());
        f.Open();
        f.Close();
        QCOMPARE(QByteArray::fromStdString(f.ReadFile("blok4.txt")), afterClose);
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void loadingTheSameTextFiresNoChange() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok1.txt", "a\r\nb");
        f.Open();
        QSignalSpy changes(f.Block(1), &QPlainTextEdit::textChanged);
        LoadMemoText(*f.Block(1), "a\nb");
        QCOMPARE(changes.count(), 0);
        LoadMemoText(*f.Block(1), "a\nc");
        QCOMPARE(changes.count(), 1);
    }

    void firstStartWithoutFilesShowsOneErrorAndCloseCreatesAll() {
        TComposerFixture f;
        f.Open();
        QCOMPARE(f.desktop.messages.size(), 1);
        const auto& message = f.desktop.messages.first();
        QCOMPARE(message.kind, TDesktop::TMessageKind::Error);
        QCOMPARE(message.caption, QString("Quillory"));
        const QString path = QString::fromStdString(f.Path("blok1.txt").string());
        QCOMPARE(message.text, "Cannot open file \"" + path + "\". No such file or directory.");
        f.Close();
        for (int n = 1; n <= 8; ++n) {
            const auto file = f.Path("blok" + std::to_string(n) + ".txt");
            QVERIFY2(std::filesystem::exists(file), file.c_str());
            QCOMPARE(std::filesystem::file_size(file), std::uintmax_t(0));
        }
    }

    // Every block loads on its own: a missing file does not stop the later blocks from loading.
    void missingBlockLeavesLaterBlocksLoaded() {
        TComposerFixture f;
        for (int n = 1; n <= 8; ++n)
            f.WriteFile("blok" + std::to_string(n) + ".txt", "text " + std::to_string(n));
        std::filesystem::remove(f.Path("blok3.txt"));
        f.Open();
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(f.desktop.messages.first().text.contains("blok3.txt"));
        QCOMPARE(f.Block(2)->toPlainText(), QString("text 2"));
        QCOMPARE(f.Block(3)->toPlainText(), QString());
        QCOMPARE(f.Block(8)->toPlainText(), QString("text 8"));
        f.Close();
        QCOMPARE(f.ReadFile("blok3.txt"), std::string());
        QCOMPARE(f.ReadFile("blok8.txt"), std::string("text 8"));
    }

    // A block whose file exists but cannot be read is never written over at close.
    void unreadableBlockFileIsNotOverwritten() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        std::filesystem::remove(f.Path("blok2.txt"));
        std::filesystem::create_directory(f.Path("blok2.txt"));
        f.WriteFile("blok2.txt/keep", "user text");
        f.Open();
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(f.desktop.messages.first().text.startsWith("Cannot open file"));
        f.Close();
        QVERIFY(!f.Form().isVisible());
        QCOMPARE(f.ReadFile("blok2.txt/keep"), std::string("user text"));
        QCOMPARE(f.desktop.messages.size(), 1);
    }

    // A block file that is a FIFO or far too large never holds up the start: its block stays
    // empty with a clear error, the later blocks load, and the close leaves the file as it is.
    void hostileBlockFileNeitherBlocksTheStartNorIsOverwritten_data() {
        QTest::addColumn<THostileFile>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("FIFO without a writer") << THostileFile::Fifo << "Not a regular file.";
        QTest::newRow("200 MB") << THostileFile::Huge << "File too large: more than 1048576 bytes.";
    }
    void hostileBlockFileNeitherBlocksTheStartNorIsOverwritten() {
        QFETCH(THostileFile, kind);
        QFETCH(QString, reason);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.WriteFile("blok4.txt", "four");
        const auto hostile = f.Path("blok3.txt");
        QVERIFY(MakeHostileFile(hostile, kind));
        f.Open();
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages.first().text,
                 "Cannot open file \"" + QString::fromStdString(hostile.string()) + "\". " + reason);
        QCOMPARE(f.Block(3)->toPlainText(), QString());
        QCOMPARE(f.Block(4)->toPlainText(), QString("four"));
        f.Close();
        QVERIFY(!f.Form().isVisible());
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(IsUntouchedHostileFile(hostile, kind));
    }

    void unwritableBlockFileKeepsWindowOpen() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.TypeInto(f.Block(1), "one");
        f.TypeInto(f.Block(2), "two");
        std::filesystem::remove(f.Path("blok1.txt"));
        std::filesystem::create_directory(f.Path("blok1.txt"));
        f.Close();
        QVERIFY(f.Form().isVisible());
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(f.desktop.messages.first().text.startsWith(
            "Cannot create file \"" + QString::fromStdString(f.Path("blok1.txt").string())));
        QCOMPARE(f.ReadFile("blok2.txt"), std::string());  // later blocks are not written
        f.Close();
        QCOMPARE(f.desktop.messages.size(), 2);
        std::filesystem::remove(f.Path("blok1.txt"));
        f.Close();
        QVERIFY(!f.Form().isVisible());
        QCOMPARE(f.ReadFile("blok1.txt"), std::string("one"));
        QCOMPARE(f.ReadFile("blok2.txt"), std::string("two"));
    }

    void copyAndSaveGiveTheSameBytes() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Tick("sCheckBox9");
        f.TypeInto(f.Combo(1), "Dobrý den,");
        f.Tick("sCheckBox7");
        f.TypeInto(f.Block(7), "Žluťoučký kůň");
        f.Click("sBitBtn4");
        const QString saved = QString::fromStdString(f.Path("mail.txt").string());
        f.desktop.saveAnswers.append(saved);
        f.Click("sBitBtn5");
        const std::string bytes = f.ReadFile("mail.txt");
        QCOMPARE(ToWin1250(f.desktop.clipboard), bytes);
        QVERIFY(bytes.find("Dobr\xfd den,\r\n") == 0);
        QVERIFY(bytes.find("\r\n") != std::string::npos);
        QVERIFY(bytes.size() > 200 && bytes.substr(bytes.size() - 2) == "\r\n");
        QVERIFY(f.Get<QPlainTextEdit>("Memo1")->textCursor().hasSelection());

        // The menu's copy puts the same text on the clipboard.
        f.desktop.clipboard.clear();
        f.Form().findChild<QAction*>("Koprovattextemailu1")->trigger();
        QCOMPARE(ToWin1250(f.desktop.clipboard), bytes);
    }

    void saveDialogSettingsAndRememberedName() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        QCOMPARE(form.SaveFileName(), QString("bez názvu"));

        // Cancelled: nothing written, the name stays.
        f.desktop.saveAnswers.append(QString());
        f.Click("sBitBtn5");
        const TSaveDialogSettings& settings = *f.desktop.lastSaveSettings;
        QCOMPARE(settings.defaultExtension, QString("txt"));
        QCOMPARE(settings.fileName, QString("bez názvu"));
        QCOMPARE(settings.filterDescription, QString("Textový soubor"));
        QCOMPARE(settings.filterPattern, QString("*.txt"));
        QVERIFY(!settings.confirmOverwrite);
        QCOMPARE(form.SaveFileName(), QString("bez názvu"));

        // A name without an extension gets ".txt"; another extension stays.
        f.desktop.saveAnswers.append(QString::fromStdString(f.Path("dopis").string()));
        f.Click("sBitBtn5");
        QVERIFY(std::filesystem::exists(f.Path("dopis.txt")));
        f.desktop.saveAnswers.append(QString::fromStdString(f.Path("dopis.eml").string()));
        f.Click("sBitBtn5");
        QVERIFY(std::filesystem::exists(f.Path("dopis.eml")));

        // The menu's save overwrites the last accepted file silently, with the current preview.
        f.Tick("sCheckBox9");
        f.TypeInto(f.Combo(1), "Ahoj");
        form.findChild<QAction*>("Uloit1")->trigger();
        QCOMPARE(f.ReadFile("dopis.eml"), form.PreviewText());
        QVERIFY(f.ReadFile("dopis.eml").rfind("Ahoj\r\n", 0) == 0);
        QCOMPARE(f.desktop.saveDialogs, 3);
    }

    void menuSaveBeforeAnyDialogWritesBezNazvuInCurrentFolder() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(f.Path("").string()));
        form.findChild<QAction*>("Uloit1")->trigger();
        QDir::setCurrent(previous);
        QCOMPARE(f.ReadFile("bez názvu"), form.PreviewText());
    }

    void saveIntoMissingFolderShowsCreateError() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        const QString target = QString::fromStdString(f.Path("missing/dopis.txt").string());
        f.desktop.saveAnswers.append(target);
        f.Click("sBitBtn5");
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages.first().text,
                 "Cannot create file \"" + target + "\". No such file or directory.");
    }
};

QTEST_MAIN(FilesTest)
#include "tst_files.moc"
