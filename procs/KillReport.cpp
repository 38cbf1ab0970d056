#include "procs/KillReport.h"
#include "procs/ProcessText.h"
#include "win/Utf8.h"

std::string ReasonText(const CKillPass::Outcome& outcome) {
    switch (outcome.result) {
    case CKillPass::Ended:
        return "ended";
    case CKillPass::Gone:
        return "ended already";
    case CKillPass::SkippedSelf:
        return "skipped: Vantrel itself";
    case CKillPass::SkippedCritical:
        return "skipped: a critical system process";
    case CKillPass::Denied:
        if (outcome.dwError == 0 || outcome.dwError == ERROR_ACCESS_DENIED)
            return "refused: access denied";
        return "refused: " + SystemMessage(outcome.dwError);
    case CKillPass::NoWindow:
        return "not asked: it has no window (a console or background program, a service or a "
               "store app)";
    case CKillPass::PostRefused:
        return "not asked: Windows refused the close request (it runs at a higher level, as "
               "administrator)";
    case CKillPass::TimedOut:
        return "still running: asked to close, it did not within 5 seconds";
    case CKillPass::Hidden:
        return "still running: its windows closed, but it did not end (it may sit in the "
               "notification area)";
    }
    return "still running";
}

std::string OutcomeLine(const CKillPass::Outcome& outcome) {
    return outcome.strName + " (PID " + FormatPid(outcome.dwPID) + "): " + ReasonText(outcome);
}

std::string NotEndedLines(const std::vector<CKillPass::Outcome>& outcomes, size_t nMost) {
    std::string lines;
    std::vector<CKillPass::Outcome> rest;
    for (const CKillPass::Outcome& outcome : outcomes) {
        if (CKillPass::IsEnded(outcome.result)) continue;
        if (nMost > 0) {
            lines += "\n" + OutcomeLine(outcome);
            --nMost;
        } else {
            rest.push_back(outcome);
        }
    }
    // What does not fit is still counted by what became of it.
    if (!rest.empty())
        lines += "\n... and " + std::to_string(rest.size()) + " more: " + SummaryLine(rest);
    return lines;
}

size_t ProcessLinesThatFit(int cyScreen, int cyLine) {
    const int kWrap = 3;      // lines a process's line may take
    const int kOwnLines = 10; // the heading, the count of the rest, a question, the buttons
    if (cyLine <= 0) return 20;
    const int n = (cyScreen / cyLine - kOwnLines) / kWrap;
    return size_t(n < 3 ? 3 : n > 20 ? 20 : n);
}

std::string SummaryLine(const std::vector<CKillPass::Outcome>& outcomes) {
    int nEnded = 0, nGone = 0, nRefused = 0, nRunning = 0, nPassedOver = 0;
    for (const CKillPass::Outcome& outcome : outcomes) {
        switch (outcome.result) {
        case CKillPass::Ended:
            ++nEnded;
            break;
        case CKillPass::Gone:
            ++nGone; // not by this pass: it had ended before
            break;
        case CKillPass::Denied:
        case CKillPass::PostRefused:
            ++nRefused;
            break;
        case CKillPass::SkippedSelf:
        case CKillPass::SkippedCritical:
            ++nPassedOver;
            break;
        default:
            ++nRunning;
            break;
        }
    }
    std::string line;
    auto add = [&line](int n, const char* pszWhat) {
        if (n == 0) return;
        if (!line.empty()) line += ", ";
        line += std::to_string(n) + " " + pszWhat;
    };
    add(nEnded, "ended");
    add(nGone, "ended already");
    add(nRefused, "refused");
    add(nRunning, "still running");
    add(nPassedOver, "passed over");
    return line.empty() ? "Nothing to end" : line;
}
