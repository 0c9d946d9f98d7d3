#pragma once

#include <QAbstractTableModel>

#include <cstddef>
#include <string>
#include <vector>

#include "merge/PlanCheck.h"

namespace quillory {

// The check table of a mail merge: one row per recipient with the address, the greeting as it will
// read, the subject, the recipient's own file and the problems found, and a tick that says whether
// the row goes out. A row starts ticked; a row left unticked is left out of the run. The rows are
// kept as the check made them and turned into Qt's strings only for the rows on the screen, so ten
// thousand rows open at once. The file column shows the file's name, its tool tip the whole path.
class MergeCheckModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Number, Address, Greeting, Subject, File, Problems, ColumnCount };

    explicit MergeCheckModel(QObject* parent = nullptr);

    // Replaces the rows; every row is ticked, except those whose address (as the book compares
    // addresses) `unticked` holds.
    void SetRows(std::vector<CheckRow> rows, const std::vector<std::string>& unticked = {});
    const std::vector<CheckRow>& Rows() const { return rows_; }

    bool Ticked(std::size_t row) const { return ticked_.at(row) != 0; }
    void SetTicked(std::size_t row, bool ticked);
    // The addresses of the unticked rows, as the book compares addresses.
    std::vector<std::string> UntickedKeys() const;
    std::size_t TickedCount() const { return tickedCount_; }
    // Ticked rows with a problem that blocks the send: while there is one, the run cannot start.
    std::size_t TickedBlocked() const { return tickedBlocked_; }
    // Problems (of a row, or of the shared files) in words, "; " between them.
    static QString ProblemsText(const std::vector<RowProblem>& problems);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A row was ticked or unticked.
    void ticksChanged();

private:
    std::vector<CheckRow> rows_;
    std::vector<char> ticked_;
    std::vector<char> blockedRows_;
    std::size_t tickedCount_ = 0;
    std::size_t tickedBlocked_ = 0;
};

}  // namespace quillory
