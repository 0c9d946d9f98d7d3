// The online help panel with its page views, the web links and the about box, driven through the
// real main window against a web server of the test's own on 127.0.0.1.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "app/account/SmtpSettingsDialog.h"
#include "app/help/FramelessBrowser.h"
#include "app/help/MainWindowHelp.h"
#include "support/ComposerFixture.h"
#include "support/PageServer.h"

namespace quillory::test {
namespace {

const QString kHelpPath = "/quillory/help-mini.html";
const QByteArray kHelpPage =
    "<html><head><meta charset=\"utf-8\"></head><body><h1>Nápověda k programu</h1>"
    "<p><a href=\"druha.html\">Další stránka</a></p></body></html>";

// An address on 127.0.0.1 where nothing listens.
QString UnreachableAddress() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) qFatal("no free port");
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(kHelpPath);
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TComposerFixture> f_;
    std::unique_ptr<TPageServer> server_;

    TForm1& Form() const { return f_->Form(); }
    QFrame* Panel() const { return f_->Get<QFrame>("sPanel4"); }
    QPushButton* CloseButton() const { return f_->Get<QPushButton>("sBitBtn26"); }
    void Trigger(const char* item) const { f_->Get<QAction>(item)->trigger(); }
    QList<TFramelessIE*> Views() const {
        return Panel()->findChildren<TFramelessIE*>(Qt::FindDirectChildrenOnly);
    }

