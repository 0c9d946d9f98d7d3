#include "app/merge/MergeMessagePreview.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "app/Win1250Text.h"
#include "app/send/AttachedFiles.h"
#include "mail/IdMessage.h"

namespace quillory {
namespace {

bool IsUtf8(const std::string& contentType) {
    return QString::fromStdString(contentType).contains(QStringLiteral("charset=utf-8"), Qt::CaseInsensitive);
}

// The lines of a text in its charset (UTF-8 or Windows-1250) as the reader sees them; the
// quoted-printable form of a single-part message is decoded first (RFC 2045 §6.7: a line ending
// in "=" goes on in the next one).
QString BodyText(const TIdStrings& lines, const std::string& contentType, bool quotedPrintable) {
    QByteArray bytes;
    for (const std::string& line : lines) {
        QByteArray piece = QByteArray::fromStdString(line);
        if (quotedPrintable && piece.endsWith('=')) {
            piece.chop(1);
            bytes += piece;
            continue;
        }
        bytes += piece + '\n';
    }
    if (quotedPrintable) bytes = QByteArray::fromPercentEncoding(bytes, '=');
    return IsUtf8(contentType) ? QString::fromUtf8(bytes) : FromWin1250(bytes.toStdString());
}

QString Addresses(const TIdEMailAddressList& list) {
    QStringList addresses;
    for (std::size_t i = 0; i < list.Count(); ++i) addresses << FromProgramText(list[i].Text());
    return addresses.join(", ");
}

}  // namespace

QString MessagePreviewText(const TIdMessage& message) {
    QStringList lines;
    lines << QStringLiteral("Od: ") + FromProgramText(message.From().Text());
    lines << QStringLiteral("Komu: ") + Addresses(message.Recipients());
    if (message.CCList().Count() > 0) lines << QStringLiteral("Kopie: ") + Addresses(message.CCList());
    lines << QStringLiteral("Předmět: ") + FromProgramText(message.Subject);
    QString body;
    const TIdMessageParts& parts = message.MessageParts();
    for (std::size_t i = 0; i < parts.Count(); ++i) {
        const TIdMessagePart& part = parts.Items(i);
        if (const auto* text = dynamic_cast<const TIdText*>(&part)) {
            body += BodyText(text->Body(), part.ContentType(), false);
        } else if (const auto* file = dynamic_cast<const TIdAttachment*>(&part)) {
            const QString path = QString::fromStdString(file->StoredPathName());
            lines << QStringLiteral("Příloha: %1 (%2)")
                         .arg(QString::fromStdString(file->FileName()), FormatSize(QFileInfo(path).size()));
        }
    }
    if (parts.Empty())
        body = BodyText(message.Body(), message.ContentType,
                        message.ContentTransferEncoding == "quoted-printable");
    return lines.join('\n') + "\n\n" + body;
}

MergeMessagePreview::MergeMessagePreview(QWidget* parent) : QDialog(parent) {
    setObjectName("MergeMessagePreview");
    resize(640, 520);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("mergePreviewText");
    text_->setReadOnly(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Zavřít"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
}

void MergeMessagePreview::Show(const QString& title, const TIdMessage& message, const QString& problems) {
    setWindowTitle(title);
    const QString heading = problems.isEmpty() ? QString() : QStringLiteral("Problémy: %1\n\n").arg(problems);
    text_->setPlainText(heading + MessagePreviewText(message));
    show();
    raise();
    activateWindow();
}

QString MergeMessagePreview::Text() const { return text_->toPlainText(); }

}  // namespace quillory
