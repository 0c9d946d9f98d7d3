#pragma once

#include <filesystem>
#include <vector>

class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QWidget;

namespace quillory {

class SpellChecker;
class TDesktop;
class TStoredValues;

// The main window's spell checking: the checker (a child of the window, loaded after its first
// paint), the red wave in the editors it watches, its items in the tools menu and its two stored
// values ("kontrolapravopisu", "jazykpravopisu").
class MainWindowSpelling {
public:
    // The editors to check and the fields of the lists to check; the personal word list is kept in
    // `dataFolder`.
    struct Editors {
        std::vector<QPlainTextEdit*> blocks;
        std::vector<QLineEdit*> fields;
    };

    MainWindowSpelling(QWidget& window, TDesktop& desktop, const std::filesystem::path& dataFolder,
                       const Editors& editors, QMenu& toolsMenu, TStoredValues& storedValues);

    SpellChecker& Checker() const { return *checker_; }

private:
    SpellChecker* checker_ = nullptr;  // child of the window
};

}  // namespace quillory
