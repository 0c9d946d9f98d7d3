#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace quillory {

// The page view of the help panel: shows one web page fetched over plain HTTP, without a frame,
// without a context menu of its own and refusing drops. Links on the page load in the same view;
// a page that cannot be fetched is replaced by the view's own error page. Nothing is read from the
// local disk: the page's images and style sheets are not loaded.
class TFramelessIE : public QTextBrowser {
    Q_OBJECT
public:
    explicit TFramelessIE(QWidget* parent);
    ~TFramelessIE() override;

    // Starts loading `address`; a load still running is abandoned.
    void Navigate(const QUrl& address);
    // The address of the page shown or being loaded.
    const QUrl& Address() const { return address_; }

signals:
    // The page (ok) or the error page (not ok) is shown.
    void loadFinished(bool ok);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void Abandon();
    void PageArrived(QNetworkReply* reply);
    void ShowErrorPage(const QString& reason);
    void FollowLink(const QUrl& link);

    QNetworkAccessManager* network_;  // child of the view
    QPointer<QNetworkReply> pending_;
    QUrl address_;
};

}  // namespace quillory
