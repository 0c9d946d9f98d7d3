#pragma once

class QCheckBox;
class QComboBox;
class QPushButton;

namespace quillory {

// One phrase list of the main window: an editable list with its "Přidat" and "Smazat" buttons,
// for lists 1 to 3 the gate that lets its text into the preview, and the selected index that the
// delete button uses, as the user's own picking and typing left it.
struct PhraseList {
    QCheckBox* gate = nullptr;  // lists 1 to 3 only
    QComboBox* combo = nullptr;
    QPushButton* add = nullptr;
    QPushButton* remove = nullptr;
    bool rebuildsPreview = false;  // its text is part of the preview
    int selectedIndex = 0;

    // "Přidat": the shown text becomes an entry; adding the first entry changes neither the shown
    // text nor the selection.
    void Add();
    // After the user picked or typed: an entry counts as selected only when the text is exactly it.
    void Change();
    // "Smazat": removes the remembered entry (none when the index is out of range) and empties the
    // field.
    void Delete();
};

}  // namespace quillory
