// Runs a mail merge from a journal against a local SMTP server, as the kill test's victim: a run
// of ROWS rows ("row1@example.cz" …) in FOLDER, made at the first start and taken up from the
// journal at every later one. A DECISION ("arrived" or "again") settles a "možná odesláno" row
// before the run goes on.
//
//   merge_run_driver FOLDER PORT ROWS [DECISION]
//
// Exits 0 when the run is finished (the report written beside the journal), 3 when a row waits for
// the user's decision, 4 when the run stopped otherwise, 2 on an error; the first line of output
// says the same in words.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "delivery/DeliverySession.h"
#include "mail/IdMessage.h"
#include "merge/MergeClock.h"
#include "merge/MergeRun.h"
#include "merge/RunJournal.h"
#include "merge/RunReport.h"

namespace {

using namespace quillory;

int Drive(const std::filesystem::path& folder, const std::string& port, int rows,
          const std::string& decision) {
    const std::vector<std::filesystem::path> journals = RunJournal::List(folder);
    RunJournal journal = [&] {
        if (!journals.empty()) return RunJournal::Open(journals.back());
        std::vector<RunJournal::NewRow> newRows;
        for (int i = 1; i <= rows; ++i) newRows.push_back({"row" + std::to_string(i) + "@example.cz", false});
        return RunJournal::Create(folder, newRows,
                                  std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
    }();

    TSmtpAccount account;
    account.server = "127.0.0.1:" + port;
    account.authenticate = true;
    account.login = "novak";
    account.password = "heslo";
    account.readTimeoutMs = 10000;
    account.replyTimeLimitMs = 20000;
    account.sentCopy.localArchive = false;
    DeliverySession session(account, folder);
    SystemMergeClock clock;
    const auto compose = [&journal](std::size_t row) {
        TIdMessage message;
        message.From().SetText("Obchod <novak@example.cz>");
        message.Recipients().SetAddressesText(journal.State().rows[row].address);
        message.Subject = "Ceník " + std::to_string(row + 1);
        message.Body() = {"Dobrý den,", "posíláme nový ceník.", "S pozdravem"};
        return message;
    };
    MergeRun run(journal, session, Pacer(SendingLimits{}), compose, clock);
    if (!decision.empty()) run.Decide(decision == "arrived");
    const MergeRunResult result = run.Run();
    try {
        session.Close();
    } catch (const std::exception&) {
        // The goodbye does not change what was sent.
    }
    switch (result.outcome) {
    case MergeOutcome::Finished:
        std::printf("finished %s\n", WriteRunReport(journal).c_str());
        return 0;
    case MergeOutcome::MaybeSent:
        std::printf("maybe %zu\n", *result.row);
        return 3;
    case MergeOutcome::Stopped:
    case MergeOutcome::ServerStop:
        break;
    }
    std::printf("stopped %s\n", result.reason.c_str());
    return 4;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: merge_run_driver FOLDER PORT ROWS [arrived|again]\n");
        return 2;
    }
    try {
        return Drive(argv[1], argv[2], std::stoi(argv[3]), argc > 4 ? argv[4] : "");
    } catch (const std::exception& e) {
        std::printf("error %s\n", e.what());
        return 2;
    }
}
