// The composer window: the preview, the phrase lists, the blocks and the all/none toggle, driven
// through the real window.

#include <QAbstractItemView>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "app/AppInfo.h"
#include "support/ComposerFixture.h"

using namespace quillory;
using namespace quillory::test;

namespace {

const QString kDash(89, '-');
const QString kMiddle = "Tento email byl vytvořen pomocí programu Quillory";
const QString kClosing = QString("Plnou verzi programu můžete získat na adrese ") + kFooterSiteAddress;

}  // namespace

class ComposerTest : public QObject {
    Q_OBJECT

private slots:
    void salutationTwoBlocksFarewellAndSignatureGiveSixteenLines() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Tick("sCheckBox9");
        f.TypeInto(f.Combo(1), "Dobrý den,");
        f.Tick("sCheckBox1");
        f.TypeInto(f.Block(1), "Text A");
        f.Tick("sCheckBox5");
        f.TypeInto(f.Block(5), "Text B");
        QTest::keyClick(f.Block(5), Qt::Key_Return);
        f.TypeInto(f.Block(5), "řádek 2");
        f.Tick("sCheckBox10");
        f.TypeInto(f.Combo(2), "S pozdravem");
        f.Tick("sCheckBox11");
        f.TypeInto(f.Combo(3), "Obchodní oddělení;tel. 123");

