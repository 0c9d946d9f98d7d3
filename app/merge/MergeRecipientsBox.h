#pragma once

#include <QGroupBox>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillory {

class AddressBookStore;
class TDesktop;

// The recipients of a mail merge as the user chooses them, in any mix: groups of the address book
// (ticked in a list), entries picked in the book, and the rows of a CSV file, whose columns become
// placeholders by their names.
class MergeRecipientsBox : public QGroupBox {
    Q_OBJECT
public:
    MergeRecipientsBox(AddressBookStore& book, TDesktop& desktop, QWidget* parent);

    // The ticked groups (UTF-8), in the list's order.
    std::vector<std::string> Groups() const;
    // The addresses of the entries picked in the book (UTF-8).
    const std::vector<std::string>& Picked() const { return picked_; }
    // The bytes of the CSV file, when one was chosen and could be read.
    const std::shared_ptr<const std::string>& CsvBytes() const { return csvBytes_; }
    // Its columns' names as the header has them (UTF-8); none without a CSV file.
    const std::vector<std::string>& CsvColumns() const { return csvColumns_; }
    QString CsvPath() const;

    // Ticks the group `name` (shown in the list); false when the book has no such group.
    bool TickGroup(const QString& name);
    // Reads the CSV file at `path` (an empty path: no CSV file); a file that cannot be read is
    // told beside it and gives no rows.
    void SetCsvFile(const QString& path);
    // Picks the entries of `addresses` (UTF-8), in place of the earlier pick.
    void SetPicked(std::vector<std::string> addresses);

    // "Vybrat z adresáře…": the book's entries to pick from.
    void PickEntries();
    // "Vybrat…" beside the CSV file.
    void ChooseCsvFile();

signals:
    // What the recipients are made of changed, or the book they are read from.
    void changed();

private:
    // Fills the list of groups anew from the book, keeping the ticks.
    void ShowGroups();
    void ShowPicked();

    AddressBookStore& book_;
    TDesktop& desktop_;
    QListWidget* groups_ = nullptr;
    QLabel* pickedLabel_ = nullptr;
    QPushButton* pick_ = nullptr;
    QPushButton* unpick_ = nullptr;
    QLineEdit* csvPath_ = nullptr;
    QPushButton* chooseCsv_ = nullptr;
    QLabel* csvState_ = nullptr;
    std::vector<std::string> picked_;
    std::shared_ptr<const std::string> csvBytes_;
    std::vector<std::string> csvColumns_;
};

}  // namespace quillory
