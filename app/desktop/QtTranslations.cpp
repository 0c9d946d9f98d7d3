#include "app/desktop/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace quillory {

void InstallQtTranslations(QCoreApplication& application) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Czech, QLocale::Czechia), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    translator->setParent(&application);  // lives as long as the application
    QCoreApplication::installTranslator(translator.release());
}

}  // namespace quillory
