// A mail merge to a local sink (Postfix's smtp-sink), no pacing: each recipient greeted in the
// vocative, two placeholders of a CSV file ({částka}, {číslo faktury}) and a 100 KB PDF of their own
// (by a CSV column), each figure beside its comparison from the same run:
//  1. The plan's rows built from the book and the CSV, the check of every row, and the run itself:
//     MergeRun on one delivery session (one login), the journal made durable twice per message.
//     Messages per second and the client's CPU time per message, in three rounds taking turns with
//     the script (2.), and the ratio of each round; then with the journal in memory (/dev/shm),
//     which shows how much of the time is the disk's flushes.
//  2. A Python script doing the same over one connection: the email package building each message
//     (the greeting taken from a column, as Python cannot decline a Czech name), smtplib sending it.
//  3. msmtp started once per message, each message built beforehand (not timed).
//  4. Memory: the peak resident memory of a whole run (plan, check, journal, sending) of 1,000 and
//     of 10,000 rows, each in a process of its own.
//
//   bench_merge_throughput [rows] [memory-rows...]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "../net/ChildRun.h"
#include "../net/CpuFigures.h"
#include "../net/SinkSupport.h"
#include "contacts/Salutation.h"
#include "core/ProgramText.h"
#include "delivery/DeliverySession.h"
#include "mail/IdLineWriter.h"
#include "mail/IdMessage.h"
#include "mail/IdMessageClient.h"
#include "merge/ComposeRow.h"
#include "merge/MergeRun.h"
#include "merge/PlanCheck.h"
#include "merge/PlanFile.h"
#include "merge/PlanRows.h"

namespace {

using namespace quillory;
using namespace quillory::bench;
using Clock = std::chrono::steady_clock;

constexpr int kFiles = 1000;  // PDFs made; more rows take them again in turn
constexpr std::size_t kFileBytes = 100 * 1024;
constexpr const char* kDate = "11. prosince 2026";

const char* const kMen[][2] = {{"Jan", "Novák"},      {"Petr", "Dvořák"},  {"Tomáš", "Černý"},
                               {"Jiří", "Procházka"}, {"Zdeněk", "Němec"}, {"Marek", "Svoboda"}};
const char* const kWomen[][2] = {{"Eva", "Svobodová"}, {"Jana", "Nováková"}, {"Marie", "Krejčí"},
                                 {"Zuzana", "Veselá"}, {"Lucie", "Marková"}, {"Petra", "Kučerová"}};

void Report(const char* way, int count, const Figures& figures) {
    std::printf("%-46s %6d msgs  %8.1f msg/s  %7.3f ms/msg  client CPU %7.3f ms/msg%s\n", way, count,
                count / figures.seconds, figures.seconds / count * 1e3, figures.cpuSeconds / count * 1e3,
                figures.delivered == count ? "" : "  (NOT ALL DELIVERED)");
}

std::string FileName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "faktura-%04d.pdf", i % kFiles);
    return name;
}

void MakeFiles(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::mt19937 random(42);
    std::string bytes(kFileBytes, '\0');
    for (int i = 0; i < kFiles; ++i) {
        for (char& byte : bytes) byte = static_cast<char>(random());
        bytes.replace(0, 9, "%PDF-1.4\n");
        std::ofstream(folder / FileName(i), std::ios::binary) << bytes;
    }
}

std::string Address(int i) { return "zakaznik" + std::to_string(i) + "@example.cz"; }

// The book of `rows` customers and the CSV of their amounts, invoice numbers and files.
struct Source {
    AddressBook book;
    std::string csv;
};

Source MakeSource(int rows) {
    Source source;
    source.csv = "E-mail;Částka;Číslo faktury;Soubor\r\n";
    for (int i = 0; i < rows; ++i) {
        const auto& name = (i % 2 ? kWomen : kMen)[(i / 2) % 6];
        Contact contact;
        contact.email = Address(i);
        contact.firstName = name[0];
        contact.surname = name[1];
        if (i % 5 == 0) contact.title = "Ing.";
        contact.groups = {"Zákazníci"};
        source.book.Add(std::move(contact));
        source.csv += Address(i) + ";" + std::to_string(1000 + i * 7) + " Kč;2026-" +
                      std::to_string(10000 + i) + ";" + FileName(i) + "\r\n";
    }
    return source;
}

