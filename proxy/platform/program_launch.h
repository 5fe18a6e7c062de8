#pragma once

#include "proxy/platform/win_types.h"

#include <QString>
#include <QStringList>

namespace ql {

// Results of LaunchProgram below 32 are errors, as a program start reports them:
constexpr UINT kLaunchOutOfResources = 0; // the process could not be created
constexpr UINT kLaunchFileNotFound = 2;   // no such program
constexpr UINT kLaunchPathNotFound = 3;   // the program's folder does not exist
constexpr UINT kLaunchBadFormat = 11;     // the file is not an executable program
// The result of a program that was started.
constexpr UINT kLaunchStarted = 33;

// Starts the program that a command line names and returns at once, without waiting for it;
// the stand-in for starting a program with a command line. No shell runs: the line is split
// into words at blanks, and double quotes keep blanks inside a word ("a b" is one word, """
// a quote). The first word is the program: a path (its "\" taken as "/"), or a name looked up
// in PATH. The program starts in the current directory, detached from this process.
UINT LaunchProgram(const QString &commandLine);
// The same, with arguments added after the command line's words as they are: a blank or a
// quote in one of them never splits it.
UINT LaunchProgramWith(const QString &commandLine, const QStringList &arguments);

} // namespace ql
