#pragma once

#include <QFrame>
#include <QPushButton>

class QLabel;
class QTreeWidget;

namespace quillory {

class TAttachedFiles;

// The attachment list as it drops down from its button: one row per file with its name and size
// (a missing file says so), the total, and buttons to add files, remove the chosen one or all.
class TAttachmentsPopup : public QFrame {
    Q_OBJECT
public:
    TAttachmentsPopup(TAttachedFiles& files, QWidget* parent);

    void Refresh();

signals:
    void addRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RemoveCurrent();

    TAttachedFiles& files_;
    QTreeWidget* list_ = nullptr;
    QLabel* total_ = nullptr;
};

// The compact face of the attachment list in the window's bottom row: the number of files and
// their total size; a click drops the list down.
//
// The list is made at its first use: when it first drops down or first holds a file. An empty list
// that never drops down costs the start nothing (a tree view, its header and the header's bold
// font).
class TAttachmentsButton : public QPushButton {
    Q_OBJECT
public:
    TAttachmentsButton(TAttachedFiles& files, QWidget* parent);

    TAttachmentsPopup& Popup();
    void ShowPopup();

signals:
    void addRequested();

private:
    void Refresh();

    TAttachedFiles& files_;
    TAttachmentsPopup* popup_ = nullptr;  // child of the button, made at its first use
};

}  // namespace quillory
