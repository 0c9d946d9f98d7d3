#include "app/account/MicrosoftRegistrationFields.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/account/DialogLook.h"

namespace quillory {

MicrosoftRegistrationFields::MicrosoftRegistrationFields(QWidget* parent) : QWidget(parent) {
    setObjectName("MicrosoftRegistration");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    clientId = new QLineEdit(this);
    clientId->setObjectName("MicrosoftClientId");
    clientId->setPlaceholderText("00000000-0000-0000-0000-000000000000");
    ColourDialogField(*clientId);
    tenant = new QLineEdit(this);
    tenant->setObjectName("MicrosoftTenant");
    tenant->setPlaceholderText("nepovinné: ID adresáře nebo doména, např. firma.cz");
    ColourDialogField(*tenant);
    note = new QLabel(
        "Obojí najde správce v centru pro správu Microsoft Entra, v Registrace aplikací: „ID aplikace "
        "(klienta)“ a „ID adresáře (tenanta)“. Postup registrace popisuje příručka.",
        this);
    note->setObjectName("MicrosoftRegistrationNote");
    note->setWordWrap(true);

    grid->addWidget(MakeDialogCaption("ID aplikace (Microsoft Entra)", this), 0, 0);
    grid->addWidget(clientId, 0, 1);
    grid->addWidget(MakeDialogCaption("Adresář (tenant)", this), 1, 0);
    grid->addWidget(tenant, 1, 1);
    grid->addWidget(note, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(clientId, &QLineEdit::editingFinished, this, &MicrosoftRegistrationFields::edited);
    connect(tenant, &QLineEdit::editingFinished, this, &MicrosoftRegistrationFields::edited);
}

void MicrosoftRegistrationFields::Load(const MicrosoftRegistration& registration) {
    clientId->setText(registration.clientId);
    tenant->setText(registration.tenant);
}

MicrosoftRegistration MicrosoftRegistrationFields::Registration() const {
    return {clientId->text().trimmed(), tenant->text().trimmed()};
}

}  // namespace quillory
