#include "app/send/MainWindowAttach.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/ErrorHandler.h"
#include "app/desktop/Desktop.h"
#include "app/send/AttachedFiles.h"
#include "app/send/AttachmentsButton.h"

namespace quillory {

namespace {

// The local files among dropped addresses.
QStringList LocalFiles(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    return paths;
}

}  // namespace

MainWindowAttach::MainWindowAttach(QWidget& window, QWidget& bottomRow, TDesktop& desktop)
    : window_(window), desktop_(desktop) {
    files_ = new TAttachedFiles;
    files_->setParent(&window);
    // The free stretch of the bottom row between "Vše / Nic" and the web label, clear of the
    // panels above it.
    button_ = new TAttachmentsButton(*files_, &bottomRow);
    button_->setGeometry(106, 678, 288, 23);
    QObject::connect(button_, &TAttachmentsButton::addRequested, &window,
                     [this] { Guarded(desktop_, &window_, [this] { Choose(); }); });
    window.setAcceptDrops(true);
}

void MainWindowAttach::Choose() { Attach(desktop_.ChooseFilesToOpen(&window_, "Přiložit soubory")); }

void MainWindowAttach::Attach(const QStringList& paths) {
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        switch (files_->Add(path)) {
        case TAttachedFiles::TAddResult::Folder:
            desktop_.ShowMessage(&window_, TDesktop::TMessageKind::Information, "Information",
                                 QStringLiteral("„%1“ je složka. Přiložit lze jen soubory.").arg(name));
            break;
        case TAttachedFiles::TAddResult::NotFound:
            desktop_.ShowMessage(&window_, TDesktop::TMessageKind::Information, "Information",
                                 QStringLiteral("Soubor „%1“ nebyl nalezen (%2).").arg(name, path));
            break;
        case TAttachedFiles::TAddResult::Added:
        case TAttachedFiles::TAddResult::AlreadyAttached:
            break;
        }
    }
}

void MainWindowAttach::DragEnter(QDragEnterEvent& event) const {
    if (!LocalFiles(event.mimeData()).isEmpty()) event.acceptProposedAction();
}

void MainWindowAttach::Drop(QDropEvent& event) {
    const QStringList paths = LocalFiles(event.mimeData());
    if (paths.isEmpty()) return;
    event.acceptProposedAction();
    Guarded(desktop_, &window_, [this, &paths] { Attach(paths); });
}

}  // namespace quillory
