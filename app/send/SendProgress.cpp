#include "app/send/SendProgress.h"

#include <algorithm>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/send/AttachedFiles.h"
#include "app/send/SendWorker.h"

namespace quillory {

TSendProgress::TSendProgress(QWidget* parent) : QDialog(parent) {
    setObjectName("SendProgress");
    setWindowTitle("Odesílání emailu");
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    step_ = new QLabel("Odesílání zprávy", this);
    step_->setObjectName("SendStep");
    QFont bold = step_->font();
    bold.setBold(true);
    step_->setFont(bold);
    layout->addWidget(step_);
    status_ = new QLabel(this);
    status_->setObjectName("SendStatus");
    status_->setMinimumWidth(320);
    layout->addWidget(status_);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("SendBar");
    bar_->setRange(0, 0);  // busy until the message text goes out: the send is alive
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    bytes_ = new QLabel(this);
    bytes_->setObjectName("SendBytes");
    layout->addWidget(bytes_);
    auto* cancel = new QPushButton("Zrušit", this);
    cancel->setObjectName("SendCancel");
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, &TSendProgress::reject);
}

void TSendProgress::SetStatus(const QString& text) {
    if (!cancelling_) status_->setText(text);
}

QString TSendProgress::Status() const { return status_->text(); }

void TSendProgress::SetProgress(qint64 sent, qint64 total) {
    if (total <= 0) return;
    // The dot-stuffing of lines that begin with "." may send a few bytes more than counted.
    const qint64 shown = std::min(sent, total);
    bar_->setRange(0, 1000);
    bar_->setValue(static_cast<int>(shown * 1000 / total));
    bytes_->setText((copying_ ? QStringLiteral("Uloženo %1 z %2") : QStringLiteral("Odesláno %1 z %2"))
                        .arg(FormatSize(shown), FormatSize(total)));
}

void TSendProgress::SetStep(TSendStep step) {
    copying_ = step == TSendStep::CopyToServer;
    step_->setText(copying_ ? QStringLiteral("Zpráva odeslána. Ukládání kopie do složky Odeslané…")
                            : QStringLiteral("Odesílání zprávy"));
    bar_->setRange(0, 0);
    bytes_->clear();
}

QString TSendProgress::Step() const { return step_->text(); }

void TSendProgress::reject() {
    // The window closes when the send has ended, not before: the user sees that it is stopping.
    status_->setText("Ruší se…");
    cancelling_ = true;
    emit cancelRequested();
}

}  // namespace quillory
