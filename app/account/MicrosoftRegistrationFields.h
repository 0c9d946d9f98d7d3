#pragma once

#include <QWidget>

#include "app/account/MicrosoftSettings.h"

class QLabel;
class QLineEdit;

namespace quillory {

// The application's registration typed in, for a build that carries none: "ID aplikace
// (Microsoft Entra)", the optional directory (an ID or a domain), and a line saying where an
// administrator finds both. Part of the Microsoft sign-in panel.
class MicrosoftRegistrationFields : public QWidget {
    Q_OBJECT
public:
    explicit MicrosoftRegistrationFields(QWidget* parent);

    void Load(const MicrosoftRegistration& registration);
    MicrosoftRegistration Registration() const;

    QLineEdit* clientId = nullptr;
    QLineEdit* tenant = nullptr;
    QLabel* note = nullptr;

signals:
    // The user has finished editing a field.
    void edited();
};

}  // namespace quillory
