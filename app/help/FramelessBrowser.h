#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace quillory {

// The page view of the help panel: shows one web page fetched over plain HTTP, without a frame,
// without a context menu of its own and refusing drops. Links on the page load in the same view.
// A page that cannot be fetched is replaced by the user guide shipped with the program, under one
// line saying the online help could not be reached, or by the view's own error page when there is
// no guide. Nothing of a web page is read from the local disk: its images and style sheets are not
// loaded; the shipped guide's own pictures are, from the guide's folder only.
class TFramelessIE : public QTextBrowser {
    Q_OBJECT
public:
    explicit TFramelessIE(QWidget* parent);
    ~TFramelessIE() override;

    // Starts loading `address`; a load still running is abandoned.
    void Navigate(const QUrl& address);
    // The address of the page shown or being loaded.
    const QUrl& Address() const { return address_; }
    // The shipped guide (an HTML file) shown when a page cannot be fetched; none by default.
    void SetBundledGuide(const QString& file) { guideFile_ = file; }
    // Whether the view shows the shipped guide in place of a page that could not be fetched.
    bool ShowsBundledGuide() const { return showsGuide_; }

signals:
    // The page (ok) or the error page (not ok) is shown.
    void loadFinished(bool ok);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void Abandon();
    void PageArrived(QNetworkReply* reply);
    void ShowErrorPage(const QString& reason);
    bool ShowBundledGuide(const QString& reason);
    void FollowLink(const QUrl& link);

    QNetworkAccessManager* network_;  // child of the view
    QPointer<QNetworkReply> pending_;
    QUrl address_;
    QString guideFile_;
    bool showsGuide_ = false;
};

}  // namespace quillory
