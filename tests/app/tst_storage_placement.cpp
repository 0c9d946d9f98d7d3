// The form storage on a small window of its own: when it restores and saves, the window's
// placement, the stored properties' INI format and what happens when the INI file fails.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <memory>

#include "storage/IniFile.h"
#include "storage/forms/FormStorage.h"
#include "support/TempConfigHome.h"

namespace quillory::test {

class TTestForm : public QWidget {
    Q_OBJECT
public:
    TTestForm() {
        sCheckBox1 = new QCheckBox("gate", this);
        sCheckBox1->setObjectName("sCheckBox1");
        sEdit1 = new QLineEdit(this);
        sEdit1->setObjectName("sEdit1");
        sEdit1->move(0, 30);
        sComboBox1 = new QComboBox(this);
        sComboBox1->setObjectName("sComboBox1");
        sComboBox1->setEditable(true);
        sComboBox1->move(0, 60);
        storage = new TFormStorage(*this, [this] {
            try {
                throw;
            } catch (const std::exception& error) {
                errors.append(error.what());
            }
        });
        storage->SetStoredProps({"sCheckBox1.Checked", "sEdit1.Text", "sComboBox1.Items", "sComboBox1.Text",
                                 "NoSuchWidget.Text", "sEdit1.NoSuchProperty", "no dot"});
        storage->StoredValues().Add("smtpserver", std::string(), "kvetinacek");
        setGeometry(40, 50, 400, 300);
    }
    ~TTestForm() override { storage->HandleDestroy(); }

    QCheckBox* sCheckBox1;
    QLineEdit* sEdit1;
    QComboBox* sComboBox1;
    TFormStorage* storage;
    QStringList errors;
    std::optional<bool> checkedAtShow;

protected:
    void showEvent(QShowEvent* event) override {
        if (!checkedAtShow) checkedAtShow = sCheckBox1->isChecked();
        QWidget::showEvent(event);
    }
};

class StoragePlacementTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TTempConfigHome> home_;
    std::unique_ptr<TTestForm> form_;

