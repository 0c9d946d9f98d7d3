// Qt's own texts in Czech: the real save dialog and an edit field's context menu, with the catalogue
// the program loads.

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

#include "app/desktop/QtDesktop.h"
#include "app/desktop/QtTranslations.h"
#include "support/ComposerFixture.h"

namespace quillory::test {

class CzechTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallQtTranslations(*QCoreApplication::instance()); }

    void saveDialogAcceptsWithACzechButton() {
        TComposerFixture f;
        f.WriteEmptyBlocks();
        f.Open();
        // The save dialog the window's save command opens on the real desktop.
        TQtDesktop desktop;
        QStringList acceptTexts;
        QString cancelText;
        QTimer::singleShot(0, qApp, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            QVERIFY(buttons);
            for (QAbstractButton* button : buttons->buttons()) {
                if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                    acceptTexts << button->text();
                if (buttons->buttonRole(button) == QDialogButtonBox::RejectRole) cancelText = button->text();
            }
            dialog->reject();
        });
        TSaveDialogSettings settings;
        settings.fileName = "bez názvu";
        QCOMPARE(desktop.ChooseSaveFile(&f.Form(), settings), std::nullopt);
        QCOMPARE(acceptTexts, QStringList{"&Uložit"});
        QCOMPARE(cancelText, QString("Zrušit"));
    }

    void editFieldContextMenuIsCzech() {
        QLineEdit field("text");
        const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator()) texts << action->text().remove('&').section('\t', 0, 0);
        QVERIFY2(texts.contains("Kopírovat"), qPrintable(texts.join(", ")));
        QVERIFY2(texts.contains("Vložit"), qPrintable(texts.join(", ")));
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::CzechTest)
#include "tst_czech.moc"
