#pragma once

#include <QGroupBox>
#include <QString>

#include <cstddef>
#include <string>

#include "merge/Pacer.h"
#include "storage/ProgramFolders.h"

class QLabel;
class QLineEdit;

namespace quillory {

class TFormStorage;
struct TSmtpAccount;

// "Tempo odesílání": the sending limits a run keeps to (messages a minute, an hour, a day,
// recipients a day; an empty field or 0: no limit of that kind). The figures come from the
// account's provider preset; a server without one ("Jiný") gets the figures last chosen for it, else
// a cautious default. The user may change them; the box tells how long the messages to send would
// take at that pace.
class MergePaceBox : public QGroupBox {
    Q_OBJECT
public:
    // The default of a server without a preset: 20 messages a minute, 500 a day.
    static constexpr SendingLimits kCautious{20, 0, 500, 0};

    MergePaceBox(TFormStorage& storage, TProgramFolders folders, QWidget* parent);

    // Fills the figures for the account's server. The server shown already keeps them as they
    // are, changed or not.
    void ShowAccount(const TSmtpAccount& account);
    SendingLimits Limits() const;
    void SetLimits(const SendingLimits& limits);
    // Keeps the figures for the server, when it has no preset, for the next run (the INI file's
    // section HromadneOdeslani).
    void Remember() const;
    // The number of messages the estimate is for.
    void SetMessages(std::size_t messages);

private:
    void ShowEstimate();

    TFormStorage& storage_;
    const TProgramFolders folders_;
    QLineEdit* fields_[4] = {};
    QLabel* source_ = nullptr;
    QLabel* estimate_ = nullptr;
    std::string key_;      // of the server whose figures the fields hold; empty before the first
    bool preset_ = false;  // that server has a provider preset
    std::size_t messages_ = 0;
};

}  // namespace quillory
