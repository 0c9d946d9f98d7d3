#pragma once

#include <QStringList>

class QDragEnterEvent;
class QDropEvent;
class QWidget;

namespace quillory {

class TAttachedFiles;
class TAttachmentsButton;
class TDesktop;

// Attaching files to the next message: the menu item and its file dialog, dropping files on the
// window, and the list's face in the window's bottom row.
class MainWindowAttach {
public:
    // The list is a child of `window`; its button goes on `bottomRow`.
    MainWindowAttach(QWidget& window, QWidget& bottomRow, TDesktop& desktop);

    // The files attached to the next message, kept until the user removes them.
    TAttachedFiles& Files() const { return *files_; }
    // "Soubor → Přiložit soubory…": the files the file dialog gives.
    void Choose();
    // Attaches files as the file dialog and a drop do: a folder or a file not found is refused with
    // a message, a file already attached stays attached once.
    void Attach(const QStringList& paths);
    // The window's drag and drop: local files are taken.
    void DragEnter(QDragEnterEvent& event) const;
    void Drop(QDropEvent& event);

private:
    QWidget& window_;
    TDesktop& desktop_;
    TAttachedFiles* files_ = nullptr;       // child of the window
    TAttachmentsButton* button_ = nullptr;  // child of the bottom row
};

}  // namespace quillory
