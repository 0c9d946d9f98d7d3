#include "app/spelling/SpellChecker.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

#include <cstring>
#include <exception>

#include "spelling/SpellDictionary.h"

namespace quillory {
namespace {

// The UTF-16 units of `text`, for the word rules of spelling/.
std::u16string_view Units(QStringView text) { return {text.utf16(), static_cast<std::size_t>(text.size())}; }

// The judgements kept; past it they are dropped and made again as words come.
constexpr qsizetype kJudgedLimit = 100000;

QString PathText(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

QString SystemErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

struct SpellChecker::LoadResult {
    std::shared_ptr<SpellDictionary> dictionary;
    QString error;
};

SpellChecker::SpellChecker(std::vector<InstalledDictionary> dictionaries, std::filesystem::path personalList,
                           QObject* parent)
    : QObject(parent), dictionaries_(std::move(dictionaries)), personal_(std::move(personalList)) {}

SpellChecker::~SpellChecker() {
    ++generation_;
    if (loader_.joinable()) loader_.join();
}

void SpellChecker::StartAfterFirstPaint(QWidget& window) {
    waitingWindow_ = &window;
    window.installEventFilter(this);
}

bool SpellChecker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == waitingWindow_ && event->type() == QEvent::Paint) {
        waitingWindow_->removeEventFilter(this);
        waitingWindow_ = nullptr;
        // After the paint has ended, not inside it.
        QMetaObject::invokeMethod(this, &SpellChecker::Start, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void SpellChecker::Start() {
    if (started_) return;
    started_ = true;
    if (waitingWindow_ != nullptr) {
        waitingWindow_->removeEventFilter(this);
        waitingWindow_ = nullptr;
    }
    if (enabled_) Load();
}

const InstalledDictionary* SpellChecker::FindDictionary(const QString& name) const {
    for (const InstalledDictionary& dictionary : dictionaries_)
        if (QString::fromStdString(dictionary.name) == name) return &dictionary;
    return nullptr;
}

void SpellChecker::SetLanguage(const QString& name) {
    if (name.isEmpty() || name == language_) return;
    language_ = name;
    dictionary_.reset();
    loadError_.clear();
    state_ = State::Idle;
    if (started_ && enabled_) Load();
    JudgeAgain();
    emit stateChanged();
}

void SpellChecker::SetEnabled(bool enabled) {
    // Switched on while on after a failed load: the load is tried again.
    if (enabled == enabled_ && !(enabled && state_ == State::Failed)) return;
    enabled_ = enabled;
    if (enabled_ && started_ && (state_ == State::Idle || state_ == State::Failed)) Load();
    JudgeAgain();
    emit stateChanged();
}

void SpellChecker::ReadPersonalList() {
    if (personalRead_) return;
    personalRead_ = true;
    personal_.Load();
    ReportPersonalListProblem();
}

void SpellChecker::ReportPersonalListProblem() {
    if (personalReported_ || personal_.LoadProblem() == PersonalWordList::Problem::None) return;
    personalReported_ = true;
    const QString path = PathText(personal_.File());
    QString what;
    switch (personal_.LoadProblem()) {
    case PersonalWordList::Problem::None:
        return;
    case PersonalWordList::Problem::Unreadable:
        what = QStringLiteral("Osobní slovník %1 nelze přečíst (%2).")
                   .arg(path, SystemErrorText(personal_.LoadError()));
        break;
    case PersonalWordList::Problem::NotRegular:
        what = QStringLiteral("Osobní slovník %1 není obyčejný soubor.").arg(path);
        break;
    case PersonalWordList::Problem::TooLarge:
        what = QStringLiteral("Osobní slovník %1 je větší než 4 MiB.").arg(path);
        break;
    case PersonalWordList::Problem::NotText:
        what = QStringLiteral("Osobní slovník %1 je poškozený: není to text v kódování UTF-8.").arg(path);
        break;
    }
    emit problem(what +
                 QStringLiteral(" Kontrola pravopisu pokračuje bez něj; slova přidaná do slovníku platí "
                                "jen do ukončení programu a soubor zůstane, jak je."));
}

void SpellChecker::Load() {
    ReadPersonalList();
    const InstalledDictionary* found = FindDictionary(language_);
    if (found == nullptr) {
        state_ = State::Missing;
        emit stateChanged();
        return;
    }
    state_ = State::Loading;
    loadError_.clear();
    const unsigned generation = ++generation_;
    if (loader_.joinable()) loader_.join();
    loader_ = std::thread([this, generation, affix = found->affixFile, words = found->wordFile] {
        auto result = std::make_shared<LoadResult>();
        try {
            result->dictionary = std::make_shared<SpellDictionary>(affix, words);
        } catch (const std::exception& error) {
            result->error = QString::fromStdString(error.what());
        }
        QMetaObject::invokeMethod(
            this, [this, generation, result] { TakeLoaded(generation, result); }, Qt::QueuedConnection);
    });
}

void SpellChecker::TakeLoaded(unsigned generation, const std::shared_ptr<LoadResult>& result) {
    if (generation != generation_) return;
    if (loader_.joinable()) loader_.join();
    if (!result->dictionary) {
        state_ = State::Failed;
        loadError_ = result->error;
        emit stateChanged();
        return;
    }
    dictionary_ = result->dictionary;
    for (const std::string& word : personal_.Words()) dictionary_->Add(word);
    for (const QString& word : std::as_const(ignored_)) dictionary_->Add(word.toStdString());
    joiners_ = WordJoiners(Units(QString::fromStdString(dictionary_->WordChars())));
    state_ = State::Ready;
    emit stateChanged();
    JudgeAgain();
    emit ready();
}

void SpellChecker::JudgeAgain() {
    judged_.clear();
    emit recheckNeeded();
}

bool SpellChecker::IsCorrect(QStringView word, bool trailingDot) {
    if (!dictionary_) return true;
    QString key = word.toString();
    if (trailingDot) key += u'.';
    if (const auto found = judged_.constFind(key); found != judged_.cend()) return *found;
    const QString bare = word.toString();
    const bool correct = ignored_.contains(bare) || personal_.Contains(bare.toStdString()) ||
                         dictionary_->Check(key.toStdString());
    if (judged_.size() >= kJudgedLimit) judged_.clear();
    judged_.insert(key, correct);
    return correct;
}

std::vector<SpellingWord> SpellChecker::Misspelled(QStringView text) {
    std::vector<SpellingWord> misspelled;
    if (!Active()) return misspelled;
    for (const SpellingWord& word : WordsToCheck(Units(text), joiners_))
        if (!IsCorrect(text.mid(word.start, word.length), word.trailingDot)) misspelled.push_back(word);
    return misspelled;
}

std::optional<SpellingWord> SpellChecker::MisspelledAt(QStringView text, qsizetype position) {
    for (const SpellingWord& word : Misspelled(text))
        if (position >= word.start && position <= word.start + word.length) return word;
    return std::nullopt;
}

QStringList SpellChecker::Suggestions(const QString& word) {
    QStringList suggestions;
    if (!dictionary_) return suggestions;
    for (const std::string& suggestion : dictionary_->Suggest(word.toStdString())) {
        const QString text = QString::fromStdString(suggestion);
        if (text == word || suggestions.contains(text)) continue;
        suggestions.append(text);
        if (suggestions.size() == kSuggestionCount) break;
    }
    return suggestions;
}

void SpellChecker::AddToPersonalList(const QString& word) {
    const TReplaceResult written = personal_.Add(word.toStdString());
    if (dictionary_) dictionary_->Add(word.toStdString());
    JudgeAgain();
    // The file may have been damaged since the start: said once, as at the start.
    ReportPersonalListProblem();
    if (!written) {
        emit problem(QStringLiteral("Slovo „%1“ nelze uložit do osobního slovníku %2 (%3). Platí jen do "
                                    "ukončení programu.")
                         .arg(word, PathText(personal_.File()), SystemErrorText(written.error)));
    }
}

void SpellChecker::Ignore(const QString& word) {
    ignored_.insert(word);
    if (dictionary_) dictionary_->Add(word.toStdString());
    JudgeAgain();
}

}  // namespace quillory