    TTestForm& Open() {
        form_ = std::make_unique<TTestForm>();
        form_->show();
        if (!QTest::qWaitForWindowExposed(form_.get())) qWarning("window not exposed");
        return *form_;
    }
    TTestForm& Restart() {
        form_->close();
        form_.reset();
        return Open();
    }
    QString IniPath() const { return home_->IniPath(); }
    std::string IniName() const { return QFileInfo(IniPath()).fileName().toStdString(); }
    std::string Read(const char* section, const char* key) const {
        return TIniFile(IniPath().toStdString()).ReadValue(section, key, "<missing>");
    }
    void WriteIni(const QByteArray& bytes) const {
        QFile file(IniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void init() { home_ = std::make_unique<TTempConfigHome>(); }
    void cleanup() {
        form_.reset();
        home_.reset();
    }

    void restoresBeforeTheFormsOwnShowAndSavesAtClose() {
        TTestForm& first = Open();
        QCOMPARE(first.storage->IniSection(), std::string("TTestForm"));
        first.sCheckBox1->setChecked(true);
        first.sEdit1->setText("  jan@example.cz ");
        first.storage->WriteStoredValue("smtpserver", std::string("smtp.example.cz"));
        first.close();
        QVERIFY(first.storage->Saved());
        QCOMPARE(Read("TTestForm", "sCheckBox1_Checked"), std::string("True"));
        QCOMPARE(Read("TTestForm", "sEdit1_Text"), std::string("jan@example.cz"));
        QCOMPARE(Read("TTestForm", "Visible"), std::string("0"));

        TTestForm& second = Restart();
        QCOMPARE(second.checkedAtShow, std::optional<bool>(true));
        QCOMPARE(second.sEdit1->text(), QString("jan@example.cz"));
        QCOMPARE(VarToStr(second.storage->ReadStoredValue("SMTPSERVER")), std::string("smtp.example.cz"));
        QVERIFY(second.errors.isEmpty());
    }

    void entriesNamingNoComponentAreDroppedUnknownPropertiesSkipped() {
        TTestForm& form = Open();
        QCOMPARE(form.storage->StoredProps(),
                 QStringList({"sCheckBox1.Checked", "sEdit1.Text", "sComboBox1.Items", "sComboBox1.Text",
                              "sEdit1.NoSuchProperty"}));
        form.close();
        QCOMPARE(Read("TTestForm", "sEdit1_NoSuchProperty"), std::string("<missing>"));
        QVERIFY(form.errors.isEmpty());
    }

    void destroyWithoutCloseSavesOnceWithVisibleSet() {
        Open().sEdit1->setText("kept");
        form_.reset();
        QCOMPARE(Read("TTestForm", "sEdit1_Text"), std::string("kept"));
        QCOMPARE(Read("TTestForm", "Visible"), std::string("1"));

        // After a completed close the destroy writes nothing.
        TTestForm& form = Open();
        form.close();
        QVERIFY(QFile::remove(IniPath()));
        form_.reset();
        QVERIFY(!QFile::exists(IniPath()));
    }

    void aWindowNeverShownWritesNothing() {
        form_ = std::make_unique<TTestForm>();
        form_->close();
        form_.reset();
        QVERIFY(!QFile::exists(IniPath()));
    }

    void inactiveStorageNeitherReadsNorWrites() {
        WriteIni("[TTestForm]\r\nsEdit1_Text=from file\r\n");
        form_ = std::make_unique<TTestForm>();
        form_->storage->SetActive(false);
        form_->show();
        QCOMPARE(form_->sEdit1->text(), QString());
        form_->sEdit1->setText("changed");
        form_->close();
        form_.reset();
        QCOMPARE(Read("TTestForm", "sEdit1_Text"), std::string("from file"));
    }

    void unwritableIniIsReportedAtCloseAndAgainAtDestroy() {
        QFile plain(home_->Path() + "/plainfile");
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        qputenv("XDG_CONFIG_HOME", (home_->Path() + "/plainfile/config").toLocal8Bit());
        TTestForm& form = Open();
        QVERIFY2(form.close(), "the window still closes");
        const QString message = QString("Unable to write to %1").arg(QString::fromStdString(IniName()));
        QCOMPARE(form.errors, QStringList{message});
        QVERIFY(!form.storage->Saved());
        QStringList* errors = &form.errors;
        auto dying = std::move(form_);
        dying->storage->HandleDestroy();
        QCOMPARE(*errors, QStringList({message, message}));
    }

    void missingOrUnreadableIniRestoresNothingAndRaisesNothing_data() {
        QTest::addColumn<bool>("asFolder");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("missing") << false << QByteArray();
        QTest::newRow("a folder in its place") << true << QByteArray();
        QTest::newRow("garbage") << false << QByteArray("\x00\xff[[\r\n=\r\n==x\n[TTestForm\r\nCount", 30);
    }
    void missingOrUnreadableIniRestoresNothingAndRaisesNothing() {
        QFETCH(bool, asFolder);
        QFETCH(QByteArray, bytes);
        if (asFolder) QVERIFY(QDir().mkpath(IniPath()));
        if (!bytes.isEmpty()) WriteIni(bytes);
        TTestForm& form = Open();
        QVERIFY(form.errors.isEmpty());
        QVERIFY(!form.sCheckBox1->isChecked());
        QCOMPARE(form.sEdit1->text(), QString());
        QCOMPARE(form.sComboBox1->count(), 0);
        QCOMPARE(form.geometry(), QRect(40, 50, 400, 300));
        QCOMPARE(VarToStr(form.storage->ReadStoredValue("smtpserver")), std::string());
    }

    void storedPropertyTexts_data() {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("shown");
        const QByteArray list = "[TTestForm.sComboBox1_Items]\r\nCount=3\r\nItem0=\"\"quoted\"\"\r\n";
        QTest::newRow("word neither true nor false keeps the state")
            << QByteArray("sCheckBox1_Checked=maybe\r\n") << true << "" << QStringList() << "";
        QTest::newRow("true in lower case with blanks ticks")
            << QByteArray("sCheckBox1_Checked=  true \r\n") << true << "" << QStringList() << "";
        QTest::newRow("FALSE unticks")
            << QByteArray("sCheckBox1_Checked=FALSE\r\n") << false << "" << QStringList() << "";
        QTest::newRow("leading blanks of a text are gone")
            << QByteArray("sEdit1_Text=   a@b.cz\r\n") << true << "a@b.cz" << QStringList() << "";
        QTest::newRow("count of three with one item, shown text after the entries")
            << QByteArray(
                   "sComboBox1_Text=Nab\xc3\xad"
                   "dka\r\n") +
                   list
            << true << "" << QStringList({"\"quoted\"", "", ""})
            << QString::fromUtf8(
                   "Nab\xc3\xad"
                   "dka");
    }
    void storedPropertyTexts() {
        QFETCH(QByteArray, keys);
        QFETCH(bool, checked);
        QFETCH(QString, edit);
        QFETCH(QStringList, items);
        QFETCH(QString, shown);
        // The INI file holds Windows-1250: the test's UTF-8 Czech letters are converted first.
        QByteArray bytes = "[TTestForm]\r\n" + keys;
        bytes.replace("\xc3\xad", "\xed");
        WriteIni(bytes);
        form_ = std::make_unique<TTestForm>();
        form_->sCheckBox1->setChecked(true);
        form_->show();
        QCOMPARE(form_->sCheckBox1->isChecked(), checked);
        QCOMPARE(form_->sEdit1->text(), edit);
        QStringList entries;
        for (int i = 0; i < form_->sComboBox1->count(); ++i) entries.append(form_->sComboBox1->itemText(i));
        QCOMPARE(entries, items);
        QCOMPARE(form_->sComboBox1->currentText(), shown);
        QCOMPARE(form_->sComboBox1->currentIndex(), -1);
    }

    void listEntriesRoundTripAndAnEmptiedListLosesItsSection() {
        TTestForm& first = Open();
        first.sComboBox1->addItems(
            {"\"quoted\"", " lead", "two\nlines", QString::fromUtf8("Dobr\xc3\xbd den,")});
        first.sComboBox1->setEditText("shown");
        TTestForm& second = Restart();
        QStringList entries;
        for (int i = 0; i < second.sComboBox1->count(); ++i) entries.append(second.sComboBox1->itemText(i));
        QCOMPARE(entries,
                 QStringList({"\"quoted\"", "lead", "two\nlines", QString::fromUtf8("Dobr\xc3\xbd den,")}));
        QCOMPARE(second.sComboBox1->currentText(), QString("shown"));

        second.sComboBox1->clear();
        second.close();
        QVERIFY(!TIniFile(IniPath().toStdString()).ReadSections().empty());
        for (const auto& section : TIniFile(IniPath().toStdString()).ReadSections())
            QVERIFY2(section != "TTestForm.sComboBox1_Items", "the emptied list's section is still there");
    }

    void placementRoundTripsNormalAndMaximized() {
        TTestForm& first = Open();
        first.setGeometry(70, 80, 500, 350);
        TTestForm& second = Restart();
        QCOMPARE(second.geometry(), QRect(70, 80, 500, 350));
        QCOMPARE(Read("TTestForm", "ShowCmd"), std::string("1"));
        QCOMPARE(Read("TTestForm", "NormPos"), std::string("70,80,570,430"));

        second.showMaximized();
        QTRY_VERIFY(second.isMaximized());
        TTestForm& third = Restart();
        QCOMPARE(Read("TTestForm", "ShowCmd"), std::string("3"));
        QCOMPARE(Read("TTestForm", "NormPos"), std::string("70,80,570,430"));
        QTRY_VERIFY(third.isMaximized());
        QCOMPARE(third.normalGeometry(), QRect(70, 80, 500, 350));
    }

    void minimizedWindowMinimizesAgainAfterTheShow() {
        Open().showMinimized();
        QTRY_VERIFY(form_->isMinimized());
        form_->close();
        QCOMPARE(Read("TTestForm", "ShowCmd"), std::string("2"));
        form_.reset();
        TTestForm& form = Open();
        QTRY_VERIFY(form.isMinimized());
    }

    void otherPixelsPerInchKeepsDesignedPlaceButRestoresTheState() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QByteArray suffix =
            QString("(%1x%2)").arg(screen->size().width()).arg(screen->size().height()).toLatin1();
        WriteIni("[TTestForm]\r\nShowCmd=3\r\nNormPos" + suffix + "=1,2,300,200\r\nPixelsPerInch=" +
                 QByteArray::number(qRound(screen->logicalDotsPerInch()) + 24) + "\r\n");
        TTestForm& form = Open();
        QTRY_VERIFY(form.isMaximized());
        QCOMPARE(form.normalGeometry(), QRect(40, 50, 400, 300));
    }

    void olderFormVersionRestoresNothing() {
        WriteIni("[TTestForm]\r\nFormVersion=1\r\nsEdit1_Text=old layout\r\n");
        form_ = std::make_unique<TTestForm>();
        form_->storage->SetVersion(2);
        form_->show();
        QCOMPARE(form_->sEdit1->text(), QString());
        form_->close();
        QCOMPARE(Read("TTestForm", "FormVersion"), std::string("2"));
    }
};

}  // namespace quillory::test

QTEST_MAIN(quillory::test::StoragePlacementTest)
#include "tst_storage_placement.moc"
