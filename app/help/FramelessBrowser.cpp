#include "app/help/FramelessBrowser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringDecoder>

namespace quillory {
namespace {

// A server that accepts the connection but never answers ends in the error page after this long.
constexpr int kTransferTimeoutMs = 30000;

bool IsWebAddress(const QUrl& address) {
    return address.isValid() && (address.scheme() == "http" || address.scheme() == "https");
}

QString ReasonText(const QNetworkReply& reply) {
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
        return "Server odmítl spojení.";
    case QNetworkReply::HostNotFoundError:
        return "Server nebyl nalezen.";
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return "Server neodpověděl včas.";
    case QNetworkReply::RemoteHostClosedError:
        return "Server ukončil spojení.";
    default:
        break;
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) {
        const QString phrase = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return QStringLiteral("Server odpověděl chybou %1").arg(status) +
               (phrase.isEmpty() ? "" : " " + phrase) + ".";
    }
    return "Spojení se nezdařilo.";
}

// The page's text: the character set of the Content-Type header, else of the page's own meta tag,
// else UTF-8.
QString DecodePage(const QNetworkReply& reply, const QByteArray& body) {
    static const QRegularExpression charset("charset\\s*=\\s*\"?([A-Za-z0-9._:-]+)",
                                            QRegularExpression::CaseInsensitiveOption);
    const QString contentType = reply.header(QNetworkRequest::ContentTypeHeader).toString();
    const QRegularExpressionMatch match = charset.match(contentType);
    if (match.hasMatch()) {
        QStringDecoder decoder(match.captured(1).toLatin1().constData());
        if (decoder.isValid()) return decoder.decode(body);
    }
    QStringDecoder decoder = QStringDecoder::decoderForHtml(body);
    return decoder.decode(body);
}

}  // namespace

TFramelessIE::TFramelessIE(QWidget* parent)
    : QTextBrowser(parent), network_(new QNetworkAccessManager(this)) {
    setObjectName("HelpBrowser");
    setFrameShape(QFrame::NoFrame);
    setContextMenuPolicy(Qt::NoContextMenu);
    viewport()->setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    // Links are followed by this view itself, over the network only.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &TFramelessIE::FollowLink);
    connect(network_, &QNetworkAccessManager::finished, this, &TFramelessIE::PageArrived);
}

TFramelessIE::~TFramelessIE() { Abandon(); }

// Stops the load still running; its finished signal then finds it is no longer the pending one.
void TFramelessIE::Abandon() {
    if (!pending_) return;
    QNetworkReply* abandoned = pending_;
    pending_ = nullptr;
    abandoned->abort();
}

void TFramelessIE::Navigate(const QUrl& address) {
    Abandon();
    address_ = address;
    showsGuide_ = false;
    if (!IsWebAddress(address)) {
        ShowErrorPage("Adresa není webová stránka.");
        return;
    }
    QNetworkRequest request(address);
    request.setTransferTimeout(kTransferTimeoutMs);
    pending_ = network_->get(request);
}

void TFramelessIE::PageArrived(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != pending_) return;  // abandoned by a later navigation
    pending_ = nullptr;
    if (reply->error() != QNetworkReply::NoError) {
        const QString reason = ReasonText(*reply);
        if (!ShowBundledGuide(reason)) ShowErrorPage(reason);
        return;
    }
    address_ = reply->url();  // after redirects, links resolve against the final address
    const QByteArray body = reply->readAll();
    const QString contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (contentType.startsWith("text/plain", Qt::CaseInsensitive)) setPlainText(DecodePage(*reply, body));
    else setHtml(DecodePage(*reply, body));
    emit loadFinished(true);
}

void TFramelessIE::ShowErrorPage(const QString& reason) {
    setHtml(QStringLiteral("<h2>Stránku nelze zobrazit</h2>"
                           "<p>Stránku <b>%1</b> se nepodařilo načíst.</p>"
                           "<p>%2</p>"
                           "<p>Zkontrolujte připojení k internetu a zkuste to znovu.</p>")
                .arg(address_.toDisplayString().toHtmlEscaped(), reason.toHtmlEscaped()));
    emit loadFinished(false);
}

// The guide with one line above it; false when there is no guide or it cannot be read.
bool TFramelessIE::ShowBundledGuide(const QString& reason) {
    if (guideFile_.isEmpty()) return false;
    QFile file(guideFile_);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    QString guide = QStringDecoder::decoderForHtml(bytes).decode(bytes);
    const QString notice =
        QStringLiteral(
            "<p style=\"background-color:#fff3c4; padding:4px;\">Online nápovědu se nepodařilo "
            "načíst (%1) Zobrazuje se nápověda dodaná s programem.</p>")
            .arg(reason.toHtmlEscaped());
    static const QRegularExpression bodyTag("<body[^>]*>", QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch body = bodyTag.match(guide);
    guide.insert(body.hasMatch() ? body.capturedEnd() : 0, notice);
    showsGuide_ = true;
    setHtml(guide);
    emit loadFinished(false);
    return true;
}

void TFramelessIE::FollowLink(const QUrl& link) {
    const QUrl target = address_.resolved(link);
    if (target.adjusted(QUrl::RemoveFragment) == address_.adjusted(QUrl::RemoveFragment) &&
        target.hasFragment()) {
        scrollToAnchor(target.fragment());
        return;
    }
    if (IsWebAddress(target)) Navigate(target);
}

// A web page comes from the network, so nothing it names is read from the local disk. The shipped
// guide's pictures are read from the guide's own folder, and from nowhere else. A refused resource is
// an empty text, not an empty value: given an empty value, the document would read a local file of
// that name itself.
QVariant TFramelessIE::loadResource(int, const QUrl& name) {
    const QVariant refused = QString(QLatin1String(""));
    if (!showsGuide_) return refused;
    const QDir guideFolder = QFileInfo(guideFile_).absoluteDir();
    if (!name.isRelative() && !name.isLocalFile()) return refused;
    const QString path = name.isLocalFile() ? name.toLocalFile() : guideFolder.filePath(name.path());
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty() || !real.startsWith(guideFolder.canonicalPath() + "/")) return refused;
    QFile file(real);
    if (!file.open(QIODevice::ReadOnly)) return refused;
    return file.readAll();
}

}  // namespace quillory
