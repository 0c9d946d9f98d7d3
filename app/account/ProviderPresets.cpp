#include "app/account/ProviderPresets.h"

#include <QFile>

#include <algorithm>
#include <string>
#include <string_view>

#include "storage/IniDocument.h"

#include <algorithm>

namespace quillory {

namespace {

// The shipped file is a few kilobytes; anything much larger is not it.
constexpr qint64 kMaxFileBytes = 256 * 1024;

std::optional<ProviderPreset> MakePreset(const TIniDocument& document, const std::string& section) {
    const auto value = [&](std::string_view key, std::string_view otherwise = {}) {
        const auto found = document.Find(section, key);
        return QString::fromUtf8(QByteArrayView(found.value_or(otherwise))).trimmed();
    };
    ProviderPreset preset;
    preset.id = QString::fromUtf8(section).trimmed().toLower();
    preset.name = value("Nazev");
    preset.smtpServer = value("Smtp");
    preset.imapServer = value("Imap");
    const QString login = value("Prihlaseni", "heslo").toLower();
    if (login == "microsoft") preset.login = TLoginMethod::Microsoft;
    else if (login != "heslo") return std::nullopt;
    preset.domains = value("Domeny").toLower().split(' ', Qt::SkipEmptyParts);
    preset.hint = value("Rada");
    const auto limit = [&value](std::string_view key) { return std::max(value(key).toInt(), 0); };
    preset.limits = {limit("ZpravZaMinutu"), limit("ZpravZaHodinu"), limit("ZpravZaDen"),
                     limit("PrijemcuZaDen")};
    if (preset.id.isEmpty() || preset.name.isEmpty() || preset.smtpServer.isEmpty()) return std::nullopt;
    return preset;
}

}  // namespace

QVector<ProviderPreset> ReadProviderPresets(const QByteArray& utf8) {
    const TIniDocument document = TIniDocument::Parse(std::string_view(utf8.constData(), utf8.size()));
    QVector<ProviderPreset> presets;
    // Of two sections of one name the first counts, as it does for every reader of the file.
    for (const std::string& section : document.SectionNames()) {
        auto preset = MakePreset(document, section);
        if (!preset) continue;
        const bool known = std::any_of(presets.begin(), presets.end(),
                                       [&](const ProviderPreset& other) { return other.id == preset->id; });
        if (!known) presets.append(*preset);
    }
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
