#pragma once

class QCoreApplication;

namespace quillory {

// Makes Qt's own texts Czech, whatever the system's language: the file dialog, the message box
// buttons, the edit fields' context menus. The catalogue comes from Qt's translations folder; without
// it Qt's texts stay English and nothing else changes. The program's own texts are Czech already.
void InstallQtTranslations(QCoreApplication& application);

}  // namespace quillory
