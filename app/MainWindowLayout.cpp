// Building the main window's widgets: every one with its name, caption, hint and place.

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/AppInfo.h"
#include "app/MainWindow.h"
#include "app/MemoText.h"
#include "app/PhraseComboBox.h"
#include "app/help/MainWindowHelp.h"
#include "app/help/WebLabel.h"

namespace quillory {
namespace {

// The window's client area below the menu bar.
constexpr QSize kClientSize(1009, 706);

QFrame* MakePanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(geometry);
    return panel;
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, const QString& accessibleName,
                         const QRect& geometry) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setAccessibleName(accessibleName);
    memo->setGeometry(geometry);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
    return memo;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                        const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    if (!hint.isEmpty()) {
        button->setToolTip(hint);
        button->setAccessibleDescription(hint);
    }
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->adjustSize();
    label->move(at);
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

QComboBox* MakeComboBox(QWidget* parent, const char* name, const QString& accessibleName,
                        const QRect& geometry, QCompleter& standIn) {
    auto* combo = new PhraseComboBox(standIn, parent);
    combo->setObjectName(name);
    combo->setAccessibleName(accessibleName);
    // The list keeps its entries as added; Enter in the field adds nothing by itself.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(16);
    QFont font = combo->font();
    font.setPixelSize(13);
    combo->setFont(font);
    combo->setGeometry(geometry);
    combo->setCurrentIndex(-1);
    return combo;
}

}  // namespace

TForm1::TPanels TForm1::CreatePanels() {
    auto* client = new QWidget(this);
    client->setObjectName("clientArea");
    client->setFixedSize(kClientSize);
    setCentralWidget(client);
    return {MakePanel(client, "sPanel1", {0, 0, 509, 677}), MakePanel(client, "sPanel2", {512, 0, 497, 189}),
            MakePanel(client, "sPanel3", {512, 192, 497, 485})};
}

void TForm1::CreateBlocks(QWidget& panel) {
    struct TPlace {
        QPoint gate, memo, clear;
    };
    static constexpr TPlace kPlaces[8] = {
        {{8, 72}, {8, 92}, {172, 68}},     {{260, 72}, {260, 92}, {424, 68}},
        {{8, 196}, {12, 216}, {172, 192}}, {{260, 196}, {260, 216}, {424, 192}},
        {{8, 320}, {8, 340}, {172, 316}},  {{260, 320}, {260, 340}, {424, 316}},
        {{8, 444}, {8, 464}, {172, 440}},  {{260, 444}, {260, 464}, {424, 440}},
    };
    for (int n = 0; n < 8; ++n) {
        const TPlace& place = kPlaces[n];
        const QString caption = QStringLiteral("Text blok %1").arg(n + 1);
        TBlock& block = blocks_[n];
        block.gate = MakeCheckBox(&panel, qPrintable(QStringLiteral("sCheckBox%1").arg(n + 1)), caption,
                                  {place.gate, QSize(92, 19)});
        QFont bold = block.gate->font();
        bold.setBold(true);
        block.gate->setFont(bold);
        block.memo = MakeMemo(&panel, qPrintable(QStringLiteral("Memo%1").arg(n + 2)), caption,
                              {place.memo, QSize(n == 2 ? 237 : 241, 89)});
        block.text = std::make_unique<TCachedMemoText>(*block.memo);
        block.clear = MakeButton(&panel, qPrintable(QStringLiteral("sBitBtn%1").arg(n + 11)), "Vymazat",
                                 "Vymazat obsah bloku", {place.clear, QSize(73, 21)});
        block.clear->setAccessibleName(QStringLiteral("Vymazat text blok %1").arg(n + 1));
    }
}

