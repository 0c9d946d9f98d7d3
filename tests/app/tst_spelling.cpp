// Spell checking through the real window: the red wave in the blocks and the list fields, the
// corrections of the context menu, the personal word list across a restart, the switch and the
// language in the INI, and a system without a dictionary or with a damaged one.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSyntaxHighlighter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <filesystem>

#include "app/desktop/QtTranslations.h"
#include "app/spelling/InstalledDictionaries.h"
#include "app/spelling/LineEditSpelling.h"
#include "app/spelling/SpellChecker.h"
#include "support/ComposerFixture.h"
#include "support/SendSetup.h"
#include "support/SendWaiting.h"
#include "support/SmtpServerProcess.h"

namespace quillory::test {
namespace {

const std::filesystem::path kSystemDictionaries = "/usr/share/hunspell";

// Points the window at `folder` for its dictionaries while it lives.
class DictionaryPath {
public:
    explicit DictionaryPath(const QString& folder) { qputenv(kDictionaryPathVariable, folder.toLocal8Bit()); }
    ~DictionaryPath() { qunsetenv(kDictionaryPathVariable); }
};

// A folder holding Debian's Czech dictionary (linked) and, when asked, a small English one.
class DictionaryFolder {
public:
    explicit DictionaryFolder(bool czech = true, bool english = false) {
        const std::filesystem::path dir = dir_.path().toStdString();
        if (czech)
            for (const char* file : {"cs_CZ.aff", "cs_CZ.dic"})
                std::filesystem::create_symlink(kSystemDictionaries / file, dir / file);
        if (english) {
            Write("en_US.aff", "SET UTF-8\nTRY esianrtolcdugmfphbyvkw\nWORDCHARS 0123456789’\n");
            Write("en_US.dic", "5\nthanks\nfor\nyour\norder\nisn't\n");
        }
    }
    QString Path() const { return dir_.path(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_.filePath(QString::fromStdString(name)).toStdString(), std::ios::binary) << bytes;
    }

private:
    QTemporaryDir dir_;
};

SpellChecker& Checker(TComposerFixture& f) {
    auto* checker = f.Form().findChild<SpellChecker*>("spellChecker");
    if (checker == nullptr) qFatal("no spell checker");
    return *checker;
}

// Waits on the checker's ready signal: the dictionary has been loaded after the window's first paint.
bool WaitReady(TComposerFixture& f) {
    SpellChecker& checker = Checker(f);
    QSignalSpy ready(&checker, &SpellChecker::ready);
    return checker.Active() || ready.wait(30000);
}

// The main window with empty blocks and the Czech dictionary, the program pointed at it.
struct CzechWindow {
    CzechWindow() { f.WriteEmptyBlocks(); }
    // Opens the window and waits until the dictionary is loaded.
    bool OpenReady() {
        f.Open();
        return WaitReady(f);
    }

    DictionaryFolder folder;
    DictionaryPath path{folder.Path()};
    TComposerFixture f;
};

// The words of an editor that carry the spell-check underline, joined by ", ".
QString Underlined(const QPlainTextEdit* memo) {
    QStringList words;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
                words << block.text().mid(range.start, range.length);
    return words.join(", ");
}

QStringList ActionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-")
                                        : action->text().remove('&').section('\t', 0, 0));
    return texts;
}

// Right-clicks `widget` at `pos` and returns the menu that opened.
QMenu* RightClick(QWidget* widget, QPoint pos) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// The context menu of a block at the character `position`.
QMenu* MenuAt(QPlainTextEdit* memo, int position) {
    QTextCursor cursor(memo->document());
    cursor.setPosition(position);
    return RightClick(memo->viewport(), memo->cursorRect(cursor).center());
}

// The context menu of a list's field over the character `position`.
QMenu* MenuAt(QLineEdit* field, int position) {
    const auto* layer = field->findChild<LineEditSpelling*>();
    const auto [left, right] = layer->Span(position, position + 1);
    return RightClick(field, QPoint((left + right) / 2, field->height() / 2));
}

bool Choose(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            action->trigger();
            menu->close();
            return true;
        }
    }
    menu->close();
    return false;
}

// Red pixels the field shows between `left` and `right`.
int RedPixels(QLineEdit* field, int left, int right) {
    const QImage image = field->grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = std::max(0, left); x <= std::min(image.width() - 1, right); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90) ++red;
        }
    return red;
}

QAction* ToggleItem(TComposerFixture& f) { return f.Get<QAction>("Kontrolapravopisu1"); }

}  // namespace

class SpellingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        InstallQtTranslations(*QCoreApplication::instance());
        QVERIFY2(std::filesystem::exists(kSystemDictionaries / "cs_CZ.dic"),
                 "the Czech dictionary (hunspell-cs) is not installed");
    }

    void typingUnderlinesTheMisspeltWordsOfABlock() {
        CzechWindow window;
        TComposerFixture& f = window.f;
        QVERIFY(window.OpenReady());
        f.TypeInto(f.Block(1), "Dekujeme za vasi objednavku");
        QCOMPARE(Underlined(f.Block(1)), QString("Dekujeme, vasi, objednavku"));
        QVERIFY(ToggleItem(f)->isChecked());
        QCOMPARE(ToggleItem(f)->text(), QString("Kontrola pravopisu"));
    }

    void textLoadedBeforeTheDictionaryIsUnderlinedOnceItIsReady() {
        CzechWindow window;
        TComposerFixture& f = window.f;
        f.WriteFile(
            "blok3.txt",
            ToWin1250("Firma Novák s.r.o. a Banka a.s., tj. e-mail, např. 12 500 Kč\r\n"
                      "dne 1. 5. 2024 na jan.novak@firma.cz, https://www.firma.cz/cenik nebo firma.cz\r\n"
                      "{osloveni} Dekujeme\r\n"));
        f.Open();
        f.Tick("sCheckBox3");
        QSignalSpy rebuilt(&f.Form(), &TForm1::previewRebuilt);
        QVERIFY(WaitReady(f));
        QCOMPARE(Underlined(f.Block(3)), QString("Dekujeme"));
        // New underlines are no edit: the preview is not rebuilt for them.
        QCOMPARE(rebuilt.count(), 0);
    }

    void menuOffersCorrectionsAndChoosingOneReplacesTheWord() {
        CzechWindow window;
        TComposerFixture& f = window.f;
        QVERIFY(window.OpenReady());
        f.Tick("sCheckBox1");
        f.TypeInto(f.Block(1), "Dekujeme za vasi objednavku");
        QMenu* menu = MenuAt(f.Block(1), 3);
        QVERIFY(menu);
        const QStringList texts = ActionTexts(menu);
        const qsizetype separator = texts.indexOf("-");
        QVERIFY2(separator >= 1 && separator <= 5, qPrintable(texts.join(", ")));
        QVERIFY2(texts.mid(0, separator).contains("Děkujeme"), qPrintable(texts.join(", ")));
        QCOMPARE(texts.mid(separator, 4), (QStringList{"-", "Přidat do slovníku", "Ignorovat", "-"}));
        // Qt's own menu, in Czech, follows.
        QVERIFY2(texts.mid(separator + 4).contains("Vybrat vše"), qPrintable(texts.join(", ")));
        QVERIFY(Choose(menu, "Děkujeme"));
        QCOMPARE(f.Block(1)->toPlainText(), QString("Děkujeme za vasi objednavku"));
        QVERIFY(f.PreviewLines().contains("Děkujeme za vasi objednavku"));
        QCOMPARE(Underlined(f.Block(1)), QString("vasi, objednavku"));
        // A correctly spelt word's menu is Qt's own alone.
        menu = MenuAt(f.Block(1), 10);
        QVERIFY(menu);
        QVERIFY(!ActionTexts(menu).contains("Ignorovat"));
        menu->close();
    }

    // A correction picked in a block ticked after its text was typed: the preview and the message
    // sent at once hold the corrected word.
    void aCorrectionIsInThePreviewAndTheMessageSentAtOnce() {
        TSmtpServerProcess server(kSmtpUser, kSmtpPassword);
        CzechWindow window;
        TComposerFixture& f = window.f;
        QVERIFY(window.OpenReady());
        PrepareSend(f, QStringLiteral("127.0.0.1:%1").arg(server.Port()), true);
        f.TypeInto(f.Block(1), "Dekujeme za objednávku");
        f.Tick("sCheckBox1");
        QVERIFY(Choose(MenuAt(f.Block(1), 3), "Děkujeme"));
        QCOMPARE(f.Block(1)->toPlainText(), QString("Děkujeme za objednávku"));
        QVERIFY2(f.PreviewLines().contains("Děkujeme za objednávku"), qPrintable(f.PreviewLines().join('|')));
        QVERIFY(SendAndWait(f));
        TSmtpServerProcess::TDelivery delivery;
        QVERIFY(server.NextDelivery(delivery));
        QVERIFY(DecodedValues(DecodeMessage(delivery.data), "body").contains("Děkujeme za objednávku"));
    }

    void addedWordStaysCorrectAfterARestart() {
        CzechWindow window;
        TComposerFixture& f = window.f;
        QVERIFY(window.OpenReady());
        f.TypeInto(f.Block(2), "Program Quillory");
        QCOMPARE(Underlined(f.Block(2)), QString("Quillory"));
        QVERIFY(Choose(MenuAt(f.Block(2), 10), "Přidat do slovníku"));
        QCOMPARE(Underlined(f.Block(2)), QString());
        QCOMPARE(f.ReadFile("slovnik.txt"), std::string("Quillory\n"));
        f.Close();
        f.Destroy();

        f.Open();
        QVERIFY(WaitReady(f));
        QCOMPARE(f.Block(2)->toPlainText(), QString("Program Quillory"));
        QCOMPARE(Underlined(f.Block(2)), QString());
        f.TypeInto(f.Combo(3), "Quillory QUILLORY Qillory");
        const auto* layer = f.Combo(3)->lineEdit()->findChild<LineEditSpelling*>();
        QCOMPARE(layer->Misspelled().size(), size_t(1));
        QCOMPARE(layer->Misspelled().front().start, 18);
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void ignoredWordIsCorrectForThisRunOnly() {
        CzechWindow window;
        TComposerFixture& f = window.f;
        QVERIFY(window.OpenReady());
        f.TypeInto(f.Block(4), "vasi");
        f.TypeInto(f.Block(5), "vasi objednavku");
        QVERIFY(Choose(MenuAt(f.Block(4), 1), "Ignorovat"));
        QCOMPARE(Underlined(f.Block(4)), QString());
        QCOMPARE(Underlined(f.Block(5)), QString("objednavku"));
        f.Close();
        f.Destroy();
        QVERIFY(!std::filesystem::exists(f.Path("slovnik.txt")));

        f.Open();
        QVERIFY(WaitReady(f));
        QCOMPARE(Underlined(f.Block(4)), QString("vasi"));
    }

    void listFieldsShowTheWave_data() {
        QTest::addColumn<int>("list");
        QTest::newRow("salutation") << 1;
        QTest::newRow("farewell") << 2;
        QTest::newRow("signature") << 3;
        QTest::newRow("subject") << 4;
    }
    void listFieldsShowTheWave() {
        QFETCH(int, list);
        CzechWindow window;
        TComposerFixture& f = window.f;
        QVERIFY(window.OpenReady());
        QLineEdit* field = f.Combo(list)->lineEdit();
        f.TypeInto(f.Combo(list), "Dekujeme za vse");
        const auto* layer = field->findChild<LineEditSpelling*>();
        QVERIFY(layer);
        QCOMPARE(layer->Misspelled(), (std::vector<SpellingWord>{{0, 8, false}, {12, 3, false}}));
        const auto [dekLeft, dekRight] = layer->Span(0, 8);
        const auto [zaLeft, zaRight] = layer->Span(9, 11);
        QVERIFY2(RedPixels(field, dekLeft, dekRight) > (dekRight - dekLeft) / 2,
                 qPrintable(QString::number(RedPixels(field, dekLeft, dekRight))));
        QCOMPARE(RedPixels(field, zaLeft + 1, zaRight - 1), 0);
    }

    void listFieldCorrectionRebuildsThePreview() {
        CzechWindow window;
        TComposerFixture& f = window.f;
        QVERIFY(window.OpenReady());
        f.Tick("sCheckBox9");
        f.TypeInto(f.Combo(1), "Vazeny pane,");
        QMenu* menu = MenuAt(f.Combo(1)->lineEdit(), 2);
        QVERIFY(menu);
        QVERIFY2(ActionTexts(menu).contains("Vážený"), qPrintable(ActionTexts(menu).join(", ")));
        QVERIFY(Choose(menu, "Vážený"));
        QCOMPARE(f.Combo(1)->currentText(), QString("Vážený pane,"));
        QCOMPARE(f.PreviewLines().first(), QString("Vážený pane,"));
        QVERIFY(f.Combo(1)->lineEdit()->findChild<LineEditSpelling*>()->Misspelled().empty());
    }

    void addressFieldsAndPreviewAreNotChecked() {
        CzechWindow window;
        TComposerFixture& f = window.f;
        QVERIFY(window.OpenReady());
        for (QLineEdit* field :
             {f.Get<QLineEdit>("sEdit1"), f.Get<QLineEdit>("sEdit3"), f.Combo(5)->lineEdit()})
            QVERIFY2(!field->findChild<LineEditSpelling*>(), qPrintable(field->parentWidget()->objectName()));
        auto* preview = f.Get<QPlainTextEdit>("Memo1");
        QVERIFY(!preview->document()->findChild<QSyntaxHighlighter*>());
        f.Tick("sCheckBox1");
        f.TypeInto(f.Block(1), "Dekujeme");
        QVERIFY(preview->toPlainText().contains("Dekujeme"));
        QCOMPARE(Underlined(preview), QString());
    }

    void switchAndLanguageAreKeptInTheIni() {
        DictionaryFolder folder(true, true);
        DictionaryPath path(folder.Path());
        TComposerFixture f;
        f.WriteEmptyBlocks();
        // The English dictionary's WORDCHARS join "isn't" into one word; Czech rules see "isn".
        f.WriteFile("blok1.txt", "Dekujeme thanks for your order, isn't");
        f.Open();
        QVERIFY(WaitReady(f));
        QCOMPARE(Underlined(f.Block(1)), QString("Dekujeme, thanks, for, your, order, isn"));
        auto* languages = f.Get<QMenu>("Jazykkontrolypravopisu1");
        QCOMPARE(ActionTexts(languages), (QStringList{"Čeština (cs_CZ)", "Angličtina (en_US)"}));
        QVERIFY(languages->actions().at(0)->isChecked());

        languages->actions().at(1)->trigger();
        QVERIFY(WaitReady(f));
        QCOMPARE(Checker(f).Language(), QString("en_US"));
        QCOMPARE(Underlined(f.Block(1)), QString("Dekujeme"));
        ToggleItem(f)->trigger();
        QVERIFY(!ToggleItem(f)->isChecked());
        QCOMPARE(Underlined(f.Block(1)), QString());
        f.Close();
        f.Destroy();

        // Off at the start: nothing is loaded until it is switched on.
        f.Open();
        QCOMPARE(Checker(f).Language(), QString("en_US"));
        QVERIFY(!ToggleItem(f)->isChecked());
        QCoreApplication::processEvents();
        QCOMPARE(Checker(f).CurrentState(), SpellChecker::State::Idle);
        ToggleItem(f)->trigger();
        QVERIFY(WaitReady(f));
        QCOMPARE(Underlined(f.Block(1)), QString("Dekujeme"));
    }

    void withoutADictionaryTheMenuSaysSoAndTheRestWorks() {
        QTemporaryDir empty;
        DictionaryPath path(empty.path());
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QAction* toggle = ToggleItem(f);
        QCOMPARE(toggle->text(), QString("Kontrola pravopisu – chybí slovník cs_CZ (balíček hunspell-cs)"));
        QVERIFY(!toggle->isEnabled());
        QVERIFY(!toggle->isChecked());
        QVERIFY(!f.Form().findChild<QMenu*>("Jazykkontrolypravopisu1"));
        QTRY_COMPARE(Checker(f).CurrentState(), SpellChecker::State::Missing);
        f.Tick("sCheckBox1");
        f.TypeInto(f.Block(1), "Dekujeme za vasi objednavku");
        QVERIFY(f.PreviewLines().contains("Dekujeme za vasi objednavku"));
        QCOMPARE(Underlined(f.Block(1)), QString());
        QMenu* menu = MenuAt(f.Block(1), 3);
        QVERIFY(menu);
        QVERIFY(!ActionTexts(menu).contains("Ignorovat"));
        menu->close();
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void dictionaryThatFailsToLoadLeavesCheckingOffWithAMessageInTheMenu() {
        DictionaryFolder folder(false);
        folder.Write("cs_CZ.aff", "SET UTF-8\n");
        folder.Write("cs_CZ.dic", "this is no dictionary\n");
        DictionaryPath path(folder.Path());
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        QTRY_COMPARE_WITH_TIMEOUT(Checker(f).CurrentState(), SpellChecker::State::Failed, 30000);
        QCOMPARE(ToggleItem(f)->text(), QString("Kontrola pravopisu – slovník cs_CZ nelze načíst"));
        QVERIFY(!ToggleItem(f)->isChecked());
        QVERIFY(ToggleItem(f)->toolTip().contains("cs_CZ.dic"));
        f.TypeInto(f.Block(1), "Dekujeme");
        QCOMPARE(Underlined(f.Block(1)), QString());
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void damagedPersonalListIsReportedOnceAndKept() {
        CzechWindow window;
        TComposerFixture& f = window.f;
        const std::string damaged = "Quillory\nNov\xE1k\n";  // Windows-1250, not UTF-8
        f.WriteFile("slovnik.txt", damaged);
        QVERIFY(window.OpenReady());
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY2(f.desktop.messages[0].text.contains(QString::fromStdString(f.Path("slovnik.txt").string())),
                 qPrintable(f.desktop.messages[0].text));
        f.TypeInto(f.Block(1), "Quillory vasi");
        QCOMPARE(Underlined(f.Block(1)), QString("Quillory, vasi"));
        QVERIFY(Choose(MenuAt(f.Block(1), 2), "Přidat do slovníku"));
        QCOMPARE(Underlined(f.Block(1)), QString("vasi"));
        QCOMPARE(f.desktop.messages.size(), 1);
        f.Close();
        QCOMPARE(f.ReadFile("slovnik.txt"), damaged);
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::SpellingTest)
#include "tst_spelling.moc"
