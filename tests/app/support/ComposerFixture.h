#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "app/Win1250Text.h"
#include "support/FakeDesktop.h"
#include "support/TempConfigHome.h"

namespace quillory::test {

// A main window over a temporary folder that stands for the executable's folder.
class TComposerFixture {
public:
    // The settings file lives in a configuration folder of this test's own, so no test sees
    // another's; a test that set up its own folder keeps it.
    TComposerFixture() : exeDir_(dir_.path().toStdString()) {
        if (TTempConfigHome::Live() <= 1) configHome_ = std::make_unique<TTempConfigHome>();
    }

    std::filesystem::path Path(const std::string& name) const { return exeDir_ / name; }

    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& name) const { return ReadPath(Path(name)); }
    static std::string ReadPath(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Eight empty block files, so the window starts without a load error.
    void WriteEmptyBlocks() const {
        for (int n = 1; n <= 8; ++n) WriteFile("blok" + std::to_string(n) + ".txt", "");
    }

    TForm1& Open() {
        form_ = std::make_unique<TForm1>(desktop, exeDir_);
        form_->show();
        if (!QTest::qWaitForWindowExposed(form_.get())) qWarning("main window not exposed");
        return *form_;
    }
    TForm1& Form() { return *form_; }
    void Close() {
        if (form_) form_->close();
    }
    void Destroy() { form_.reset(); }

    template <class Widget>
    Widget* Get(const char* name) const {
        auto* widget = form_->findChild<Widget*>(name);
        if (!widget) qFatal("no widget %s", name);
        return widget;
    }
    QCheckBox* Gate(const char* name) const { return Get<QCheckBox>(name); }
    QComboBox* Combo(int list) const {
        return Get<QComboBox>(qPrintable(QStringLiteral("sComboBox%1").arg(list)));
    }
    QPlainTextEdit* Block(int block) const {
        return Get<QPlainTextEdit>(qPrintable(QStringLiteral("Memo%1").arg(block + 1)));
    }
    void Click(const char* button) const { QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton); }
    void Tick(const char* gate) const {
        QCheckBox* box = Gate(gate);
        if (!box->isChecked()) QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    }
    void TypeInto(QComboBox* combo, const QString& text) const { Type(combo->lineEdit(), text); }
    void TypeInto(QPlainTextEdit* memo, const QString& text) const { Type(memo, text); }
    // Key presses for every character, Czech letters included.
    static void Type(QWidget* widget, const QString& text) {
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }

    // The preview's lines, as its text form holds them (CR LF after every line).
    QStringList PreviewLines() const {
        QString text = FromProgramText(form_->PreviewText());
        if (!text.endsWith("\r\n")) return {"<preview does not end with CR LF>", text};
        text.chop(2);
        return text.split("\r\n");
    }

    TFakeDesktop desktop;

private:
    std::unique_ptr<TTempConfigHome> configHome_;
    QTemporaryDir dir_;
    std::filesystem::path exeDir_;
    std::unique_ptr<TForm1> form_;
};

}  // namespace quillory::test
