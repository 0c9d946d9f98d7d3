#include "app/PhraseList.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace quillory {

void PhraseList::Add() {
    const QString text = combo->currentText();
    const QSignalBlocker blocker(combo);
    combo->addItem(text);
    combo->setEditText(text);
}

void PhraseList::Change() {
    const QString text = combo->currentText();
    int index = combo->currentIndex();
    if (index < 0 || combo->itemText(index) != text)
        index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    selectedIndex = index;
}

void PhraseList::Delete() {
    const QSignalBlocker blocker(combo);
    if (selectedIndex >= 0 && selectedIndex < combo->count()) combo->removeItem(selectedIndex);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
}

}  // namespace quillory
