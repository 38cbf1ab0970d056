#include "bench/BenchStats.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

double NowMs() {
    static LARGE_INTEGER s_frequency;
    if (!s_frequency.QuadPart) QueryPerformanceFrequency(&s_frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(s_frequency.QuadPart);
}

double Median(std::vector<double> values) {
    values.erase(
        std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
        values.end());
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double MedianRatio(const std::vector<double>& num, const std::vector<double>& den) {
    std::vector<double> ratios;
    for (size_t i = 0; i < num.size() && i < den.size(); ++i)
        if (den[i] > 0 && !std::isnan(num[i])) ratios.push_back(num[i] / den[i]);
    return Median(ratios);
}

std::string FormatMs(double ms) {
    if (std::isnan(ms) || ms < 0) return "n/a";
    char text[32];
    if (ms < 10)
        snprintf(text, sizeof text, "%.2f ms", ms);
    else if (ms < 100)
        snprintf(text, sizeof text, "%.1f ms", ms);
    else if (ms < 1000)
        snprintf(text, sizeof text, "%.0f ms", ms);
    else
        snprintf(text, sizeof text, "%.2f s", ms / 1000);
    return text;
}

std::string FormatRatio(double ratio) {
    if (std::isnan(ratio)) return "n/a";
    char text[32];
    snprintf(text, sizeof text, ratio < 10 ? "%.2f" : "%.1f", ratio);
    return text;
}

std::string FormatKB(uint64_t bytes) {
    char text[32];
    snprintf(text, sizeof text, "%llu KB", static_cast<unsigned long long>((bytes + 512) / 1024));
    return text;
}

std::string FormatMB(uint64_t bytes) {
    char text[32];
    snprintf(text, sizeof text, "%.1f MB", double(bytes) / (1024.0 * 1024.0));
    return text;
}

namespace {
std::string Escaped(const std::string& cell) {
    std::string out;
    for (char c : cell) {
        if (c == '|') out += '\\';
        out += c == '\n' ? ' ' : c;
    }
    return out;
}

std::string Line(const std::vector<std::string>& cells, size_t width) {
    std::string line = "|";
    for (size_t i = 0; i < width; ++i)
        line += " " + (i < cells.size() ? Escaped(cells[i]) : std::string()) + " |";
    return line + "\n";
}
} // namespace

Table::Table(std::vector<std::string> header) : m_header(std::move(header)) {}

void Table::AddRow(std::vector<std::string> cells) {
    m_rows.push_back(std::move(cells));
}

std::string Table::Markdown() const {
    std::string out = Line(m_header, m_header.size()) + "|";
    for (size_t i = 0; i < m_header.size(); ++i)
        out += "---|";
    out += "\n";
    for (const auto& row : m_rows)
        out += Line(row, m_header.size());
    return out;
}

std::string GoalVerdict(bool measured, bool met) {
    return !measured ? "n/a" : met ? "met" : "missed";
}
