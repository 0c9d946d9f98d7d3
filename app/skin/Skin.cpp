#include "app/skin/Skin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStyleFactory>
#include <QToolTip>

#include "app/skin/SkinLook.h"
#include "app/skin/SkinStyle.h"
#include "storage/SkinArchive.h"

namespace quillory {
namespace {

std::optional<QByteArray> ReadWhole(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > static_cast<qint64>(kMaxSkinArchiveSize))
        return std::nullopt;
    return file.readAll();
}

std::optional<TSkinLook> ReadPacked(const QString& path) {
    if (!QFileInfo(path).isFile()) return std::nullopt;
    const std::optional<QByteArray> packed = ReadWhole(path);
    const auto files =
        packed
            ? ReadSkinArchive(std::string_view(packed->constData(), static_cast<std::size_t>(packed->size())))
            : std::nullopt;
    if (!files) return std::nullopt;
    return ReadSkinLook([&files](const QString& name) -> std::optional<QByteArray> {
        const std::string wanted = name.toStdString();
        for (const TSkinFile& file : *files) {
            if (file.name == wanted) return QByteArray::fromStdString(file.data);
        }
        return std::nullopt;
    });
}

// A file of the folder counts only when it is inside it, also after following links.
std::optional<TSkinLook> ReadFolder(const QString& path) {
    const QString root = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir()) return std::nullopt;
    return ReadSkinLook([&root](const QString& name) -> std::optional<QByteArray> {
        if (!IsSkinFileName(name.toStdString())) return std::nullopt;
        const QString file = QFileInfo(root + '/' + name).canonicalFilePath();
        if (file.isEmpty() || !file.startsWith(root + '/')) return std::nullopt;
        return ReadWhole(file);
    });
}

}  // namespace

TsSkinManager::TsSkinManager(QObject* owner) : QObject(owner) { setObjectName("sSkinManager1"); }

// Without a skin the application still gets the style, in the plain look: it spares the first
// paint some work (TsSkinStyle).
TsSkinManager* TsSkinManager::SwitchOn(QObject* owner, const std::filesystem::path& skinsDir,
                                       const QString& name) {
    auto* manager = new TsSkinManager(owner);
    const QDir skins(QString::fromStdString(skinsDir.string()));
    std::optional<TSkinLook> look;
    try {
        manager->source_ = skins.absoluteFilePath(name + ".asz");
        look = ReadPacked(manager->source_);
        if (!look) {
            manager->source_ = skins.absoluteFilePath(name);
            look = ReadFolder(manager->source_);
        }
    } catch (...) {
        // A skin that cannot be read, for whatever reason, leaves the plain look.
        look.reset();
    }
    manager->active_ = look.has_value();
    if (!manager->active_) manager->source_.clear();
    if (!qApp) return manager;
    manager->previousToolTips_ = QToolTip::palette();
    if (look) {
        QPalette tips = manager->previousToolTips_;
        if (look->toolTip.colour) tips.setColor(QPalette::ToolTipBase, *look->toolTip.colour);
        if (look->toolTip.text) tips.setColor(QPalette::ToolTipText, *look->toolTip.text);
        QToolTip::setPalette(tips);
    }
    manager->style_ = new TsSkinStyle(std::move(look));
    QApplication::setStyle(manager->style_);
    return manager;
}

// The application goes back to the style it starts with.
TsSkinManager::~TsSkinManager() {
    if (!qApp || !style_ || QApplication::style() != style_) return;
    QToolTip::setPalette(previousToolTips_);
    QApplication::setStyle(QStyleFactory::create(TsSkinStyle(std::nullopt).baseStyle()->name()));
}

}  // namespace quillory