    // Opens the help from the menu and waits until its newest view has shown a page; the result
    // tells whether that page was the one asked for (true) or the view's error page (false).
    bool OpenHelp() {
        Trigger("Onlinenpovda1");
        TFramelessIE* view = Form().Help().Browser();
        if (!view) return false;
        QSignalSpy loaded(view, &TFramelessIE::loadFinished);
        if (!loaded.wait(10000)) qWarning("no page arrived");
        return !loaded.isEmpty() && loaded.first().first().toBool();
    }
    // The widget the user reaches at the middle of `widget`, as the window stacks them.
    QWidget* WidgetOver(QWidget* widget) const {
        QWidget* client = Form().centralWidget();
        return client->childAt(widget->mapTo(client, widget->rect().center()));
    }
    // Runs `act` on the modal dialog that `open` shows, then closes it if `act` left it open.
    static void WithModalDialog(const std::function<void()>& open, const std::function<void(QDialog&)>& act) {
        bool seen = false;
        QTimer::singleShot(0, qApp, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seen = true;
            act(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        open();
        QVERIFY(seen);
    }

private slots:
    void init() {
        f_ = std::make_unique<TComposerFixture>();
        server_ = std::make_unique<TPageServer>();
        server_->AddPage(kHelpPath, kHelpPage);
        server_->AddPage("/quillory/druha.html", "<p>Druhá stránka nápovědy</p>");
        f_->WriteEmptyBlocks();
        f_->Open();
        Form().Help().SetPageAddress(server_->Address(kHelpPath));
    }
    void cleanup() {
        f_.reset();
        server_.reset();
    }

    void helpPageFillsThePanelInAFramelessView() {
        QVERIFY(!Panel()->isVisible());
        QVERIFY(OpenHelp());
        TFramelessIE* view = Form().Help().Browser();
        QCOMPARE(server_->requestedPaths, QStringList{kHelpPath});
        QVERIFY(view->toPlainText().contains("Nápověda k programu"));
        QVERIFY(Panel()->isVisible());
        QVERIFY(view->isVisible());
        QCOMPARE(view->geometry(), Panel()->contentsRect());
        QCOMPARE(view->frameShape(), QFrame::NoFrame);
        QVERIFY(!view->acceptDrops());
        QVERIFY(!view->viewport()->acceptDrops());
        // A local file the page names is not read, by the view nor by its document.
        f_->WriteFile("blok1.txt", "secret");
        const QUrl local = QUrl::fromLocalFile(QString::fromStdString(f_->Path("blok1.txt").string()));
        QVERIFY(view->document()->resource(QTextDocument::ImageResource, local).toByteArray().isEmpty());

        // A right click shows no menu of the view's own.
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(20, 20),
                                    view->viewport()->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(view->viewport(), &menuEvent);
        QWidget* popup = QApplication::activePopupWidget();
        if (popup) popup->close();
        QVERIFY2(!popup, "the view showed a context menu");
        QVERIFY(f_->desktop.messages.isEmpty());
    }

    void linksOnThePageLoadInTheSameViewOverTheNetworkOnly() {
        QVERIFY(OpenHelp());
        TFramelessIE* view = Form().Help().Browser();
        QSignalSpy loaded(view, &TFramelessIE::loadFinished);
        emit view->anchorClicked(QUrl("druha.html"));
        QVERIFY(loaded.wait(10000));
        QCOMPARE(server_->requestedPaths, (QStringList{kHelpPath, "/quillory/druha.html"}));
        QVERIFY(view->toPlainText().contains("Druhá stránka nápovědy"));

        // A page naming a local file is not followed there.
        emit view->anchorClicked(QUrl("file:///etc/hostname"));
        QVERIFY(view->toPlainText().contains("Druhá stránka nápovědy"));
        QCOMPARE(view->Address(), QUrl(server_->Address("/quillory/druha.html")));
        QCOMPARE(loaded.size(), 1);
    }

    void openedTwiceClosedOnceHidesBothThenAThirdComesOnTop() {
        QVERIFY(OpenHelp());
        TFramelessIE* first = Form().Help().Browser();
        QVERIFY(OpenHelp());
        TFramelessIE* second = Form().Help().Browser();
        QVERIFY(second != first);
        QCOMPARE(Views(), (QList<TFramelessIE*>{first, second}));
        QVERIFY(first->isVisible() && second->isVisible());

        QTest::mouseClick(CloseButton(), Qt::LeftButton);
        QVERIFY(!Panel()->isVisible());
        QVERIFY(!CloseButton()->isVisible());
        QVERIFY(!first->isVisible());
        QVERIFY(!second->isVisible());
        QCOMPARE(Views().size(), 2);  // closing keeps the views

        QVERIFY(OpenHelp());
        TFramelessIE* third = Form().Help().Browser();
        QCOMPARE(Views(), (QList<TFramelessIE*>{first, second, third}));
        QVERIFY(third->isVisible());
        QVERIFY(third->isAncestorOf(WidgetOver(Panel())));
        QCOMPARE(server_->requestedPaths.size(), 3);
    }

    void closeButtonCoversTheBottomRowWhileHelpIsShown() {
        const char* bottomRow[] = {"sBitBtn25", "sWebLabel1", "sBitBtn23",
                                   "sBitBtn4",  "sBitBtn5",   "sBitBtn6"};
        QVERIFY(OpenHelp());
        QCOMPARE(CloseButton()->text(), QString("Zavřít  "));
        for (const char* name : bottomRow)
            QVERIFY2(WidgetOver(f_->Get<QWidget>(name)) == CloseButton(), name);

        // A click where "Kopírovat" lies closes the help and copies nothing.
        QWidget* copy = f_->Get<QWidget>("sBitBtn4");
        QWidget* client = Form().centralWidget();
        QTest::mouseClick(client->childAt(copy->mapTo(client, copy->rect().center())), Qt::LeftButton);
        QVERIFY(!Panel()->isVisible());
        QVERIFY(f_->desktop.clipboard.isEmpty());
        for (const char* name : bottomRow)
            QVERIFY2(WidgetOver(f_->Get<QWidget>(name)) == f_->Get<QWidget>(name), name);
    }

    void unreachablePageShowsTheViewsOwnErrorPage_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("reason");
        QTest::newRow("nothing listens") << UnreachableAddress() << "Server odmítl spojení.";
        QTest::newRow("page missing") << QString() << "Server odpověděl chybou 404 Not Found.";
    }
    void unreachablePageShowsTheViewsOwnErrorPage() {
        QFETCH(QString, address);
        QFETCH(QString, reason);
        if (address.isEmpty()) address = server_->Address("/quillory/chybi.html");
        Form().Help().SetPageAddress(address);
        QVERIFY(!OpenHelp());
        const QString shown = Form().Help().Browser()->toPlainText();
        QVERIFY2(shown.contains("Stránku nelze zobrazit"), qPrintable(shown));
        QVERIFY2(shown.contains(address), qPrintable(shown));
        QVERIFY2(shown.contains(reason), qPrintable(shown));
        QVERIFY(Panel()->isVisible());
        QVERIFY(CloseButton()->isVisible());
        QVERIFY(f_->desktop.messages.isEmpty());
    }

    // With the user guide shipped beside the program, a help page that cannot be reached gives way to
    // the guide, with its pictures, under one line that says so.
    void unreachablePageShowsTheBundledGuide_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("reason");
        QTest::newRow("host cannot be resolved") << "http://help.quillory.invalid/quillory/help-mini.html"
                                                 << "Server nebyl nalezen.";
        QTest::newRow("nothing listens") << UnreachableAddress() << "Server odmítl spojení.";
        QTest::newRow("page missing") << QString() << "Server odpověděl chybou 404 Not Found.";
    }
    void unreachablePageShowsTheBundledGuide() {
        QFETCH(QString, address);
        QFETCH(QString, reason);
        std::filesystem::copy(QUILLORY_HELP_DIR, f_->Path("help"));
        if (address.isEmpty()) address = server_->Address("/quillory/chybi.html");
        Form().Help().SetPageAddress(address);
        QVERIFY(!OpenHelp());
        TFramelessIE* view = Form().Help().Browser();
        QVERIFY(view->ShowsBundledGuide());
        const QStringList lines = view->toPlainText().split('\n');
        QCOMPARE(lines.first(), "Online nápovědu se nepodařilo načíst (" + reason +
                                    ") Zobrazuje se nápověda dodaná s programem.");
        QCOMPARE(lines.value(1).trimmed(), QString("Quillory – nápověda"));
        QVERIFY(!view->toPlainText().contains("Stránku nelze zobrazit"));
        QVERIFY(Panel()->isVisible());
        QVERIFY(f_->desktop.messages.isEmpty());

        // The guide's picture comes from its own folder; nothing else of the disk is read.
        QTextDocument* page = view->document();
        f_->WriteFile("blok1.txt", "secret");
        const auto bytes = [page](const QUrl& name) {
            return page->resource(QTextDocument::ImageResource, name).toByteArray();
        };
        const QVariant picture = page->resource(QTextDocument::ImageResource, QUrl("okno.png"));
        const QSize shipped = QImage(QUILLORY_HELP_DIR "/okno.png").size();
        QVERIFY(!shipped.isEmpty());
        QCOMPARE(picture.value<QPixmap>().size(), shipped);
        QVERIFY(bytes(QUrl("../blok1.txt")).isEmpty());
        QVERIFY(bytes(QUrl::fromLocalFile(QString::fromStdString(f_->Path("blok1.txt").string()))).isEmpty());

        // A link to a web page leaves the guide.
        QSignalSpy loaded(view, &TFramelessIE::loadFinished);
        view->Navigate(QUrl(server_->Address(kHelpPath)));
        QVERIFY(loaded.wait(10000));
        QVERIFY(loaded.first().first().toBool());
        QVERIFY(!view->ShowsBundledGuide());
        QVERIFY(view->toPlainText().contains("Nápověda k programu"));
    }

