#include "app/merge/MergePaceBox.h"

#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

#include <chrono>
#include <optional>
#include <sstream>

#include "app/Win1250Text.h"
#include "app/merge/MergeRunOpen.h"
#include "net/smtp/SmtpAccount.h"
#include "storage/IniFile.h"
#include "storage/forms/FormStorage.h"

namespace quillory {
namespace {

constexpr std::string_view kSection = "HromadneOdeslani";
constexpr int kMaxFigure = 10'000'000;
// Before a run has sent anything, a message is taken to take a second, as the run's own estimate
// does.
constexpr std::chrono::seconds kPerMessage{1};

// The key of a server's figures: "Tempo smtp.firma.cz:587" (the server as typed, in lower case).
std::string PaceKey(const TSmtpAccount& account) {
    return "Tempo " + ToProgramText(FromProgramText(account.server).trimmed().toLower());
}

std::optional<SendingLimits> ChosenBefore(const TFormStorage& storage, const std::string& key) {
    try {
        const TIniFile ini(storage.IniFileName());
        std::istringstream figures(ini.ReadValue(kSection, key, ""));
        SendingLimits limits;
        if (figures >> limits.messagesPerMinute >> limits.messagesPerHour >> limits.messagesPerDay >>
            limits.recipientsPerDay)
            return limits;
    } catch (const Exception&) {
        // Nothing kept can be read: the default holds.
    }
    return std::nullopt;
}

QString DurationText(std::chrono::seconds duration) {
    using namespace std::chrono;
    if (duration < minutes(1)) return QStringLiteral("méně než minutu");
    const auto total = duration_cast<minutes>(duration + seconds(30)).count();  // to the nearest
    QStringList parts;
    if (const auto days = total / (24 * 60); days > 0) parts << QStringLiteral("%1 d").arg(days);
    if (const auto hours = total / 60 % 24; hours > 0) parts << QStringLiteral("%1 h").arg(hours);
    if (const auto rest = total % 60; rest > 0) parts << QStringLiteral("%1 min").arg(rest);
    return parts.join(' ');
}

}  // namespace

MergePaceBox::MergePaceBox(TFormStorage& storage, TProgramFolders folders, QWidget* parent)
    : QGroupBox(QStringLiteral("Tempo odesílání"), parent), storage_(storage), folders_(std::move(folders)) {
    setObjectName("mergePace");
    const char* names[] = {"paceMinute", "paceHour", "paceDay", "paceRecipients"};
    const QString captions[] = {QStringLiteral("Zpráv za minutu:"), QStringLiteral("Zpráv za hodinu:"),
                                QStringLiteral("Zpráv za den:"), QStringLiteral("Příjemců za den:")};
    auto* layout = new QGridLayout(this);
    for (int i = 0; i < 4; ++i) {
        fields_[i] = new QLineEdit(this);
        fields_[i]->setObjectName(names[i]);
        fields_[i]->setValidator(new QIntValidator(0, kMaxFigure, fields_[i]));
        fields_[i]->setPlaceholderText(QStringLiteral("bez omezení"));
        fields_[i]->setMaximumWidth(110);
        layout->addWidget(new QLabel(captions[i], this), 0, 2 * i);
        layout->addWidget(fields_[i], 0, 2 * i + 1);
        connect(fields_[i], &QLineEdit::textEdited, this, &MergePaceBox::ShowEstimate);
    }
    source_ = new QLabel(this);
    source_->setObjectName("paceSource");
    estimate_ = new QLabel(this);
    estimate_->setObjectName("paceEstimate");
    layout->addWidget(source_, 1, 0, 1, 8);
    layout->addWidget(estimate_, 2, 0, 1, 8);
    layout->setColumnStretch(8, 1);
    SetLimits(kCautious);
}

void MergePaceBox::ShowAccount(const TSmtpAccount& account) {
    const std::optional<ProviderPreset> preset = AccountPreset(folders_, account);
    const std::string key = PaceKey(account);
    if (key == key_ && preset.has_value() == preset_) return;
    key_ = key;
    preset_ = preset.has_value();
    const QString server = FromProgramText(account.server).trimmed();
    if (preset) {
        SetLimits(preset->limits);
        source_->setText(QStringLiteral("Podle předvolby poskytovatele %1.").arg(preset->name));
    } else if (const auto chosen = ChosenBefore(storage_, key_)) {
        SetLimits(*chosen);
        source_->setText(QStringLiteral("Jiný server (%1): tempo zvolené naposledy.").arg(server));
    } else {
        SetLimits(kCautious);
        source_->setText(
            QStringLiteral("Jiný server (%1): opatrné výchozí tempo; limity svého serveru zjistíte u "
                           "jeho správce.")
                .arg(server));
    }
}

SendingLimits MergePaceBox::Limits() const {
    const auto figure = [this](int i) { return fields_[i]->text().trimmed().toInt(); };
    return {figure(0), figure(1), figure(2), figure(3)};
}

void MergePaceBox::SetLimits(const SendingLimits& limits) {
    const int figures[] = {limits.messagesPerMinute, limits.messagesPerHour, limits.messagesPerDay,
                           limits.recipientsPerDay};
    for (int i = 0; i < 4; ++i) fields_[i]->setText(figures[i] > 0 ? QString::number(figures[i]) : QString());
    ShowEstimate();
}

void MergePaceBox::Remember() const {
    if (preset_ || key_.empty()) return;
    const SendingLimits limits = Limits();
    try {
        TIniFile ini(storage_.IniFileName());
        ini.WriteValue(
            kSection, key_,
            std::to_string(limits.messagesPerMinute) + " " + std::to_string(limits.messagesPerHour) + " " +
                std::to_string(limits.messagesPerDay) + " " + std::to_string(limits.recipientsPerDay));
        ini.UpdateFile();
    } catch (const Exception&) {
        // The run goes at the figures chosen all the same; only the next one starts from the default.
    }
}

void MergePaceBox::SetMessages(std::size_t messages) {
    messages_ = messages;
    ShowEstimate();
}

void MergePaceBox::ShowEstimate() {
    if (messages_ == 0) {
        estimate_->clear();
        return;
    }
    const auto now = Pacer::Clock::now();
    const auto end = Pacer(Limits()).EstimatedEnd(now, messages_, kPerMessage);
    estimate_->setText(QStringLiteral("Zpráv k odeslání: %1, při tomto tempu potrvá odeslání asi %2.")
                           .arg(messages_)
                           .arg(DurationText(std::chrono::duration_cast<std::chrono::seconds>(end - now))));
}

}  // namespace quillory