MergePlan MakePlan(const Source& source, const std::filesystem::path& files) {
    MergePlan plan;
    plan.message.sender = std::string("Obchod <") + Sender + ">";
    plan.message.subject = ProgramTextFromUtf8("Faktura {číslo faktury}");
    plan.message.body = ProgramTextFromUtf8(
        "{oslovení},\r\n\r\nv příloze posíláme fakturu {číslo faktury} na částku {částka}.\r\n"
        "Prosíme o úhradu do konce měsíce.\r\n\r\nS pozdravem\r\nObchod\r\n");
    plan.rows = RowsFromCsv(source.csv, source.book, kDate).rows;
    AssignFiles(plan.rows, {RowFiles::Kind::Column, files, {}, "Soubor"});
    return plan;
}

// The whole merge of `rows` rows: the plan, its check, the journal and the run. Returns the
// figures of the run alone; `prepared` gets the time of the plan and the check.
Figures Merge(int rows, const std::filesystem::path& folder, int port, double* prepared = nullptr,
              const std::filesystem::path& journals = {}) {
    const auto start = Clock::now();
    const Source source = MakeSource(rows);
    MergePlan plan = MakePlan(source, folder / "faktury");
    for (const CheckRow& check : CheckPlan(plan))
        if (check.Blocked()) std::fprintf(stderr, "row %s: a problem\n", check.address.c_str());
    if (prepared) *prepared = std::chrono::duration<double>(Clock::now() - start).count();

    Figures figures;
    const double cpu = CpuSeconds();
    const auto started = Clock::now();
    RunJournal journal =
        CreateRun(journals.empty() ? folder / "data" : journals, plan,
                  std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
    DeliverySession session(SinkAccount(port), {});
    session.Smtp().HeloName = "bench.example";
    SystemMergeClock clock;
    MergeRun run(
        journal, session, Pacer({}), [&plan](std::size_t row) { return ComposeRow(plan, row); }, clock);
    const MergeRunResult result = run.Run();
    session.Close();
    figures.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    figures.cpuSeconds = CpuSeconds() - cpu;
    if (result.outcome != MergeOutcome::Finished)
        std::fprintf(stderr, "run ended: %s\n", result.reason.c_str());
    for (const JournalRow& row : journal.State().rows) figures.delivered += row.state == RowState::Delivered;
    return figures;
}

// The same with Python: a row file of address, greeting, amount, number and file, the script
// timed by itself (the interpreter's start not counted).
Figures Python(int rows, const std::filesystem::path& folder, int port) {
    const Source source = MakeSource(rows);
    const MergePlan plan = MakePlan(source, folder / "faktury");
    const std::filesystem::path list = folder / "rows.tsv";
    {
        std::ofstream out(list, std::ios::binary);
        for (const MergeRow& row : plan.rows)
            out << row.address << '\t' << *row.values.Find("oslovení") << '\t' << *row.values.Find("částka")
                << '\t' << *row.values.Find("číslo faktury") << '\t' << row.file.string() << '\n';
    }
    const std::string script = R"PY(
import smtplib, sys, time
from email.message import EmailMessage
from email.utils import make_msgid, formatdate
port, rows, sender = int(sys.argv[1]), sys.argv[2], sys.argv[3]
lines = [line.rstrip('\n').split('\t') for line in open(rows, encoding='utf-8')]
client = smtplib.SMTP('127.0.0.1', port, local_hostname='bench.example')
start, cpu, sent = time.perf_counter(), time.process_time(), 0
for address, greeting, amount, number, path in lines:
    message = EmailMessage()
    message['From'] = 'Obchod <%s>' % sender
    message['To'] = address
    message['Subject'] = 'Faktura %s' % number
    message['Date'] = formatdate(localtime=True)
    message['Message-ID'] = make_msgid(domain='example.cz')
    message.set_content('%s,\n\nv příloze posíláme fakturu %s na částku %s.\n'
                        'Prosíme o úhradu do konce měsíce.\n\nS pozdravem\nObchod\n' % (greeting, number, amount))
    with open(path, 'rb') as pdf:
        message.add_attachment(pdf.read(), maintype='application', subtype='pdf',
                               filename=path.rsplit('/', 1)[-1])
    if not client.send_message(message): sent += 1
print(time.perf_counter() - start, time.process_time() - cpu, sent)
client.quit()
)PY";
    const std::filesystem::path scriptFile = folder / "merge.py";
    std::ofstream(scriptFile, std::ios::binary) << script;
    const std::string command = "/usr/bin/python3 " + scriptFile.string() + " " + std::to_string(port) + " " +
                                list.string() + " " + Sender;
    Figures figures;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf %lf %d", &figures.seconds, &figures.cpuSeconds, &figures.delivered) != 3)
            figures.delivered = 0;
        ::pclose(pipe);
    }
    return figures;
}