void TForm1::CreatePhraseLists(QWidget& composing, QWidget& addressing) {
    struct TListPlace {
        QWidget* parent;
        const char *combo, *add, *remove;
        QString name;
        QRect comboGeometry;
        QPoint add_at, remove_at;
        bool rebuilds;
    };
    const TListPlace places[5] = {
        {&composing,
         "sComboBox1",
         "sBitBtn9",
         "sBitBtn10",
         "Oslovení",
         {8, 32, 493, 22},
         {356, 8},
         {428, 8},
         true},
        {&composing,
         "sComboBox2",
         "sBitBtn19",
         "sBitBtn20",
         "Rozloučení / Pozdrav",
         {8, 592, 493, 22},
         {356, 568},
         {428, 568},
         true},
        {&composing,
         "sComboBox3",
         "sBitBtn21",
         "sBitBtn22",
         "Podpis / Kontakt",
         {8, 648, 493, 22},
         {356, 624},
         {428, 624},
         true},
        {&addressing,
         "sComboBox4",
         "sBitBtn8",
         "sBitBtn2",
         "Předmět",
         {8, 160, 481, 22},
         {344, 136},
         {416, 136},
         false},
        {&addressing,
         "sComboBox5",
         "sBitBtn3",
         "sBitBtn7",
         "Od",
         {256, 52, 233, 22},
         {344, 28},
         {416, 28},
         false},
    };
    QCompleter standIn;  // lets the five boxes start without completers of their own (see PhraseComboBox)
    for (int n = 0; n < 5; ++n) {
        const TListPlace& place = places[n];
        PhraseList& list = lists_[n];
        list.combo = MakeComboBox(place.parent, place.combo, place.name, place.comboGeometry, standIn);
        list.add = MakeButton(place.parent, place.add, "Přidat", "Přidat položku do seznamu",
                              {place.add_at, QSize(69, 21)});
        list.remove = MakeButton(place.parent, place.remove, "Smazat", "Smazat položku ze seznamu",
                                 {place.remove_at, QSize(69, 21)});
        list.add->setAccessibleName("Přidat: " + place.name);
        list.remove->setAccessibleName("Smazat: " + place.name);
        list.rebuildsPreview = place.rebuilds;
    }
    lists_[0].gate = MakeCheckBox(&composing, "sCheckBox9", "Oslovení", {8, 12, 78, 19});
    lists_[1].gate = MakeCheckBox(&composing, "sCheckBox10", "Rozloučení / Pozdrav", {8, 572, 152, 19});
    lists_[2].gate = MakeCheckBox(&composing, "sCheckBox11", "Podpis / Kontakt", {8, 628, 124, 19});
    MakeLabel(&composing, "sLabel1", "(středníkem rozdělíte na řádky)", {136, 630});
    MakeLabel(&addressing, "sLabel4", "Předmět", {12, 144});
    MakeLabel(&addressing, "sLabel6", "Od", {256, 36});
    MakeLabel(&addressing, "sLabel8", "(email)", {280, 36});
}

void TForm1::CreateAddressArea(QWidget& panel) {
    OnClick(MakeButton(&panel, "sBitBtn1", "Nastavní odchozí pošty", {}, {8, 8, 145, 21}),
            &TForm1::sBitBtn1Click);
    MakeLabel(&panel, "sLabel2", "Odeslat komu", {12, 36});
    MakeLabel(&panel, "sLabel7", "(email)", {96, 36});
    sEdit1 = new QLineEdit(&panel);
    sEdit1->setObjectName("sEdit1");
    sEdit1->setAccessibleName("Odeslat komu");
    sEdit1->setGeometry(8, 52, 237, 21);
    QPushButton* clearCopies =
        MakeButton(&panel, "sBitBtn24", "Vymazat", "Vymazat všechny emaily", {412, 84, 73, 21});
    clearCopies->setAccessibleName("Vymazat kopie");
    OnClick(clearCopies, &TForm1::sBitBtn24Click);
    sCheckBox12 = MakeCheckBox(&panel, "sCheckBox12", "Kopie", {12, 88, 60, 19});
    MakeLabel(&panel, "sLabel5", "(jednotlivé emaily oddělujte středníkem)", {76, 90});
    sEdit3 = new QLineEdit(&panel);
    sEdit3->setObjectName("sEdit3");
    sEdit3->setAccessibleName("Kopie");
    sEdit3->setGeometry(8, 108, 481, 21);
}

void TForm1::CreatePreview(QWidget& panel) {
    Memo1 = MakeMemo(&panel, "Memo1", "Náhled", {8, 8, 481, 469});
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    previewWriter_ = std::make_unique<TMemoWriter>(*Memo1);
}

void TForm1::CreateBottomRow() {
    QWidget* client = centralWidget();
    OnClick(MakeButton(client, "sBitBtn25", "Vše / Nic", "Zaškrtnout/Odškrtnout vše", {12, 676, 89, 25}),
            &TForm1::sBitBtn25Click);
    auto* fullVersion = new TsWebLabel(desktop_, "Chci verzi Full", kFullVersionAddress, client);
    fullVersion->setObjectName("sWebLabel1");
    fullVersion->setGeometry(400, 684, 97, 16);
    OnClick(MakeButton(client, "sBitBtn23", "Obnovit", "Znovu generovat email", {524, 676, 89, 25}),
            &TForm1::GenerateEmail);
    OnClick(MakeButton(client, "sBitBtn4", "Kopírovat", "Zkopírovat obsah emailu do schránky",
                       {708, 676, 97, 25}),
            &TForm1::sBitBtn4Click);
    OnClick(
        MakeButton(client, "sBitBtn5", "Uložit text", "Uložit obsah emailu do souboru", {804, 676, 97, 25}),
        &TForm1::FileSaveAs1Execute);
    OnClick(MakeButton(client, "sBitBtn6", "Odeslat", "Odeslat email", {900, 676, 97, 25}),
            &TForm1::sBitBtn6Click);
}

// The help panel and its close button, hidden until the help opens.
void TForm1::CreateHelpPanel() {
    QWidget* client = centralWidget();
    QFrame* panel = MakePanel(client, "sPanel4", {4, 4, 1001, 669});
    panel->hide();
    QPushButton* close = MakeButton(client, "sBitBtn26", "Zavřít  ", {}, {8, 676, 997, 25});
    close->hide();
    OnClick(close, &TForm1::sBitBtn26Click);
    help_ = std::make_unique<MainWindowHelp>(*this, desktop_, *panel, *close, folders_);
}

}  // namespace quillory
