#pragma once

#include <QGroupBox>
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillory {

class TDesktop;

// The file each recipient gets on top of the shared attachments, as the user chooses it: none,
// from a folder by a name pattern with placeholders ("{firma}.pdf", "faktura-{číslo faktury}.pdf"),
// or from a column of the CSV file that holds the file's path.
class MergeFilesBox : public QGroupBox {
    Q_OBJECT
public:
    enum class Source { None, Folder, Column };

    MergeFilesBox(TDesktop& desktop, QWidget* parent);

    Source Chosen() const;
    QString Folder() const;
    QString Pattern() const;
    // The CSV column chosen (its name); empty when none.
    QString Column() const;

    void SetFolderPattern(const QString& folder, const QString& pattern);
    void SetColumnSource(const QString& column);
    void SetNone();
    // The CSV file's columns to choose from; the choice is kept when the new ones have it.
    void SetColumns(const QStringList& columns);

    // "Vybrat…" beside the folder.
    void ChooseFolder();

signals:
    void changed();

private:
    void Enable();

    TDesktop& desktop_;
    QRadioButton* none_ = nullptr;
    QRadioButton* byFolder_ = nullptr;
    QRadioButton* byColumn_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QPushButton* chooseFolder_ = nullptr;
    QLineEdit* pattern_ = nullptr;
    QComboBox* column_ = nullptr;
};

}  // namespace quillory
