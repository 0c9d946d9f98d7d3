#include "app/account/MainWindowAccount.h"

#include <QCheckBox>
#include <QLineEdit>

#include "app/account/MicrosoftTokens.h"
#include "app/account/OAuthHttp.h"
#include "app/account/PasswordAtRest.h"
#include "app/account/ProviderPresets.h"
#include "app/account/ProviderSection.h"
#include "app/account/SentCopySection.h"
#include "app/account/SmtpSettingsDialog.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/desktop/Desktop.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

MainWindowAccount::MainWindowAccount(QWidget& window, TDesktop& desktop, TFormStorage& storage,
                                     const TProgramFolders& folders)
    : window_(window), storage_(storage), folders_(folders) {
    atRest_ = {std::make_unique<TPasswordAtRest>(storage, desktop.Keyring(), kSmtpPasswordName),
               std::make_unique<TPasswordAtRest>(storage, desktop.Keyring(), kImapPasswordName),
               std::make_unique<TPasswordAtRest>(storage, desktop.Keyring(), kOAuthRefreshTokenName)};
}

MainWindowAccount::~MainWindowAccount() = default;

TForm2& MainWindowAccount::Form2() {
    if (!form2_) {
        const auto presetsFile = folders_.FindShipped("providers.ini");
        form2_ = std::make_unique<TForm2>(
            storage_, *atRest_[0], window_, Microsoft(),
            presetsFile ? ReadProviderPresets(*presetsFile) : QVector<ProviderPreset>());
    }
    return *form2_;
}

MicrosoftTokens& MainWindowAccount::Microsoft() {
    if (microsoft_ == nullptr)
        microsoft_ = new MicrosoftTokens(storage_, *new NetworkOAuthHttp(&window_), &window_);
    return *microsoft_;
}

void MainWindowAccount::EditSettings() {
    if (Form2().exec() == QDialog::Accepted) Form2().StoreFields();
}

void MainWindowAccount::Reset() {
    WriteSmtpAccount(storage_, TSmtpAccount{});
    storage_.WriteStoredValue(kImapPasswordName, std::string());
    Microsoft().SignOut();
    // A dialog not opened yet has nothing to empty: it reads the values when it opens.
    if (form2_) {
        form2_->sEdit1->clear();
        form2_->sEdit2->clear();
        form2_->sEdit3->clear();
        form2_->sCheckBox1->setChecked(false);
        form2_->sentCopy->Clear();
        form2_->provider->Clear();
    }
}

}  // namespace quillory
