// The benchmark's figures: a monotonic clock, medians of repeated measurements, ratios of
// figures measured side by side, and the table they are printed in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Milliseconds on the performance counter; only differences mean anything.
double NowMs();

// The median of the values; NaN when there are none.
double Median(std::vector<double> values);

// The median of the ratios num[i] / den[i] of measurements taken as pairs, one right after the
// other; pairs with a missing or non-positive denominator are left out. NaN when no pair is
// left. Pairing keeps the load of the moment out of the ratio.
double MedianRatio(const std::vector<double>& num, const std::vector<double>& den);

// "0.84 ms", "12.3 ms", "456 ms", "1.23 s"; "n/a" for NaN or a negative time.
std::string FormatMs(double ms);
// "0.27", "1.40", "12.5"; "n/a" for NaN.
std::string FormatRatio(double ratio);
// Bytes as kilobytes of 1,024 bytes: "411 KB".
std::string FormatKB(uint64_t bytes);
// Bytes as megabytes of 1,048,576 bytes with one decimal: "12.3 MB".
std::string FormatMB(uint64_t bytes);

// One printed table in Markdown: a header row, then rows with as many cells. Pipes inside
// cells are escaped so that a cell never splits.
class Table {
  public:
    explicit Table(std::vector<std::string> header);
    void AddRow(std::vector<std::string> cells);
    std::string Markdown() const;
    size_t Rows() const { return m_rows.size(); }

  private:
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
};

// "met" or "missed" for a goal, or "n/a" when the figure could not be measured.
std::string GoalVerdict(bool measured, bool met);
