#include "app/merge/MergeCheckModel.h"

#include <QBrush>
#include <QColor>

#include <unordered_set>

#include "contacts/AddressBook.h"

namespace quillory {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MergeCheckModel::MergeCheckModel(QObject* parent) : QAbstractTableModel(parent) {}

QString MergeCheckModel::ProblemsText(const std::vector<RowProblem>& problems) {
    std::string text;
    for (const RowProblem& problem : problems) {
        if (!text.empty()) text += "; ";
        text += ProblemText(problem);
    }
    return FromUtf8(text);
}

void MergeCheckModel::SetRows(std::vector<CheckRow> rows, const std::vector<std::string>& unticked) {
    beginResetModel();
    rows_ = std::move(rows);
    const std::unordered_set<std::string> left(unticked.begin(), unticked.end());
    ticked_.assign(rows_.size(), 1);
    blockedRows_.assign(rows_.size(), 0);
    tickedCount_ = tickedBlocked_ = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!left.empty() && left.contains(AddressKey(rows_[i].address))) ticked_[i] = 0;
        blockedRows_[i] = rows_[i].Blocked();
        tickedCount_ += ticked_[i];
        tickedBlocked_ += ticked_[i] && blockedRows_[i];
    }
    endResetModel();
    emit ticksChanged();
}

void MergeCheckModel::SetTicked(std::size_t row, bool ticked) {
    if (Ticked(row) == ticked) return;
    ticked_[row] = ticked;
    const bool blocked = blockedRows_[row] != 0;
    if (ticked) {
        ++tickedCount_;
        tickedBlocked_ += blocked;
    } else {
        --tickedCount_;
        tickedBlocked_ -= blocked;
    }
    const int at = static_cast<int>(row);
    emit dataChanged(index(at, 0), index(at, ColumnCount - 1));
    emit ticksChanged();
}

std::vector<std::string> MergeCheckModel::UntickedKeys() const {
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (!ticked_[i]) keys.push_back(AddressKey(rows_[i].address));
    return keys;
}

int MergeCheckModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MergeCheckModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MergeCheckModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto at = static_cast<std::size_t>(index.row());
    const CheckRow& row = rows_.at(at);
    if (role == Qt::CheckStateRole && index.column() == Number)
        return ticked_[at] ? Qt::Checked : Qt::Unchecked;
    // A row whose problem keeps the send from starting is marked red while it would go out; an
    // unticked row is greyed.
    if (role == Qt::ForegroundRole) {
        if (!ticked_[at]) return QBrush(QColor(0x80, 0x80, 0x80));
        if (blockedRows_[at]) return QBrush(QColor(0xa0, 0x00, 0x00));
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
    case Number:
        return role == Qt::DisplayRole ? QVariant(index.row() + 1) : QVariant();
    case Address:
        return FromUtf8(row.address);
    case Greeting:
        return FromUtf8(row.greeting);
    case Subject:
        return FromUtf8(row.subject);
    case File:
        // The file's name; its whole path in the tool tip.
        return role == Qt::ToolTipRole ? FromUtf8(row.file) : FromUtf8(row.file).section('/', -1);
    case Problems:
        return ProblemsText(row.problems);
    default:
        return {};
    }
}

bool MergeCheckModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != Number || role != Qt::CheckStateRole) return false;
    SetTicked(static_cast<std::size_t>(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags MergeCheckModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == Number) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant MergeCheckModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case Number:
        return QStringLiteral("Odeslat");
    case Address:
        return QStringLiteral("Adresa");
    case Greeting:
        return QStringLiteral("Oslovení");
    case Subject:
        return QStringLiteral("Předmět");
    case File:
        return QStringLiteral("Soubor");
    case Problems:
        return QStringLiteral("Problémy");
    default:
        return {};
    }
}

}  // namespace quillory
