// CProcessRows: what the process list shows, without a window. One row per name and path (the
// first process met shows its id and figures; every id of that name and path is kept), the
// order the user chose, and the key that finds a row's process again after a refresh.
#pragma once

#include "procs/ProcessCore.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct ProcessRow {
    std::string name, path;  // upper case; the path is empty when it could not be learnt
    DWORD dwPID;             // the process the row shows: the first met
    std::vector<DWORD> pids; // every process of this name and path, the shown one first
    LONG lBasePriority;
    DWORD dwPriorityClass;
    DWORD dwThreads;
    bool bAccessible; // false: the process could not be opened to learn its path
};

// What the path column shows for a process that could not be opened: by Vantrel running as
// administrator, and otherwise (when running so might help).
extern const char kNotAccessibleText[];
extern const char kNotAccessibleAsUserText[];

class CProcessRows {
  public:
    // The columns: name, PID, base priority, threads, path.
    static const int kColumnCount = 5;

    void Clear();
    // Adds a record as a row; a record whose name and path have a row already only adds its
    // id to that row. A process that could not be opened has no known path: it gets a row of
    // its own. True when a row was added.
    bool Add(const ProcessRecord& record);
    size_t Count() const { return m_rows.size(); }
    const ProcessRow& operator[](size_t nRow) const { return m_rows[nRow]; }

    // Sorts by a column from now on; the column already sorted by is reversed. False for a
    // column that does not exist.
    bool SortBy(int nColumn);
    int SortColumn() const { return m_nSortColumn; }
    bool IsSortDescending() const { return m_bSortDescending; }
    // Whether row a comes before row b in the chosen order; equal rows keep the order in
    // which they were listed.
    bool Before(size_t a, size_t b) const;
    // Every row's index, in the chosen order.
    std::vector<size_t> Ordered() const;

    // What identifies a row's process over a refresh: its id under its name.
    typedef std::pair<DWORD, std::string> Key;
    static Key KeyOf(const ProcessRow& row) { return Key(row.dwPID, row.name); }
    // The texts of a row's cells, column by column; a path that could not be learnt says so,
    // and unless Vantrel runs as administrator, that running so might show it.
    static std::string CellText(const ProcessRow& row, int nColumn, bool bAdministrator);

  private:
    std::vector<ProcessRow> m_rows;
    std::unordered_map<std::string, size_t> m_index; // name + '\n' + path -> row
    int m_nSortColumn = 0;
    bool m_bSortDescending = false;
};
