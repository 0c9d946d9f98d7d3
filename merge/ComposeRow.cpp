#include "merge/ComposeRow.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "core/Exception.h"
#include "core/ProgramText.h"
#include "core/TextLines.h"
#include "core/Win1250.h"
#include "mail/IdMessage.h"
#include "mail/MailFilling.h"
#include "mail/MessageId.h"
#include "storage/TextForm.h"

namespace quillory {
namespace {

// The content type of a file by its name, for the files the plan does not type.
std::string ContentTypeByName(const std::filesystem::path& path) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 12> kTypes{{
        {".pdf", "application/pdf"},
        {".txt", "text/plain"},
        {".csv", "text/csv"},
        {".html", "text/html"},
        {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},
        {".png", "image/png"},
        {".zip", "application/zip"},
        {".doc", "application/msword"},
        {".docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
        {".xls", "application/vnd.ms-excel"},
        {".xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
    }};
    std::string extension = path.extension().string();
    for (char& ch : extension)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    for (const auto& [name, type] : kTypes)
        if (extension == name) return std::string(type);
    return "application/octet-stream";
}

template <class Error = Exception>
TMessageAttachment Attachment(const std::filesystem::path& path, const std::string& contentType) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        throw Error(ProgramTextFromUtf8("Soubor „" + path.string() + "“ nelze přiložit: " + error.message()));
    return {path.string(), static_cast<std::int64_t>(size),
            contentType.empty() ? ContentTypeByName(path) : contentType};
}

TIdMessage Compose(const MergePlan& plan, std::size_t index, bool trial) {
    const MergeRow& row = plan.rows.at(index);
    const MergeMessage& source = plan.message;
    TIdMessage message;
    message.From().SetText(source.sender);
    message.ReplyTo().SetAddressesText(source.sender);
    const std::string sender = message.From().Address();

    // The lines in one encoding: Windows-1250 when the filled text and the line fit it, else UTF-8.
    const std::string filled = FillProgramText(source.body, row.values).text;
    const std::string unsubscribe =
        plan.options.unsubscribe ? UnsubscribeLine(ProgramTextToUtf8(sender)) : "";
    const bool utf8 = IsUtf8Form(filled) || IsUtf8Form(unsubscribe);
    // A value may bring line ends of its own (a CSV field): a lone CR or LF ends a line as well.
    std::vector<std::string> lines = SplitLines(NormaliseLineEnds(ProgramTextIn(filled, utf8)));
    if (plan.options.unsubscribe) {
        lines.emplace_back();
        lines.push_back(ProgramTextIn(unsubscribe, utf8));
    }

    std::vector<TMessageAttachment> files;
    files.reserve(source.attachments.size() + 1);
    for (const SharedAttachment& file : source.attachments)
        files.push_back(Attachment(file.path, file.contentType));
    if (!row.file.empty()) files.push_back(Attachment<ERowFileUnavailable>(row.file, {}));
    SetBody(message, lines, files, utf8 ? "utf-8" : "windows-1250");

    std::string subject = FillProgramText(source.subject, row.values).text;
    if (trial) subject = ProgramTextFromUtf8(Win1250ToUtf8(kTrialMark) + ProgramTextToUtf8(subject));
    message.Subject = std::move(subject);
    if (trial) {
        message.Recipients().Add().SetAddress(sender);
    } else {
        TIdEMailAddressItem& to = message.Recipients().Add();
        to.SetAddress(ProgramTextFromUtf8(row.address));
        to.SetName(ProgramTextFromUtf8(row.name));
        AddCopyRecipients(message.CCList(), source.copies);
    }
    if (plan.options.unsubscribe)
        message.ExtraHeaders().SetHeaderValue("List-Unsubscribe", "<mailto:" + sender + ">");
    // Every message gets an id of its own: the copy in the Sent folder carries the same one.
    message.ExtraHeaders().SetHeaderValue("Message-ID", NewMessageId(sender));
    return message;
}

}  // namespace

std::string UnsubscribeLine(std::string_view senderAddress) {
    return ProgramTextFromUtf8("Další obchodní sdělení si nepřejete? Napište na adresu " +
                               std::string(senderAddress) + " a více vám je nepošleme.");
}

TIdMessage ComposeRow(const MergePlan& plan, std::size_t row) { return Compose(plan, row, false); }

TIdMessage ComposeTrial(const MergePlan& plan, std::size_t row) { return Compose(plan, row, true); }

}  // namespace quillory
