// The main window's persistence: the form storage with its stored properties, SMTP values and the
// attached files.

#include <QFile>

#include "app/ErrorHandler.h"
#include "app/MainWindow.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/send/AttachedFiles.h"
#include "app/send/MainWindowAttach.h"
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

constexpr const char* kAttachmentSection = "Prilohy";

std::string AttachmentKey(int index) { return "Soubor" + std::to_string(index + 1); }

}  // namespace

void TForm1::CreateFormStorage() {
    FormStorage1 = new TFormStorage(*this, [this] { ReportCurrentException(desktop_, this); });
    FormStorage1->setObjectName("FormStorage1");
    FormStorage1->SetStoredProps(kStoredProps);
    AddSmtpAccountValues(FormStorage1->StoredValues());
    // The attached files' paths, as the file system names them, in a section of their own.
    FormStorage1->OnWriteSections = [this](TCustomIniFile& ini) {
        ini.ClearSection(kAttachmentSection);
        const QStringList paths = attachments_->Files().Paths();
        for (int n = 0; n < paths.size(); ++n)
            ini.WriteValue(kAttachmentSection, AttachmentKey(n), QFile::encodeName(paths[n]).toStdString());
    };
    // Only the first restore of a run: files attached since then stay as they are.
    FormStorage1->OnReadSections = [this, restored = false](const TCustomIniFile& ini) mutable {
        if (restored) return;
        restored = true;
        QStringList paths;
        for (int n = 0;; ++n) {
            const std::string path = ini.ReadValue(kAttachmentSection, AttachmentKey(n), "");
            if (path.empty()) break;
            paths.append(QFile::decodeName(QByteArray::fromStdString(path)));
        }
        attachments_->Files().Restore(paths);
    };
}

}  // namespace quillory
