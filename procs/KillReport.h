// The words for what became of the processes a kill pass touched - a reason per process and a
// one-line summary - shared by the window, the command line and the tests.
#pragma once

#include "procs/KillPass.h"
#include "win/SystemMessage.h"

#include <string>
#include <vector>

// Why a process did or did not end, in plain words ("ended", "refused: access denied", ...).
std::string ReasonText(const CKillPass::Outcome& outcome);
// One process and its reason: "NAME (PID 1A4): reason", the PID as the list shows it.
std::string OutcomeLine(const CKillPass::Outcome& outcome);
// A line for each process that was not ended, each after a line break; "" when all were.
// After nMost such lines the others are counted in one line by what became of them, so that
// a box stays shorter than the screen (a pass over a whole selection may be refused often).
std::string NotEndedLines(const std::vector<CKillPass::Outcome>& outcomes, size_t nMost = 20);
// How many processes a box may name on a screen cyScreen pixels high whose text lines are
// cyLine high: a line may wrap to three in a narrow box, and the box has its own lines and
// buttons. At least 3, at most 20.
size_t ProcessLinesThatFit(int cyScreen, int cyLine);
// The pass in one line: "3 ended, 1 ended already, 1 refused, 2 still running, 1 passed
// over" ("ended already": before the pass came to it); "Nothing to end" when the pass touched
// no process.
std::string SummaryLine(const std::vector<CKillPass::Outcome>& outcomes);
