#pragma once

// Checks shared by the generator tests: parsing generated markup with libxml2's HTML parser
// (xmllint --html) and checking that a generated table's cells tile its grid.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace tervil::test {

// The messages xmllint --html gives for a document (empty when it parses cleanly). The markup is
// placed in the body of a minimal page unless it is a whole page itself.
inline std::string HtmlParseErrors(const std::string& markup) {
  TTempDir dir;
  const std::string path = dir.File("generated.html");
  const bool wholePage = markup.rfind("<!DOCTYPE", 0) == 0 || markup.rfind("<html", 0) == 0;
  std::ofstream(path, std::ios::binary)
      << (wholePage ? markup
                    : "<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n" + markup +
                          "\n</body></html>\n");
  const std::string command = "xmllint --html --noout '" + path + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "xmllint could not be started";
  std::string output;
  std::array<char, 512> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
  const int status = ::pclose(pipe);
  if (status != 0 && output.empty())
    output = "xmllint failed with status " + std::to_string(status);
  return output;
}

// Lays out the table's cells as a browser does and reports the first fault: a row whose cells
// do not fill exactly `columns` columns, cells that overlap, or a cell spanning past the last row.
inline std::string TableLayoutFault(const std::string& table, int columns) {
  static const std::regex token(
      R"re(<tr>|</tr>|<td( colspan="(\d+)")?( rowspan="(\d+)")?></td>)re");
  std::vector<std::vector<bool>> grid;
  int row = -1;
  int column = 0;
  for (std::sregex_iterator it(table.begin(), table.end(), token), end; it != end; ++it) {
    const std::string tag = it->str();
    if (tag == "<tr>") {
      ++row;
      column = 0;
      if (static_cast<int>(grid.size()) <= row) grid.resize(row + 1, std::vector<bool>(columns));
      continue;
    }
    if (tag == "</tr>") continue;
    const int width = (*it)[2].matched ? std::stoi((*it)[2]) : 1;
    const int height = (*it)[4].matched ? std::stoi((*it)[4]) : 1;
    while (column < columns && grid[row][column]) ++column;
    if (column + width > columns) return "row " + std::to_string(row) + " overflows";
    if (static_cast<int>(grid.size()) < row + height)
      grid.resize(row + height, std::vector<bool>(columns));
    for (int r = row; r < row + height; ++r)
      for (int c = column; c < column + width; ++c) {
        if (grid[r][c]) return "cells overlap in row " + std::to_string(r);
        grid[r][c] = true;
      }
    column += width;
  }
  if (static_cast<int>(grid.size()) != row + 1) return "a cell spans past the last row";
  for (std::size_t r = 0; r < grid.size(); ++r)
    for (bool filled : grid[r])
      if (!filled) return "row " + std::to_string(r) + " has a hole";
  return {};
}

}  // namespace tervil::test
