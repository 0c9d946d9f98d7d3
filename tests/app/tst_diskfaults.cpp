// A full disk and a read-only folder at close, through the real window: the close shows the file
// errors, the old files stay whole, no temporary file is left, and the window stays usable.
//
// Both need a small tmpfs of their own, mounted in a mount namespace of this test's own (so nothing
// outlives the test); that needs root. Without that permission the tests skip and say why.

#include <QDir>
#include <QTest>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "support/ComposerFixture.h"
#include "support/TempConfigHome.h"

namespace quillory::test {

namespace {

// A tmpfs of 256 KiB mounted over an existing folder for the object's lifetime.
class TSmallDisk {
public:
    explicit TSmallDisk(const QString& folder) : folder_(folder.toStdString()) {}
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;
    ~TSmallDisk() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }

    // Empty when mounted, else why not.
    QString Mount() {
        if (!privateNamespace_) {
            if (::unshare(CLONE_NEWNS) != 0) return Why("unshare(CLONE_NEWNS)");
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                return Why("making / private");
            privateNamespace_ = true;
        }
        if (::mount("quillory-test", folder_.c_str(), "tmpfs", 0, "size=256k,mode=0755") != 0)
            return Why("mount -t tmpfs");
        mounted_ = true;
        return {};
    }
    // Writes a filler file until the disk refuses more.
    bool Fill() {
        const int fd = ::open((folder_ + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        const std::vector<char> chunk(4096, 'f');
        while (::write(fd, chunk.data(), chunk.size()) > 0) {}
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }
    bool Free() { return ::unlink((folder_ + "/filler").c_str()) == 0; }
    bool SetReadOnly(bool readOnly) {
        return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | (readOnly ? MS_RDONLY : 0),
                       "size=256k") == 0;
    }
    // The names in the folder, the filler left out.
    QStringList Names() const {
        QStringList names =
            QDir(QString::fromStdString(folder_))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        names.removeAll("filler");
        return names;
    }

private:
    static QString Why(const char* step) { return QString("%1: %2").arg(step, std::strerror(errno)); }

    static inline bool privateNamespace_ = false;
    std::string folder_;
    bool mounted_ = false;
};

QStringList BlockNames() {
    QStringList names;
    for (int n = 1; n <= 8; ++n) names.append(QString("blok%1.txt").arg(n));
    return names;
}

}  // namespace

class DiskFaultsTest : public QObject {
    Q_OBJECT

    // The window over an executable folder and a configuration folder that each sit on a small
    // disk of their own, started once and closed once, so that both hold the old files.
    struct TFixture {
        TTempConfigHome home;
        TComposerFixture composer;
        TSmallDisk dataDisk{QString::fromStdString(composer.Path("").string())};
        TSmallDisk configDisk{home.Path()};
        std::string oldIni;

        QString Mount() {
            QString why = dataDisk.Mount();
            if (why.isEmpty()) why = configDisk.Mount();
            if (!why.isEmpty()) return why;
            composer.WriteEmptyBlocks();
            composer.WriteFile("blok1.txt", "old one");
            composer.Open();
            composer.Tick("sCheckBox1");
            composer.Close();
            composer.Destroy();
            oldIni = TComposerFixture::ReadPath(home.IniPath().toStdString());
            composer.Open();
            return {};
        }
        QString IniName() const { return QFileInfo(home.IniPath()).fileName(); }
        // The old files, whole, and nothing beside them.
        void ExpectOldFiles() const {
            QCOMPARE(composer.ReadFile("blok1.txt"), std::string("old one"));
            QCOMPARE(composer.ReadFile("blok2.txt"), std::string());
            QCOMPARE(TComposerFixture::ReadPath(home.IniPath().toStdString()), oldIni);
            QCOMPARE(dataDisk.Names(), BlockNames());
            QCOMPARE(configDisk.Names(), QStringList{IniName()});
        }
        // Typing into a block still rebuilds the preview.
        void ExpectUsableWindow() {
            QVERIFY(composer.Form().isVisible());
            composer.Block(1)->moveCursor(QTextCursor::End);
            composer.TypeInto(composer.Block(1), " new");
            QVERIFY(composer.PreviewLines().contains("old one new"));
        }
    };

private slots:
    void fullDiskAtCloseKeepsTheOldFilesAndTheWindow() {
        TFixture f;
        if (const QString why = f.Mount(); !why.isEmpty())
            QSKIP(qPrintable("needs a tmpfs of its own (run as root): " + why));
        f.composer.TypeInto(f.composer.Block(2), "new two");
        QVERIFY(f.dataDisk.Fill());
        QVERIFY(f.configDisk.Fill());

        f.composer.Close();
        QCOMPARE(f.composer.desktop.messages.size(), 2);
        QCOMPARE(f.composer.desktop.messages[0].text, "Unable to write to " + f.IniName() + ".");
        QCOMPARE(f.composer.desktop.messages[1].text, QString("Stream write error."));
        f.ExpectOldFiles();
        f.ExpectUsableWindow();

        // With room again, the next close writes everything.
        QVERIFY(f.dataDisk.Free());
        QVERIFY(f.configDisk.Free());
        f.composer.Close();
        QVERIFY(!f.composer.Form().isVisible());
        QCOMPARE(f.composer.desktop.messages.size(), 2);
        QCOMPARE(f.composer.ReadFile("blok1.txt"), std::string("old one new"));
        QCOMPARE(f.composer.ReadFile("blok2.txt"), std::string("new two"));
        QCOMPARE(f.dataDisk.Names(), BlockNames());
    }

    void readOnlyFoldersAtCloseKeepTheOldFilesAndTheWindow() {
        TFixture f;
        if (const QString why = f.Mount(); !why.isEmpty())
            QSKIP(qPrintable("needs a tmpfs of its own (run as root): " + why));
        QVERIFY(f.dataDisk.SetReadOnly(true));
        QVERIFY(f.configDisk.SetReadOnly(true));

        f.composer.Close();
        QCOMPARE(f.composer.desktop.messages.size(), 2);
        QCOMPARE(f.composer.desktop.messages[0].text, "Unable to write to " + f.IniName() + ".");
        QCOMPARE(f.composer.desktop.messages[1].text,
                 "Cannot create file \"" + QString::fromStdString(f.composer.Path("blok1.txt").string()) +
                     "\". Read-only file system.");
        f.ExpectOldFiles();
        f.ExpectUsableWindow();

        QVERIFY(f.dataDisk.SetReadOnly(false));
        QVERIFY(f.configDisk.SetReadOnly(false));
        f.composer.Close();
        QVERIFY(!f.composer.Form().isVisible());
        QCOMPARE(f.composer.ReadFile("blok1.txt"), std::string("old one new"));
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::DiskFaultsTest)
#include "tst_diskfaults.moc"
