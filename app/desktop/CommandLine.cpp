#include "app/desktop/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>

#include "app/AppInfo.h"
#include "app/desktop/QtTranslations.h"

namespace quillory {
namespace {

constexpr int kUsageError = 2;

void Print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

int Refuse(const QString& error) {
    Print(stderr, QStringLiteral("quillory: %1\nNápovědu vypíše „quillory --help“.\n").arg(error));
    return kUsageError;
}

}  // namespace

std::optional<int> AnswerCommandLine(const QStringList& arguments, TCommandLineRun* run) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quillory %1 – psaní rutinních e-mailů z opakovaně "
                                                    "použitelných částí textu.")
                                         .arg(kVersion));
    const QCommandLineOption help(QStringList{"h", "help"}, "Vypíše tuto nápovědu a skončí.");
    const QCommandLineOption version(QStringList{"v", "version"}, "Vypíše verzi programu a skončí.");
    const QCommandLineOption resumeMerge(
        QStringList{"resume-merge"},
        "Bez okna pokračuje v posledním nedokončeném hromadném odeslání a po jeho konci skončí. Návratový "
        "kód: 0 dokončeno, 1 chyba, 3 zpráva „možná odesláno“ čeká na rozhodnutí, 4 odesílání se "
        "zastavilo, 5 žádné nedokončené odeslání.");
    const QCommandLineOption maybeSent(
        QStringList{"maybe-sent"},
        "S --resume-merge rozhodne o zprávě „možná odesláno“: arrived (dorazila), again (odeslat znovu).",
        "arrived|again");
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(resumeMerge);
    parser.addOption(maybeSent);
    if (!parser.parse(arguments)) return Refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return Refuse(
            QStringLiteral("nečekaný argument „%1“.").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(help)) {
        Print(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        Print(stdout, QStringLiteral("%1 %2\n").arg(kApplicationTitle, kVersion));
        return 0;
    }
    const QString decision = parser.value(maybeSent);
    if (parser.isSet(maybeSent) && decision != "arrived" && decision != "again")
        return Refuse(QStringLiteral("--maybe-sent čeká arrived nebo again, ne „%1“.").arg(decision));
    if (parser.isSet(maybeSent) && !parser.isSet(resumeMerge))
        return Refuse(QStringLiteral("--maybe-sent platí jen s --resume-merge."));
    if (run) {
        run->resumeMerge = parser.isSet(resumeMerge);
        if (parser.isSet(maybeSent)) run->maybeSentArrived = decision == "arrived";
    }
    return std::nullopt;
}

// Qt's own options have one dash (-platform, -style); a long option or -h or -v is the program's and
// is answered, or refused, before the window system is touched.
std::optional<int> AnswerInformationOptions(int argc, char** argv) {
    bool ours = false;
    for (int i = 1; i < argc; ++i) {
        ours = ours || std::strncmp(argv[i], "--", 2) == 0 || std::strcmp(argv[i], "-h") == 0 ||
               std::strcmp(argv[i], "-v") == 0;
    }
    if (!ours) return std::nullopt;
    QCoreApplication application(argc, argv);
    InstallQtTranslations(application);
    return AnswerCommandLine(QCoreApplication::arguments());
}

bool RunsWithoutWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--resume-merge") == 0) return true;
    return false;
}

}  // namespace quillory
