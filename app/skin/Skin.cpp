#include "app/skin/Skin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/skin/SkinArchive.h"
#include "app/skin/SkinStyleSheet.h"

namespace quillory {
namespace {

std::optional<QByteArray> ReadPacked(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSkinArchiveSize) return std::nullopt;
    return file.readAll();
}

bool WriteFiles(const std::vector<TSkinFile>& files, const QDir& target) {
    for (const TSkinFile& skinFile : files) {
        const QString path = target.absoluteFilePath(skinFile.name);
        if (!target.mkpath(QFileInfo(path).absolutePath())) return false;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(skinFile.data) != skinFile.data.size())
            return false;
    }
    return true;
}

}  // namespace

TsSkinManager::TsSkinManager(QObject* owner) : QObject(owner) { setObjectName("sSkinManager1"); }

TsSkinManager* TsSkinManager::SwitchOn(QObject* owner, const std::filesystem::path& skinsDir,
                                       const QString& name) {
    auto* manager = new TsSkinManager(owner);
    const QDir skins(QString::fromStdString(skinsDir.string()));
    try {
        if (!manager->TryPacked(skins.absoluteFilePath(name + ".asz")))
            manager->TryFolder(skins.absoluteFilePath(name));
    } catch (...) {
        // A skin that cannot be read, for whatever reason, leaves the plain look.
    }
    return manager;
}

TsSkinManager::~TsSkinManager() {
    if (active_ && qApp) qApp->setStyleSheet(previousStyleSheet_);
}

// The packed files are unpacked into a folder of their own that lives as long as the skin is used.
bool TsSkinManager::TryPacked(const QString& file) {
    if (!QFileInfo(file).isFile()) return false;
    const std::optional<QByteArray> packed = ReadPacked(file);
    const auto files = packed ? ReadSkinArchive(*packed) : std::nullopt;
    if (!files) return false;
    auto unpacked = std::make_unique<QTemporaryDir>();
    if (!unpacked->isValid() || !WriteFiles(*files, QDir(unpacked->path()))) return false;
    const std::optional<QString> sheet = ReadSkinStyleSheet(QDir(unpacked->path()));
    if (!sheet) return false;
    unpacked_ = std::move(unpacked);
    Apply(*sheet, file);
    return true;
}

bool TsSkinManager::TryFolder(const QString& folder) {
    if (!QFileInfo(folder).isDir()) return false;
    const std::optional<QString> sheet = ReadSkinStyleSheet(QDir(folder));
    if (!sheet) return false;
    Apply(*sheet, folder);
    return true;
}

void TsSkinManager::Apply(const QString& styleSheet, const QString& source) {
    if (!qApp) return;
    previousStyleSheet_ = qApp->styleSheet();
    qApp->setStyleSheet(styleSheet);
    active_ = true;
    source_ = source;
}

}  // namespace quillory
