// The main window's persistence: the form storage with its stored properties and SMTP values, the
// settings dialog's handler and the reset to defaults with its backups.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/ErrorHandler.h"
#include "app/MainWindow.h"
#include "app/MemoText.h"
#include "app/SmtpSettingsDialog.h"
#include "app/Win1250Text.h"
#include "storage/TextFile.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

namespace {

// The stored properties in the order they are written and restored: a list's entries are in place
// before its shown text.
const QStringList kStoredProps = {
    "sCheckBox1.Checked", "sCheckBox10.Checked", "sCheckBox11.Checked", "sCheckBox2.Checked",
    "sCheckBox3.Checked", "sCheckBox4.Checked",  "sCheckBox5.Checked",  "sCheckBox6.Checked",
    "sCheckBox7.Checked", "sCheckBox8.Checked",  "sCheckBox9.Checked",  "sEdit1.Text",
    "sEdit3.Text",        "sComboBox1.Items",    "sComboBox2.Items",    "sComboBox3.Items",
    "sComboBox4.Items",   "sComboBox5.Items",    "sComboBox1.Text",     "sComboBox2.Text",
    "sComboBox3.Text",    "sComboBox4.Text",     "sComboBox5.Text",
};

}  // namespace

void TForm1::CreateFormStorage() {
    FormStorage1 = new TFormStorage(*this, [this] { ReportCurrentException(desktop_, this); });
    FormStorage1->setObjectName("FormStorage1");
    FormStorage1->SetStoredProps(kStoredProps);
    TStoredValues& values = FormStorage1->StoredValues();
    values.Add("smtpserver", std::string(), "kvetinacek");
    values.Add("smtplogin", std::string(), "uzivatele");
    values.Add("smtpheslo", std::string(), "zahradnik");
    values.Add("smtpovereni", false, "pripojovani");
}

void TForm1::sBitBtn1Click() {
    if (Form2().exec() == QDialog::Accepted) Form2().StoreFields();
}

// One generation of backups in "Backups" beside the executable, which must exist: the blocks'
// texts byte for byte, then every list's entries each followed by CR LF.
void TForm1::WriteBackups() const {
    const std::filesystem::path folder = exeDir_ / "Backups";
    for (int n = 0; n < 8; ++n) {
        LinesToFile(MemoText(*blocks_[n].memo), folder / ("blok" + std::to_string(n + 1) + ".txt"));
    }
    for (int n = 0; n < 5; ++n) {
        std::string textForm;
        for (int i = 0; i < lists_[n].combo->count(); ++i)
            textForm += ToWin1250(lists_[n].combo->itemText(i)) + "\r\n";
        LinesToFile(textForm, folder / ("seznam" + std::to_string(n + 1) + ".txt"));
    }
}

// Backs up, then empties every gate, list, field, block and SMTP setting. A backup that cannot be
// written ends the reset before anything is emptied.
void TForm1::Vchoznastaven1Click() {
    WriteBackups();
    for (const TBlock& block : blocks_) block.gate->setChecked(false);
    for (QCheckBox* gate : {sCheckBox9, sCheckBox10, sCheckBox11}) gate->setChecked(false);
    for (const TPhraseList& list : lists_) {
        list.combo->clear();
        list.combo->clearEditText();
    }
    sEdit1->clear();
    sEdit3->clear();
    // Emptying a memo is no edit of it: no rebuild follows, so the preview stays empty.
    ReplaceMemoText(*Memo1, {});
    for (const TBlock& block : blocks_) ReplaceMemoText(*block.memo, {});
    FormStorage1->WriteStoredValue("smtpserver", std::string());
    FormStorage1->WriteStoredValue("smtplogin", std::string());
    FormStorage1->WriteStoredValue("smtpheslo", std::string());
    FormStorage1->WriteStoredValue("smtpovereni", false);
    selectedIndex_.fill(0);
    // A dialog not opened yet has nothing to empty: it reads the values when it opens.
    if (form2_) {
        form2_->sEdit1->clear();
        form2_->sEdit2->clear();
        form2_->sEdit3->clear();
        form2_->sCheckBox1->setChecked(false);
    }
}

}  // namespace quillory
