#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/spelling/InstalledDictionaries.h"
#include "spelling/PersonalWordList.h"
#include "spelling/SpellingWords.h"

namespace quillory {

class SpellDictionary;

// The window's spell checking: the chosen dictionary, the user's own words and the words ignored
// for this run, and the judgement of every word the editors show.
//
// Nothing is loaded until Start(), which the window calls once it has painted: the dictionary
// (about 0.2 s and 27 MB for Czech) is loaded on a thread of its own and taken into use on the
// window's thread, where every other call runs. Until then no word counts as misspelt.
class SpellChecker : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,     // not started, or switched off before its first load
        Loading,  // the dictionary is being loaded
        Ready,    // the dictionary is in use
        Missing,  // no dictionary of the chosen language is installed
        Failed,   // the dictionary's files could not be loaded: LoadError() says why
    };

    static constexpr const char* kDefaultLanguage = "cs_CZ";
    static constexpr int kSuggestionCount = 5;

    SpellChecker(std::vector<InstalledDictionary> dictionaries, std::filesystem::path personalList,
                 QObject* parent = nullptr);
    // Waits for a load still running (it cannot be stopped halfway), then drops its result.
    ~SpellChecker() override;

    // Starts loading once `window` has painted for the first time.
    void StartAfterFirstPaint(QWidget& window);
    // Loads the dictionary when checking is on; the personal list is read at the first load.
    void Start();

    const std::vector<InstalledDictionary>& Dictionaries() const { return dictionaries_; }
    QString Language() const { return language_; }
    // Another language: its dictionary is loaded (when checking is on), the words are judged again.
    void SetLanguage(const QString& name);
    // The user's choice; checking runs when it is on and the dictionary is ready.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    State CurrentState() const { return state_; }
    // True when a dictionary of the chosen language is installed.
    bool HasDictionary() const { return FindDictionary(language_) != nullptr; }
    bool Active() const { return enabled_ && state_ == State::Ready; }
    // Why the last load failed, in English, with the file's path.
    const QString& LoadError() const { return loadError_; }

    // The misspelt words of one line of text; none while checking is not active.
    std::vector<SpellingWord> Misspelled(QStringView text);
    // The misspelt word of `text` at `position` (its end counts), if there is one.
    std::optional<SpellingWord> MisspelledAt(QStringView text, qsizetype position);
    bool IsCorrect(QStringView word, bool trailingDot);
    // Up to kSuggestionCount corrections, best first; may take 10 to 150 ms.
    QStringList Suggestions(const QString& word);
    // The word is correct from now on and in later runs: it goes into the personal list.
    void AddToPersonalList(const QString& word);
    // The word is correct for the rest of this run.
    void Ignore(const QString& word);

    const PersonalWordList& PersonalList() const { return personal_; }

signals:
    // A dictionary has been loaded and is in use; the editors have been asked to check again.
    void ready();
    // The judgement of words has changed (a dictionary, the switch, a word added or ignored): every
    // editor checks its whole text again.
    void recheckNeeded();
    // The state, the language or the switch changed.
    void stateChanged();
    // Something the user must hear of, in Czech: the personal list is damaged or cannot be written.
    void problem(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct LoadResult;

    void Load();
    void TakeLoaded(unsigned generation, const std::shared_ptr<LoadResult>& result);
    void ReadPersonalList();
    void ReportPersonalListProblem();
    void JudgeAgain();
    const InstalledDictionary* FindDictionary(const QString& name) const;

    const std::vector<InstalledDictionary> dictionaries_;
    QString language_ = kDefaultLanguage;
    bool enabled_ = true;
    bool started_ = false;
    State state_ = State::Idle;
    QString loadError_;
    std::shared_ptr<SpellDictionary> dictionary_;
    std::u16string joiners_;
    PersonalWordList personal_;
    bool personalRead_ = false;
    bool personalReported_ = false;
    QSet<QString> ignored_;
    // Every word judged since the judgement last changed, with its full stop when one follows.
    QHash<QString, bool> judged_;
    std::thread loader_;
    unsigned generation_ = 0;
    QWidget* waitingWindow_ = nullptr;
};

}  // namespace quillory
