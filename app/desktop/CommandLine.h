#pragma once

#include <QStringList>

#include <optional>

namespace quillory {

// The command line: "quillory", "quillory --help" (-h) and "quillory --version" (-v). Help and
// version print to the standard output and end the program without opening a window; anything else
// is an error on the standard error output and ends the program with status 2.

// Before the application object exists: answers a command line with a long option, -h or -v
// (--help, --version or a wrong one), which needs no window system. Returns the exit status when the program
// is to end, nothing when it is to start.
std::optional<int> AnswerInformationOptions(int argc, char** argv);

// After the application object has taken Qt's own options (-platform, -style, …): refuses whatever
// is left beyond the program's name, and answers --help and --version.
std::optional<int> AnswerCommandLine(const QStringList& arguments);

}  // namespace quillory
