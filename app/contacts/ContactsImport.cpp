#include "app/contacts/ContactsImport.h"

#include <QFile>
#include <QFileInfo>

#include "app/ErrorTexts.h"
#include "contacts/ContactGroups.h"
#include "contacts/ContactsCsv.h"
#include "contacts/VCard.h"
#include "storage/RegularFile.h"

namespace quillory {
namespace {

bool LooksLikeVCard(const QString& path, const std::string& bytes) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "vcf" || suffix == "vcard") return true;
    if (suffix == "csv") return false;
    return QByteArray::fromStdString(bytes.substr(0, 4096)).toUpper().contains("BEGIN:VCARD");
}

}  // namespace

ImportFileResult ImportContactsFile(AddressBookStore& store, const QString& path, const QString& group) {
    ImportFileResult result;
    result.fileName = QFileInfo(path).fileName();
    std::string bytes;
    const TReadResult read =
        ReadRegularFile(QFile::encodeName(path).toStdString(), kMaxAddressBookBytes, bytes);
    if (!read) {
        result.problem = ReadFailureText(read);
        return result;
    }
    const auto intoGroup = [&group](std::vector<Contact>& contacts) {
        for (Contact& contact : contacts) AddToGroup(contact, group.toStdString());
        return std::move(contacts);
    };
    result.group = group.trimmed();
    result.vCard = LooksLikeVCard(path, bytes);
    if (result.vCard) {
        VCardReadResult cards = ReadVCards(bytes);
        result.counts = store.Merge(intoGroup(cards.contacts));
        result.counts.skippedBad = cards.badCards;
        result.counts.skippedWithoutAddress = cards.withoutAddress;
        if (cards.badCards + cards.withoutAddress == 0 &&
            result.counts.added + result.counts.merged + result.counts.alreadyPresent == 0)
            result.problem = QStringLiteral("soubor neobsahuje žádnou vizitku vCard");
    } else {
        CsvReadResult rows = ReadContactsCsv(bytes);
        if (!rows.recognised) {
            result.problem = QStringLiteral("první řádek nepojmenovává sloupec s e-mailovou adresou");
            return result;
        }
        result.counts = store.Merge(intoGroup(rows.contacts));
        result.counts.skippedBad = rows.badLines;
        result.counts.skippedWithoutAddress = rows.withoutAddress;
    }
    return result;
}

QString ImportSummary(const std::vector<ImportFileResult>& results) {
    QStringList lines{QStringLiteral("Import kontaktů do adresáře")};
    for (const ImportFileResult& result : results) {
        lines << QString();
        if (!result.problem.isEmpty()) {
            lines << QStringLiteral("%1: nic nebylo importováno (%2).").arg(result.fileName, result.problem);
            continue;
        }
        const ImportCounts& counts = result.counts;
        lines << result.fileName + ":";
        lines << QStringLiteral("nové kontakty: %1").arg(counts.added);
        if (!result.group.isEmpty())
            lines << QStringLiteral("kontakty souboru jsou ve skupině „%1“").arg(result.group);
        if (counts.merged > 0) lines << QStringLiteral("doplněné kontakty: %1").arg(counts.merged);
        if (counts.alreadyPresent > 0)
            lines << QStringLiteral("kontakty už v adresáři beze změny: %1").arg(counts.alreadyPresent);
        if (counts.skippedBad > 0)
            lines << (result.vCard ? QStringLiteral("přeskočené vadné vizitky: %1")
                                   : QStringLiteral("přeskočené vadné řádky: %1"))
                         .arg(counts.skippedBad);
        if (counts.skippedWithoutAddress > 0)
            lines << (result.vCard ? QStringLiteral("přeskočené vizitky bez e-mailové adresy: %1")
                                   : QStringLiteral("přeskočené řádky bez e-mailové adresy: %1"))
                         .arg(counts.skippedWithoutAddress);
    }
    return lines.join('\n');
}

}  // namespace quillory