        const QStringList expected = {
            "Dobrý den,", "",        "Text A", kDash,         kMiddle, kDash,
            "Text B",     "řádek 2", "",       "S pozdravem", "",      "Obchodní oddělení",
            "tel. 123",   kDash,     kClosing, kDash};
        QCOMPARE(f.PreviewLines(), expected);
        QVERIFY(kClosing.endsWith("/"));
    }

    void allGatesUntickedGiveNineLines() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.TypeInto(f.Combo(1), "Dobrý den,");
        f.TypeInto(f.Block(1), "ignored");
        const QStringList expected = {"", kDash, kMiddle, kDash, "", "", kDash, kClosing, kDash};
        QCOMPARE(f.PreviewLines(), expected);
    }

    void signatureSplitsAtSemicolons_data() {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("no semicolon") << "a b" << QStringList{"a b"};
        QTest::newRow("two pieces, blanks kept") << "a ; b" << QStringList{"a ", " b"};
        QTest::newRow("double semicolon") << "a;;b" << QStringList{"a", "", "b"};
        QTest::newRow("lone semicolon") << ";" << QStringList{"", ""};
        QTest::newRow("trailing semicolon") << "a;" << QStringList{"a", ""};
        QTest::newRow("empty") << "" << QStringList{""};
    }
    void signatureSplitsAtSemicolons() {
        QFETCH(QString, signature);
        QFETCH(QStringList, lines);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Tick("sCheckBox11");
        f.TypeInto(f.Combo(3), signature);
        const QStringList preview = f.PreviewLines();
        // Line 7 onwards (after the farewell's empty line) holds the signature, then the closing footer.
        QCOMPARE(preview.mid(6, lines.size()), lines);
        QCOMPARE(preview.mid(6 + lines.size()), (QStringList{kDash, kClosing, kDash}));
    }

    void blockContributesItsLinesAndEmptyGatesAnEmptyLine() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        f.Tick("sCheckBox9");  // empty salutation: one empty line
        f.Tick("sCheckBox6");
        f.TypeInto(f.Block(6), "x");
        QTest::keyClick(f.Block(6), Qt::Key_Return);  // text ending in a line break: one more empty line
        const QStringList expected = {"", "", kDash, kMiddle, kDash, "x", "", "", "", kDash, kClosing, kDash};
        QCOMPARE(f.PreviewLines(), expected);
    }

    void typingIntoPreviewLastsUntilNextRebuild() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        auto* preview = f.Get<QPlainTextEdit>("Memo1");
        preview->moveCursor(QTextCursor::Start);
        QTest::keyClicks(preview, "hand edit");
        QCOMPARE(f.PreviewLines().first(), QString("hand edit"));
        f.Tick("sCheckBox2");
        QCOMPARE(f.PreviewLines().first(), QString());
    }

    void addAppendsShownTextWithoutChecks() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QComboBox* subjects = f.Combo(4);
        f.Click("sBitBtn8");  // empty text: an empty entry
        f.TypeInto(subjects, "Nabídka");
        f.Click("sBitBtn8");
        f.Click("sBitBtn8");
        QCOMPARE(subjects->count(), 3);
        QCOMPARE(subjects->itemText(0), QString());
        QCOMPARE(subjects->itemText(1), QString("Nabídka"));
        QCOMPARE(subjects->itemText(2), QString("Nabídka"));
        QCOMPARE(subjects->currentText(), QString("Nabídka"));
    }

    void deleteUsesRememberedIndex() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        QComboBox* salutations = f.Combo(1);
        for (const char* entry : {"a", "b", "c"}) salutations->addItem(entry);
        salutations->setEditText("b");
        f.Tick("sCheckBox9");
        QSignalSpy rebuilds(&form, &TForm1::previewRebuilt);

        // Right after start the remembered index is 0: the first entry goes, the shown text empties.
        f.Click("sBitBtn10");
        QCOMPARE(salutations->count(), 2);
        QCOMPARE(salutations->itemText(0), QString("b"));
        QCOMPARE(salutations->currentText(), QString());
        QCOMPARE(f.PreviewLines().first(), QString());
        QCOMPARE(rebuilds.count(), 1);

        // Picking the second entry, then three deletes: the second and the one that moved up go,
        // the third press deletes nothing.
        salutations->addItem("d");  // entries: b, c, d
        QTest::keyClick(salutations->lineEdit(), Qt::Key_Down);
        QTest::keyClick(salutations->lineEdit(), Qt::Key_Down);
        QCOMPARE(form.SelectedIndex(1), 1);
        f.Click("sBitBtn10");
        f.Click("sBitBtn10");
        f.Click("sBitBtn10");
        QCOMPARE(salutations->count(), 1);
        QCOMPARE(salutations->itemText(0), QString("b"));
        QCOMPARE(form.SelectedIndex(1), 1);

        // A typed text that matches no entry: the index is -1 and delete only empties the text.
        f.TypeInto(salutations, "zzz");
        QCOMPARE(form.SelectedIndex(1), -1);
        f.Click("sBitBtn10");
        QCOMPARE(salutations->count(), 1);
        QCOMPARE(salutations->currentText(), QString());
    }

    // A phrase field completes a typed beginning in place from the list's entries, ignoring case,
    // with the completed rest selected; its drop-down list shows the entries in the box's font. The
    // same whether the field was first reached by the keyboard or by a click.
    void phraseFieldCompletesAndListsEntries_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<QString>("addButton");
        QTest::addColumn<bool>("byClick");
        QTest::newRow("salutation, reached by Shift+Tab") << 1 << "sBitBtn9" << false;
        QTest::newRow("sender, reached by a click") << 5 << "sBitBtn3" << true;
    }
    void phraseFieldCompletesAndListsEntries() {
        QFETCH(int, list);
        QFETCH(QString, addButton);
        QFETCH(bool, byClick);
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QComboBox* combo = f.Combo(list);
        const QStringList entries = {"Vážený pane,", "Dobrý den,", "Vážená paní,"};
        combo->addItems(entries);
        combo->setCurrentIndex(-1);

        if (byClick) {
            QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
        } else {
            f.Get<QPushButton>(qPrintable(addButton))->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        }
        QCOMPARE(QApplication::focusWidget(), combo);
        f.Type(combo, "vá");
        QCOMPARE(combo->currentText(), QString("vážený pane,"));
        QCOMPARE(combo->lineEdit()->selectedText(), QString("žený pane,"));
        f.Type(combo, "žená");
        QCOMPARE(combo->currentText(), QString("vážená paní,"));
        QCOMPARE(combo->lineEdit()->selectedText(), QString(" paní,"));

        QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
        QAbstractItemView* view = combo->view();
        QTRY_VERIFY(view->isVisible());
        QCOMPARE(view->font(), combo->font());
        QCOMPARE(view->font().pixelSize(), 13);
        for (int row = 0; row < entries.size(); ++row) {
            const QModelIndex entry = view->model()->index(row, 0);
            QCOMPARE(entry.data().toString(), entries[row]);
            QVERIFY(view->viewport()->rect().contains(view->visualRect(entry)));
        }
        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(!view->isVisible());
    }

    // A phrase box's field and size hint follow its font as a plain editable box's do, before and
    // after something has asked for its size.
    void phraseBoxFollowsFontLikeAPlainBox() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QComboBox* combo = f.Combo(4);
        QComboBox plain(combo->parentWidget());
        plain.setLineEdit(new QLineEdit(&plain));
        plain.setFont(combo->font());
        plain.setGeometry(combo->geometry());
        plain.show();
        for (const int pixels : {20, 9}) {
            for (QComboBox* box : {combo, &plain}) {
                QFont font = box->font();
                font.setPixelSize(pixels);
                box->setFont(font);
            }
            QCOMPARE(combo->lineEdit()->geometry(), plain.lineEdit()->geometry());
            QCOMPARE(combo->sizeHint(), plain.sizeHint());
            QCOMPARE(combo->minimumSizeHint(), plain.minimumSizeHint());
        }
    }

    void subjectAndSenderListsNeverRebuild() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        QSignalSpy rebuilds(&form, &TForm1::previewRebuilt);
        for (int list : {4, 5}) f.Combo(list)->addItem("x");
        f.Click("sBitBtn2");  // remembered index 0: deletes "x"
        f.TypeInto(f.Combo(5), "y");
        f.Click("sBitBtn7");  // "y" matches no entry: only the text goes
        QCOMPARE(f.Combo(4)->count(), 0);
        QCOMPARE(f.Combo(5)->count(), 1);
        QCOMPARE(f.Combo(5)->currentText(), QString());
        QCOMPARE(rebuilds.count(), 0);
    }

    void allNoneToggleFollowsItsFlag() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        QSignalSpy rebuilds(&form, &TForm1::previewRebuilt);
        const char* gates[] = {"sCheckBox1", "sCheckBox2",  "sCheckBox3", "sCheckBox4",
                               "sCheckBox5", "sCheckBox6",  "sCheckBox7", "sCheckBox8",
                               "sCheckBox9", "sCheckBox10", "sCheckBox11"};

        f.Click("sBitBtn25");  // first press after start unticks: nothing changes, nothing rebuilds
        QCOMPARE(rebuilds.count(), 0);
        f.Click("sBitBtn25");  // second press ticks all eleven, one rebuild each
        for (const char* gate : gates) QVERIFY2(f.Gate(gate)->isChecked(), gate);
        QVERIFY(!f.Gate("sCheckBox12")->isChecked());
        QCOMPARE(rebuilds.count(), 11);

        QTest::mouseClick(f.Gate("sCheckBox3"), Qt::LeftButton, {}, QPoint(5, 9));  // untick one by hand
        rebuilds.clear();
        f.Click("sBitBtn25");  // unticks the other ten
        for (const char* gate : gates) QVERIFY2(!f.Gate(gate)->isChecked(), gate);
        QCOMPARE(rebuilds.count(), 10);
    }

    void clearingBlockAndCopyField() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        f.Tick("sCheckBox1");
        f.TypeInto(f.Block(1), "text");
        auto* copies = f.Get<QLineEdit>("sEdit3");
        QTest::keyClicks(copies, "a@b.cz");
        QSignalSpy rebuilds(&form, &TForm1::previewRebuilt);

        f.Click("sBitBtn11");
        QCOMPARE(f.Block(1)->toPlainText(), QString());
        QCOMPARE(rebuilds.count(), 1);
        QCOMPARE(f.PreviewLines().mid(0, 4), (QStringList{"", "", kDash, kMiddle}));

        f.Click("sBitBtn24");
        QCOMPARE(copies->text(), QString());
        QCOMPARE(rebuilds.count(), 1);
    }

    void widgetsCarryNamesForScreenReaders() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QCOMPARE(f.Block(3)->accessibleName(), QString("Text blok 3"));
        QCOMPARE(f.Get<QPlainTextEdit>("Memo1")->accessibleName(), QString("Náhled"));
        QCOMPARE(f.Combo(2)->accessibleName(), QString("Rozloučení / Pozdrav"));
        QCOMPARE(f.Combo(4)->accessibleName(), QString("Předmět"));
        QCOMPARE(f.Get<QLineEdit>("sEdit1")->accessibleName(), QString("Odeslat komu"));
        QCOMPARE(f.Get<QPushButton>("sBitBtn6")->toolTip(), QString("Odeslat email"));
        QCOMPARE(f.Form().windowTitle(), QString("Quillory 1.01 FREE"));
        QCOMPARE(f.Get<QPushButton>("sBitBtn13")->geometry(), QRect(172, 192, 73, 21));
        QCOMPARE(f.Block(3)->geometry(), QRect(12, 216, 237, 89));
    }

    void resizingLeavesWidgetsInPlace() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        TForm1& form = f.Open();
        auto* send = f.Get<QPushButton>("sBitBtn6");
        const QRect before = send->geometry();
        form.resize(form.width() + 200, form.height() + 100);
        QCOMPARE(send->geometry(), before);
    }
};

QTEST_MAIN(ComposerTest)
#include "tst_composer.moc"