// msmtp once per message: the messages are written to files first (not timed), then each is
// handed to a msmtp of its own; its CPU is that of the children.
Figures Msmtp(int rows, const std::filesystem::path& folder, int port) {
    const Source source = MakeSource(rows);
    const MergePlan plan = MakePlan(source, folder / "faktury");
    const std::filesystem::path messages = folder / "eml";
    std::filesystem::create_directories(messages);
    struct Collector : TIdLineWriter {
        void WriteText(const std::string& text) override { bytes += text; }
        void WriteLine(const std::string& line) override { bytes += line + "\r\n"; }
        std::string bytes;
    };
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        TIdMessage message = ComposeRow(plan, i);
        Collector text;
        TIdMessageClient(text).TransmitMessage(message);
        std::ofstream(messages / (std::to_string(i) + ".eml"), std::ios::binary) << text.bytes;
    }
    Figures figures;
    const double cpu = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = Clock::now();
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        const Run run = InChild([] { return 0; },
                                {"sh", "-c",
                                 "exec msmtp --host=127.0.0.1 --port=" + std::to_string(port) +
                                     " --auth=off --tls=off --from=" + Sender + " " + plan.rows[i].address +
                                     " < " + (messages / (std::to_string(i) + ".eml")).string()});
        figures.delivered += run.status == 0;
    }
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.cpuSeconds = CpuSeconds(RUSAGE_CHILDREN) - cpu;
    std::filesystem::remove_all(messages);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::vector<int> memoryRows;
    for (int i = 2; i < argc; ++i) memoryRows.push_back(std::atoi(argv[i]));
    if (memoryRows.empty()) memoryRows = {1000, 10000};

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quillory-bench-merge-" + std::to_string(::getpid()));
    MakeFiles(folder / "faktury");
    const int port = FreePort();
    const pid_t sink = StartSmtpSink(port);
    if (sink < 0) return 1;

    std::printf(
        "Mail merge to smtp-sink on 127.0.0.1: vocative greeting, two placeholders, a 100 KB PDF each\n");
    Merge(50, folder, port);  // warm-up
    // The machine's load moves the figures from one minute to the next, so the run and the script
    // take turns, three rounds, and the ratio is that of each round.
    std::vector<double> ratios;
    for (int round = 1; round <= 3; ++round) {
        std::printf("round %d\n", round);
        double prepared = 0;
        const Figures ours = Merge(count, folder, port, &prepared);
        if (round == 1)
            std::printf("%-46s %6d rows  %8.3f s\n", "plan from book + CSV, check of every row", count,
                        prepared);
        Report("MergeRun, one delivery session", count, ours);
        const Figures python = Python(count, folder, port);
        Report("python3 email + smtplib, one connection", count, python);
        if (python.seconds > 0) ratios.push_back(python.seconds / ours.seconds);
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    for (const double ratio : ratios) std::printf("MergeRun's rate / the script's: %.2f\n", ratio);
    if (!ratios.empty()) std::printf("median %.2f (target: at least 2)\n", ratios[ratios.size() / 2]);
    // The journal's two flushes per message wait for the disk; in memory they cost next to nothing,
    // which shows what the rest of the run takes.
    const std::filesystem::path memory = "/dev/shm";
    if (std::filesystem::is_directory(memory)) {
        const std::filesystem::path journals =
            memory / ("quillory-bench-merge-" + std::to_string(::getpid()));
        Report("MergeRun, journal in memory (no disk flush)", count,
               Merge(count, folder, port, nullptr, journals));
        std::filesystem::remove_all(journals);
    }
    Report("msmtp once per message (built beforehand)", count, Msmtp(count, folder, port));
    std::fflush(stdout);

    std::printf(
        "\nMemory: peak resident memory of a whole run (plan, check, journal, sending), each in a process of "
        "its own\n");
    for (const int rows : memoryRows) {
        Figures figures;
        const Run run = InChild([&] {
            figures = Merge(rows, folder, port);
            std::fprintf(stderr, "  %d rows: %.1f msg/s\n", rows, rows / figures.seconds);
            return figures.delivered == rows ? 0 : 1;
        });
        std::printf("merge run, %6d rows  peak RSS %7.1f MiB%s\n", rows, run.peakKiB / 1024.0,
                    run.status == 0 ? "" : "  (FAILED)");
    }

    ::kill(sink, SIGTERM);
    ::waitpid(sink, nullptr, 0);
    std::filesystem::remove_all(folder);
    return 0;
}
