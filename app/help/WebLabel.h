#pragma once

#include <QLabel>

namespace quillory {

class TDesktop;

// A clickable web link: pressing the primary button on it opens its address in the desktop's
// browser. Bold and blue; window-text coloured while the pointer is over it.
class TsWebLabel : public QLabel {
    Q_OBJECT
public:
    TsWebLabel(TDesktop& desktop, const QString& caption, QString url, QWidget* parent);
    const QString& Url() const { return url_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetHover(bool hover);

    TDesktop& desktop_;
    QString url_;
};

}  // namespace quillory