    void webLinksOpenInTheDesktopBrowser_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("address");
        QTest::newRow("menu: web site") << "Webovstrnkaprogramu1"
                                        << "http://www.quillory.cz";
        QTest::newRow("menu: update") << "Updateprogramu1"
                                      << "http://www.quillory.cz/update.php";
        QTest::newRow("label: full version") << "sWebLabel1"
                                             << "http://www.quillory.cz/sms/";
    }
    void webLinksOpenInTheDesktopBrowser() {
        QFETCH(QString, source);
        QFETCH(QString, address);
        if (auto* label = Form().findChild<QLabel*>(source)) {
            QTest::mousePress(label, Qt::RightButton);
            QVERIFY(f_->desktop.openedUrls.isEmpty());
            QTest::mousePress(label, Qt::LeftButton);
        } else {
            Trigger(qPrintable(source));
        }
        QCOMPARE(f_->desktop.openedUrls, QList<QString>{address});
    }

    void webLabelTakesTheWindowTextColourUnderThePointer() {
        auto* label = f_->Get<QLabel>("sWebLabel1");
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QVERIFY(label->font().bold());
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), label->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(label, &enter);
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 QApplication::palette(label).color(QPalette::WindowText));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(label, &leave);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::blue));
    }

    void aboutBoxShowsNameVersionAndLink() {
        WithModalDialog([this] { Trigger("OprogramuQuillory1"); },
                        [this](QDialog& about) {
                            QCOMPARE(about.objectName(), QString("Form3"));
                            QCOMPARE(about.windowTitle(), QString("O programu Quillory"));
                            QCOMPARE(about.size(), QSize(393, 126));
                            auto* title = about.findChild<QLabel*>("sLabelFX1");
                            QCOMPARE(title->text(), QString("Quillory 1.01 FREE"));
                            QCOMPARE(title->palette().color(QPalette::WindowText), QColor(55, 33, 7));
                            auto* link = about.findChild<QLabel*>("sWebLabel1");
                            QCOMPARE(link->text(), QString("www.quillory.cz"));
                            QTest::mousePress(link, Qt::LeftButton);
                            QCOMPARE(f_->desktop.openedUrls, QList<QString>{"http://www.quillory.cz"});
                            QTest::mouseClick(about.findChild<QPushButton*>("sBitBtn1"), Qt::LeftButton);
                            QVERIFY(!about.isVisible());
                            QCOMPARE(about.result(), int(QDialog::Accepted));
                        });
    }

    void dialogsOpenAtTheSameOffsetFromTheMainWindow_data() {
        QTest::addColumn<QString>("opener");
        QTest::newRow("about box from the menu") << "OprogramuQuillory1";
        QTest::newRow("settings dialog from the button") << "sBitBtn1";
        QTest::newRow("settings dialog from the menu") << "Serverodchozpoty1";
    }
    void dialogsOpenAtTheSameOffsetFromTheMainWindow() {
        QFETCH(QString, opener);
        const auto open = [this, opener] {
            if (auto* button = Form().findChild<QPushButton*>(opener))
                QTest::mouseClick(button, Qt::LeftButton);
            else Trigger(qPrintable(opener));
        };
        // The second opening follows the main window to its new place.
        for (const QPoint mainAt : {QPoint(100, 50), QPoint(240, 130)}) {
            Form().move(mainAt);
            QPoint dialogAt;
            WithModalDialog(open, [&dialogAt](QDialog& dialog) { dialogAt = dialog.pos(); });
            QCOMPARE(dialogAt, Form().pos() + QPoint(330, 160));
        }
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::HelpTest)
#include "tst_help.moc"
