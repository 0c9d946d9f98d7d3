// The main window's reset to defaults ("Výchozí nastavení"): backups first, then everything emptied.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/BlockFileName.h"
#include "app/MainWindow.h"
#include "app/MemoText.h"
#include "app/Win1250Text.h"
#include "app/account/MainWindowAccount.h"
#include "app/send/AttachedFiles.h"
#include "app/send/MainWindowAttach.h"
#include "storage/TextFile.h"

namespace quillory {

// One generation of backups in "Backups" in the data folder, which must exist: the blocks'
// texts byte for byte, then every list's entries each followed by CR LF.
void TForm1::WriteBackups() const {
    const std::filesystem::path folder = folders_.Data() / "Backups";
    for (int n = 0; n < 8; ++n) {
        LinesToFile(MemoText(*blocks_[n].memo), folder / BlockFileName(n + 1));
    }
    for (int n = 0; n < 5; ++n) {
        QString textForm;
        for (int i = 0; i < lists_[n].combo->count(); ++i) textForm += lists_[n].combo->itemText(i) + "\r\n";
        LinesToFile(ToProgramText(textForm), folder / ("seznam" + std::to_string(n + 1) + ".txt"));
    }
}

// Backs up, then empties every gate, list, field, block and SMTP setting, and takes every file off
// the attachment list (the files themselves stay where they are). A backup that cannot be written
// ends the reset before anything is emptied.
void TForm1::Vchoznastaven1Click() {
    WriteBackups();
    for (const TBlock& block : blocks_) block.gate->setChecked(false);
    for (PhraseList& list : lists_) {
        if (list.gate != nullptr) list.gate->setChecked(false);
        list.combo->clear();
        list.combo->clearEditText();
        list.selectedIndex = 0;
    }
    sEdit1->clear();
    sEdit3->clear();
    // Emptying a memo is no edit of it: no rebuild follows, so the preview stays empty.
    ReplaceMemoText(*Memo1, {});
    for (const TBlock& block : blocks_) ReplaceMemoText(*block.memo, {});
    attachments_->Files().Clear();
    account_->Reset();
}

}  // namespace quillory
