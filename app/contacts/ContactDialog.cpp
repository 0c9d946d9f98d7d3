#include "app/contacts/ContactDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

#include "contacts/ContactGroups.h"
#include "contacts/Salutation.h"

namespace quillory {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }
std::string ToUtf8(const QString& text) { return text.trimmed().toStdString(); }

// The combo boxes' first entry stands for "not chosen": the gender guessed from the names, the
// greeting computed. The other entries are the values in this order.
constexpr Gender kGenders[] = {Gender::Male, Gender::Female, Gender::Unknown};
constexpr GreetingStyle kStyles[] = {GreetingStyle::Title, GreetingStyle::Surname, GreetingStyle::FirstName,
                                     GreetingStyle::Custom};

QString GenderName(Gender gender) {
    switch (gender) {
    case Gender::Male:
        return QStringLiteral("muž");
    case Gender::Female:
        return QStringLiteral("žena");
    case Gender::Unknown:
        break;
    }
    return QStringLiteral("neurčeno");
}

QLineEdit* MakeField(QWidget* parent, const char* name, const std::string& text) {
    auto* field = new QLineEdit(FromUtf8(text), parent);
    field->setObjectName(name);
    return field;
}

}  // namespace

ContactDialog::ContactDialog(const Contact& contact, const std::vector<std::string>& groups,
                             std::function<bool(const Contact&)> accept, QWidget* parent)
    : QDialog(parent), original_(contact), accept_(std::move(accept)) {
    setObjectName("ContactDialog");
    setWindowTitle(contact.email.empty() ? QStringLiteral("Nový kontakt")
                                         : QStringLiteral("Upravit kontakt"));
    email_ = MakeField(this, "contactEmail", contact.email);
    title_ = MakeField(this, "contactTitle", contact.title);
    firstName_ = MakeField(this, "contactFirstName", contact.firstName);
    surname_ = MakeField(this, "contactSurname", contact.surname);
    titleAfter_ = MakeField(this, "contactTitleAfter", contact.titleAfter);
    company_ = MakeField(this, "contactCompany", contact.company);
    title_->setPlaceholderText(QStringLiteral("např. Ing., MUDr., doc. Mgr."));
    titleAfter_->setPlaceholderText(QStringLiteral("např. Ph.D., CSc."));

    gender_ = new QComboBox(this);
    gender_->setObjectName("contactGender");
    gender_->addItem(QString());  // "podle jména (…)", filled in by ShowGreeting
    for (const Gender gender : kGenders) gender_->addItem(GenderName(gender));
    if (contact.gender)
        gender_->setCurrentIndex(
            static_cast<int>(std::find(std::begin(kGenders), std::end(kGenders), *contact.gender) -
                             std::begin(kGenders)) +
            1);

    greeting_ = new QComboBox(this);
    greeting_->setObjectName("contactGreeting");
    greeting_->addItems({QStringLiteral("automaticky (titulem, jinak příjmením)"), QStringLiteral("titulem"),
                         QStringLiteral("příjmením"), QStringLiteral("křestním jménem"),
                         QStringLiteral("vlastním textem")});
    if (contact.greetingStyle)
        greeting_->setCurrentIndex(
            static_cast<int>(std::find(std::begin(kStyles), std::end(kStyles), *contact.greetingStyle) -
                             std::begin(kStyles)) +
            1);
    greetingText_ = MakeField(this, "contactGreetingText", contact.greetingText);
    greetingShown_ = new QLabel(this);
    greetingShown_->setObjectName("contactGreetingShown");

    groups_ = new QListWidget(this);
    groups_->setObjectName("contactGroups");
    groups_->setMaximumHeight(110);
    for (const std::string& group : contact.groups) AddGroupItem(FromUtf8(group), true);
    for (const std::string& group : groups)
        if (!InGroup(contact, group)) AddGroupItem(FromUtf8(group), false);
    newGroup_ = new QLineEdit(this);
    newGroup_->setObjectName("contactNewGroup");
    newGroup_->setPlaceholderText(QStringLiteral("nová skupina"));
    auto* addGroup = new QPushButton(QStringLiteral("Přidat"), this);
    addGroup->setObjectName("contactAddGroup");
    addGroup->setAutoDefault(false);
    auto* newGroupRow = new QHBoxLayout;
    newGroupRow->addWidget(newGroup_);
    newGroupRow->addWidget(addGroup);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("E-mail:"), email_);
    form->addRow(QStringLiteral("Titul před jménem:"), title_);
    form->addRow(QStringLiteral("Jméno:"), firstName_);
    form->addRow(QStringLiteral("Příjmení:"), surname_);
    form->addRow(QStringLiteral("Titul za jménem:"), titleAfter_);
    form->addRow(QStringLiteral("Firma:"), company_);
    form->addRow(QStringLiteral("Pohlaví:"), gender_);
    form->addRow(QStringLiteral("Oslovení:"), greeting_);
    form->addRow(QStringLiteral("Vlastní oslovení:"), greetingText_);
    form->addRow(QStringLiteral("{oslovení} dá:"), greetingShown_);
    form->addRow(QStringLiteral("Skupiny:"), groups_);
    form->addRow(QString(), newGroupRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Zrušit"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &ContactDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ContactDialog::reject);
    connect(addGroup, &QPushButton::clicked, this, &ContactDialog::AddGroupClick);
    for (QLineEdit* field : {title_, firstName_, surname_, titleAfter_, greetingText_})
        connect(field, &QLineEdit::textChanged, this, &ContactDialog::ShowGreeting);
    for (QComboBox* box : {gender_, greeting_})
        connect(box, &QComboBox::currentIndexChanged, this, &ContactDialog::ShowGreeting);
    ShowGreeting();
}

