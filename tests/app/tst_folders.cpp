// An installed copy's window: the user's blocks and backups in its data folder, made at the first
// start; the skin and the user guide from "<prefix>/share/quillory".

#include <QAction>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>
#include <optional>

#include "app/desktop/ProgramFiles.h"
#include "app/help/FramelessBrowser.h"
#include "app/help/MainWindowHelp.h"
#include "app/skin/Skin.h"
#include "support/ComposerFixture.h"

namespace quillory::test {

namespace fs = std::filesystem;

class FoldersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> root_;
    fs::path prefix_;
    fs::path data_;
    std::optional<QByteArray> oldDataHome_;

    TProgramFolders Installed() const { return TProgramFolders::Locate(prefix_ / "bin"); }

private slots:
    // A prefix holding the program's shipped files, and a data home of the test's own.
    void init() {
        root_ = std::make_unique<QTemporaryDir>();
        const fs::path root = root_->path().toStdString();
        prefix_ = root / "prefix";
        fs::create_directories(prefix_ / "bin");
        fs::create_directories(prefix_ / "share/quillory/Skins");
        fs::copy(fs::path(QUILLORY_SKINS_DIR) / "Wood", prefix_ / "share/quillory/Skins/Wood",
                 fs::copy_options::recursive);
        fs::copy(QUILLORY_HELP_DIR, prefix_ / "share/quillory/help");
        data_ = root / "data/quillory";
        if (qEnvironmentVariableIsSet("XDG_DATA_HOME")) oldDataHome_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root / "data").string()));
    }
    void cleanup() {
        if (oldDataHome_) qputenv("XDG_DATA_HOME", *oldDataHome_);
        else qunsetenv("XDG_DATA_HOME");
        root_.reset();
    }

    void firstStartMakesThePrivateDataFolderWithEmptyBlocks() {
        QVERIFY(Installed().Installed());
        QCOMPARE(Installed().Data(), data_);
        PrepareDataFolder(Installed());
        QCOMPARE(fs::status(data_).permissions() & fs::perms::all, fs::perms::owner_all);
        QVERIFY(fs::is_directory(data_ / "Backups"));
        for (int n = 1; n <= 8; ++n) {
            const fs::path block = data_ / ("blok" + std::to_string(n) + ".txt");
            QVERIFY2(fs::is_regular_file(block) && fs::file_size(block) == 0, block.c_str());
        }

        TFakeDesktop desktop;
        TForm1 form(desktop, Installed());
        form.show();
        QVERIFY(desktop.messages.isEmpty());
        QVERIFY(form.SkinManager().Active());
        QVERIFY2(form.SkinManager().Source().startsWith(QString::fromStdString((prefix_ / "share").string())),
                 qPrintable(form.SkinManager().Source()));

        // The reset backs up into the data folder; the close writes the blocks there.
        form.findChild<QPlainTextEdit*>("Memo3")->setPlainText("druhý");
        form.findChild<QAction*>("Vchoznastaven1")->trigger();
        QVERIFY(desktop.messages.isEmpty());
        QCOMPARE(TComposerFixture::ReadPath(data_ / "Backups/blok2.txt"), ToWin1250("druhý"));
        form.findChild<QPlainTextEdit*>("Memo3")->setPlainText("nový");
        QVERIFY(form.close());
        QCOMPARE(TComposerFixture::ReadPath(data_ / "blok2.txt"), ToWin1250("nový"));
        QVERIFY(!fs::exists(prefix_ / "bin/blok1.txt"));
    }

    // Only a missing folder is a first start: a block missing from an existing one is reported.
    void blockMissingFromAnExistingFolderIsReportedWithItsPath() {
        PrepareDataFolder(Installed());
        fs::remove(data_ / "blok3.txt");
        PrepareDataFolder(Installed());
        QVERIFY(!fs::exists(data_ / "blok3.txt"));
        TFakeDesktop desktop;
        TForm1 form(desktop, Installed());
        QCOMPARE(desktop.messages.size(), 1);
        QVERIFY2(desktop.messages[0].text.startsWith(
                     QStringLiteral("Cannot open file \"%1\"").arg((data_ / "blok3.txt").c_str())),
                 qPrintable(desktop.messages[0].text));
    }

    void helpFallsBackToTheInstalledGuide() {
        PrepareDataFolder(Installed());
        TFakeDesktop desktop;
        TForm1 form(desktop, Installed());
        form.Help().SetPageAddress("http://help.quillory.invalid/quillory/help-mini.html");
        form.findChild<QAction*>("Onlinenpovda1")->trigger();
        QSignalSpy loaded(form.Help().Browser(), &TFramelessIE::loadFinished);
        QVERIFY(loaded.wait(10000));
        QVERIFY(form.Help().Browser()->ShowsBundledGuide());
        QVERIFY(form.Help().Browser()->toPlainText().contains("Kde jsou vaše soubory"));
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::FoldersTest)
#include "tst_folders.moc"
