#include "app/send/SendProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory {

TSendProgress::TSendProgress(QWidget* parent) : QDialog(parent) {
    setObjectName("SendProgress");
    setWindowTitle("Odesílání emailu");
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(this);
    status_->setObjectName("SendStatus");
    status_->setMinimumWidth(320);
    layout->addWidget(status_);
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);  // no measure of progress: the bar only shows that the send is alive
    layout->addWidget(bar);
    auto* cancel = new QPushButton("Zrušit", this);
    cancel->setObjectName("SendCancel");
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, &TSendProgress::reject);
}

void TSendProgress::SetStatus(const QString& text) {
    if (!cancelling_) status_->setText(text);
}

QString TSendProgress::Status() const { return status_->text(); }

void TSendProgress::reject() {
    // The window closes when the send has ended, not before: the user sees that it is stopping.
    status_->setText("Ruší se…");
    cancelling_ = true;
    emit cancelRequested();
}

}  // namespace quillory
