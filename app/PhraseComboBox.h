#pragma once

#include <QComboBox>

class QCompleter;

namespace quillory {

// A phrase list's box: an editable list whose field completes a typed beginning in place from the
// list's entries, ignoring case. Most starts open no drop-down list and complete no phrase, so the
// box makes both only when first needed: the completer at the box's first focus, the drop-down list
// when something first asks for it (opening it, or anything that asks for the view). Until its
// first focus the box has no completer; it completes nothing before then anyway, as a field takes
// up its completer's suggestions only while it has the focus.
class PhraseComboBox final : public QComboBox {
public:
    // `standIn` is a completer with no entries that the box holds only while its constructor runs
    // (see there); one serves any number of boxes.
    PhraseComboBox(QCompleter& standIn, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void MakeCompleter();
    bool HasDropDownList() const;

    bool completerMade_ = false;
    // Whether the box has worked out (and so keeps) a size hint that a font change must renew.
    mutable bool sizeHintAsked_ = false;
};

}  // namespace quillory
