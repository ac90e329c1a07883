// Comma-separated tables of the study's event logs and reports: a field is
// quoted when it holds a comma, a quote or a line break, with its quotes
// doubled.
#pragma once

#include <string>
#include <vector>

std::string csvField(const std::string& text);
// The fields joined by commas, with the line break.
std::string csvRow(const std::vector<std::string>& fields);
// The rows of a table; a last row without its line break (cut off while
// being written) is left out.
std::vector<std::vector<std::string>> parseCsv(const std::string& text);
