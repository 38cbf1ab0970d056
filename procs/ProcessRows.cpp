#include "procs/ProcessRows.h"
#include "procs/ProcessText.h"

#include <algorithm>

const char kNotAccessibleText[] = "(not accessible)";
const char kNotAccessibleAsUserText[] = "(not accessible: run Vantrel as administrator to see it)";

void CProcessRows::Clear() {
    m_rows.clear();
    m_index.clear();
}

bool CProcessRows::Add(const ProcessRecord& record) {
    ProcessRow row;
    row.name = UpperCase(record.name);
    row.path = UpperCase(record.path);
    row.bAccessible = record.bOpened || !record.path.empty();
    // Processes whose path is unknown (not to be opened, or a path too long for the library)
    // are not known to be one program: one row each.
    const std::string key =
        row.name + '\n' + (!row.path.empty() ? row.path : "\n" + std::to_string(record.dwPID));
    const auto placed = m_index.emplace(key, m_rows.size());
    if (!placed.second) {
        // One row per name and path: the first process met keeps it.
        m_rows[placed.first->second].pids.push_back(record.dwPID);
        return false;
    }
    row.dwPID = record.dwPID;
    row.pids.push_back(record.dwPID);
    row.lBasePriority = record.lBasePriority;
    row.dwPriorityClass = record.dwPriorityClass;
    row.dwThreads = record.dwThreads;
    m_rows.push_back(std::move(row));
    return true;
}

bool CProcessRows::SortBy(int nColumn) {
    if (nColumn < 0 || nColumn >= kColumnCount) return false;
    // A second click on the same column reverses the order.
    m_bSortDescending = nColumn == m_nSortColumn ? !m_bSortDescending : false;
    m_nSortColumn = nColumn;
    return true;
}

bool CProcessRows::Before(size_t a, size_t b) const {
    if (a >= m_rows.size() || b >= m_rows.size()) return a < b;
    const ProcessRow& x = m_rows[a];
    const ProcessRow& y = m_rows[b];
    int order = 0;
    switch (m_nSortColumn) {
    case 1:
        order = x.dwPID < y.dwPID ? -1 : x.dwPID > y.dwPID;
        break;
    case 2:
        order = x.lBasePriority < y.lBasePriority ? -1 : x.lBasePriority > y.lBasePriority;
        break;
    case 3:
        order = x.dwThreads < y.dwThreads ? -1 : x.dwThreads > y.dwThreads;
        break;
    case 4:
        order = CompareNames(x.path, y.path);
        break;
    default:
        order = CompareNames(x.name, y.name);
        break;
    }
    if (m_bSortDescending) order = -order;
    return order != 0 ? order < 0 : a < b;
}

std::vector<size_t> CProcessRows::Ordered() const {
    std::vector<size_t> order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [this](size_t a, size_t b) { return Before(a, b); });
    return order;
}

std::string CProcessRows::CellText(const ProcessRow& row, int nColumn, bool bAdministrator) {
    switch (nColumn) {
    case 0:
        return row.name;
    case 1:
        return FormatPid(row.dwPID);
    case 2:
        return FormatBasePriority(row.lBasePriority, row.dwPriorityClass);
    case 3:
        return std::to_string(row.dwThreads);
    default:
        if (row.bAccessible) return row.path;
        return bAdministrator ? kNotAccessibleText : kNotAccessibleAsUserText;
    }
}
