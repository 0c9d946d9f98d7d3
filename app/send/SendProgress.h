#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace quillory {

enum class TSendStep;

// The modal window shown while a send runs: the connection's latest status text, a bar and
// "Zrušit". The bar is busy until the message text goes out, then shows its bytes sent. Cancelling (the
// button, Esc or the close button) asks for the send to end; the window stays until the send has ended and
// the owner closes it.
class TSendProgress : public QDialog {
    Q_OBJECT
public:
    explicit TSendProgress(QWidget* parent);

    void SetStatus(const QString& text);
    QString Status() const;
    // `sent` bytes of the message text (or of its copy) out of `total`.
    void SetProgress(qint64 sent, qint64 total);
    // The send's next step: the bar is busy again until its bytes go out.
    void SetStep(TSendStep step);
    QString Step() const;

signals:
    void cancelRequested();

protected:
    void reject() override;

private:
    QLabel* step_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* bytes_ = nullptr;
    bool cancelling_ = false;
    bool copying_ = false;
};

}  // namespace quillory
