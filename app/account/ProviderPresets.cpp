#include "app/account/ProviderPresets.h"

#include <QFile>
#include <QHash>

#include <algorithm>

namespace quillory {

namespace {

// The shipped file is a few kilobytes; anything much larger is not it.
constexpr qint64 kMaxFileBytes = 256 * 1024;

std::optional<ProviderPreset> MakePreset(const QString& id, const QHash<QString, QString>& keys) {
    ProviderPreset preset;
    preset.id = id;
    preset.name = keys.value("nazev");
    preset.smtpServer = keys.value("smtp");
    preset.imapServer = keys.value("imap");
    const QString login = keys.value("prihlaseni", "heslo").toLower();
    if (login == "microsoft") preset.login = TLoginMethod::Microsoft;
    else if (login != "heslo") return std::nullopt;
    preset.domains = keys.value("domeny").toLower().split(' ', Qt::SkipEmptyParts);
    preset.hint = keys.value("rada");
    const auto limit = [&keys](const char* key) { return std::max(keys.value(key).toInt(), 0); };
    preset.limits = {limit("zpravzaminutu"), limit("zpravzahodinu"), limit("zpravzaden"),
                     limit("prijemcuzaden")};
    if (preset.id.isEmpty() || preset.name.isEmpty() || preset.smtpServer.isEmpty()) return std::nullopt;
    return preset;
}

}  // namespace

QVector<ProviderPreset> ReadProviderPresets(const QByteArray& utf8) {
    QVector<ProviderPreset> presets;
    QString section;
    QHash<QString, QString> keys;
    const auto close = [&] {
        if (section.isEmpty()) return;
        if (auto preset = MakePreset(section, keys)) {
            const bool known = std::any_of(presets.begin(), presets.end(), [&](const ProviderPreset& other) {
                return other.id == preset->id;
            });
            if (!known) presets.append(*preset);
        }
        keys.clear();
    };
    for (QString line : QString::fromUtf8(utf8).split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            close();
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0 || section.isEmpty()) continue;
        keys.insert(line.left(equals).trimmed().toLower(), line.mid(equals + 1).trimmed());
    }
    close();
    return presets;
}

QVector<ProviderPreset> ReadProviderPresets(const std::filesystem::path& file) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxFileBytes) return {};
    return ReadProviderPresets(in.read(kMaxFileBytes));
}

std::optional<ProviderPreset> PresetForAddress(const QVector<ProviderPreset>& presets,
                                               const QString& address) {
    const qsizetype at = address.lastIndexOf('@');
    if (at < 0) return std::nullopt;
    QString domain = address.mid(at + 1).trimmed().toLower();
    while (domain.endsWith('.')) domain.chop(1);
    if (domain.isEmpty()) return std::nullopt;
    for (const ProviderPreset& preset : presets)
        if (preset.domains.contains(domain)) return preset;
    return std::nullopt;
}

}  // namespace quillory
