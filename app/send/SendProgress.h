#pragma once

#include <QDialog>

class QLabel;

namespace quillory {

// The modal window shown while a send runs: the connection's latest status text, a busy bar and
// "Zrušit". Cancelling (the button, Esc or the close button) asks for the send to end; the window
// stays until the send has ended and the owner closes it.
class TSendProgress : public QDialog {
    Q_OBJECT
public:
    explicit TSendProgress(QWidget* parent);

    void SetStatus(const QString& text);
    QString Status() const;

signals:
    void cancelRequested();

protected:
    void reject() override;

private:
    QLabel* status_ = nullptr;
    bool cancelling_ = false;
};

}  // namespace quillory
