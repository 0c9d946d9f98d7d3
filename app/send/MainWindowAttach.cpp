// Attaching files to the next message: the menu item and its file dialog, dropping files on the
// window, and the list's face in the bottom row.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "app/ErrorHandler.h"
#include "app/MainWindow.h"
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

void TForm1::CreateAttachments() {
    attachedFiles_ = new TAttachedFiles;
    attachedFiles_->setParent(this);
    // The free stretch of the bottom row between "Vše / Nic" and the web label, clear of the
    // panels above it.
    sAttachments = new TAttachmentsButton(*attachedFiles_, centralWidget());
    sAttachments->setGeometry(106, 678, 288, 23);
    connect(sAttachments, &TAttachmentsButton::addRequested, this,
            [this] { Guarded(desktop_, this, [this] { Piloitsoubory1Click(); }); });
    setAcceptDrops(true);
}

void TForm1::Piloitsoubory1Click() { AttachFiles(desktop_.ChooseFilesToOpen(this, "Přiložit soubory")); }

void TForm1::AttachFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        switch (attachedFiles_->Add(path)) {
        case TAttachedFiles::TAddResult::Folder:
            desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                                 QStringLiteral("„%1“ je složka. Přiložit lze jen soubory.").arg(name));
            break;
        case TAttachedFiles::TAddResult::NotFound:
            desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                                 QStringLiteral("Soubor „%1“ nebyl nalezen (%2).").arg(name, path));
            break;
        case TAttachedFiles::TAddResult::Added:
        case TAttachedFiles::TAddResult::AlreadyAttached:
            break;
        }
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    Guarded(desktop_, this, [this, &paths] { AttachFiles(paths); });
}

}  // namespace quillory
