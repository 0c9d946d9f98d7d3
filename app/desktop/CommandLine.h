#pragma once

#include <QStringList>

#include <optional>

namespace quillory {

// The command line: "quillory", "quillory --help" (-h) and "quillory --version" (-v). Help and
// version print to the standard output and end the program without opening a window; anything else
// is an error on the standard error output and ends the program with status 2.
//
// "quillory --resume-merge" goes on with the newest unfinished mail merge run of the data folder
// without a window and ends when the run ends (app/merge/MergeRunConsole.h tells its exit
// statuses); "--maybe-sent=arrived" or "--maybe-sent=again" settles the run's "možná odesláno" row
// first (the message arrived, or it goes out again).

// What the command line asks beyond starting the window.
struct TCommandLineRun {
    bool resumeMerge = false;
    // With resumeMerge: the decision on the "možná odesláno" row (true: it arrived).
    std::optional<bool> maybeSentArrived;
};

// Before the application object exists: answers a command line with a long option, -h or -v
// (--help, --version or a wrong one), which needs no window system. Returns the exit status when the program
// is to end, nothing when it is to start.
std::optional<int> AnswerInformationOptions(int argc, char** argv);

// Before the application object exists: whether the command line takes a mail merge run up
// without a window (--resume-merge), which needs no window system.
bool RunsWithoutWindow(int argc, char** argv);

// After the application object has taken Qt's own options (-platform, -style, …): refuses whatever
// is left beyond the program's name and the program's options, and answers --help and --version.
// `run` (when given) gets what the line asks beyond them.
std::optional<int> AnswerCommandLine(const QStringList& arguments, TCommandLineRun* run = nullptr);

}  // namespace quillory
