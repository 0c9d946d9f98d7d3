#pragma once

#include <QDialog>

namespace quillory {

class TDesktop;

// The about box: the program's name and version and a link to its web site.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(TDesktop& desktop, QWidget* mainWindow);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* mainWindow_;
};

}  // namespace quillory
