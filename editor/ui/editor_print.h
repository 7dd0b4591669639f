#pragma once

#include <string>

// A printed page: the header line with the path and "Page %d", a rule below
// it, then the text lines.
inline constexpr const char* kPrintRuler =
    "---------1---------2---------3---------4---------5---------6---------7---------8-";
inline constexpr int kPrintHeaderColumns = 81;
inline constexpr int kPrintPathLimit = 68;
inline constexpr int kPrintReservedLines = 7;

struct PrintLayoutType
{
    int linesPerPage = 1;
    int pageCount = 1;
};

// (printable height - 7 line heights) / line height lines per page, at least
// one; at least one page.
PrintLayoutType ComputePrintLayout(int lineCount, int printableHeight, int lineHeight);

// The header: the path (the title when the path is longer than 68
// characters, or when there is none) at the left, "Page %d" at the right,
// blanks between, 81 columns in all.
std::string PrintHeader(const std::string& path, const std::string& title, int page);