Contact ContactDialog::Entry() const {
    Contact contact = original_;
    contact.email = ToUtf8(email_->text());
    contact.title = ToUtf8(title_->text());
    contact.firstName = ToUtf8(firstName_->text());
    contact.surname = ToUtf8(surname_->text());
    contact.titleAfter = ToUtf8(titleAfter_->text());
    contact.company = ToUtf8(company_->text());
    contact.gender.reset();
    if (gender_->currentIndex() > 0) contact.gender = kGenders[gender_->currentIndex() - 1];
    contact.greetingStyle.reset();
    if (greeting_->currentIndex() > 0) contact.greetingStyle = kStyles[greeting_->currentIndex() - 1];
    contact.greetingText = ToUtf8(greetingText_->text());
    contact.groups.clear();
    for (int row = 0; row < groups_->count(); ++row)
        if (groups_->item(row)->checkState() == Qt::Checked)
            AddToGroup(contact, ToUtf8(groups_->item(row)->text()));
    AddToGroup(contact, ToUtf8(newGroup_->text()));
    return contact;
}

void ContactDialog::AddGroupItem(const QString& name, bool checked) {
    auto* item = new QListWidgetItem(name, groups_);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void ContactDialog::AddGroupClick() {
    const QString name = newGroup_->text().trimmed();
    if (name.isEmpty()) return;
    const QList<QListWidgetItem*> same = groups_->findItems(name, Qt::MatchExactly);
    if (same.isEmpty()) AddGroupItem(name, true);
    else same.first()->setCheckState(Qt::Checked);
    newGroup_->clear();
}

void ContactDialog::ShowGreeting() {
    const Contact contact = Entry();
    gender_->setItemText(
        0,
        QStringLiteral("podle jména (%1)").arg(GenderName(GuessGender(contact.firstName, contact.surname))));
    greetingText_->setEnabled(contact.greetingStyle == GreetingStyle::Custom);
    greetingShown_->setText(FromUtf8(Greeting(contact)));
}

void ContactDialog::accept() {
    if (accept_(Entry())) QDialog::accept();
}

}  // namespace quillory
