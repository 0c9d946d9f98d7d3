#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace quillory {

class TIdMessage;

// A finished message as its recipient will read it: the sender, the recipients, the subject, the
// attached files and the text, filled for that recipient.
QString MessagePreviewText(const TIdMessage& message);

// The preview of one row's finished message, opened from the check table.
class MergeMessagePreview : public QDialog {
    Q_OBJECT
public:
    explicit MergeMessagePreview(QWidget* parent);

    // Shows `message`; `problems` (the check's words for its row), when there are any, above it.
    void Show(const QString& title, const TIdMessage& message, const QString& problems = {});
    QString Text() const;

private:
    QPlainTextEdit* text_ = nullptr;
};

}  // namespace quillory
