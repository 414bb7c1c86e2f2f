// Frame layouts: the grid loader reads any file into an 11-column grid of
// one row per line, and what the display reads of the cells converts or is
// refused without harm.
#include <fstream>

#include "common/Main.h"
#include "editor/FileFormats.h"
#include "fuzz/fuzz.h"
#include "platform/convert.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"
#include "platform/ui/grid_model.h"

namespace {

bool Run(std::string_view input) {
  const std::string path = fuzz::WorkFolder() + "Layout.frm";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(input.data(), static_cast<std::streamsize>(input.size()));
  }
  const std::size_t lines = plat::io::ReadLines(path).size();
  plat::ui::GridModel grid;
  try {
    LoadCsvIntoGrid(path, grid);
  } catch (const plat::io::IoError&) {
    fuzz::Check(lines == 0, "a file of lines was refused");
    return false;
  }
  fuzz::Check(grid.ColCount() == 11 && grid.RowCount() == static_cast<int>(lines), "grid size");
  for (int r = 0; r < grid.RowCount(); ++r) {
    std::vector<std::string> cells;
    for (int c = 0; c < grid.ColCount(); ++c) {
      const std::string& cell = grid.Cell(c, r);
      fuzz::Check(plat::io::utf8::IsValid(cell), "cell is not UTF-8");
      fuzz::Check(cell.find_first_of(",\"") == std::string::npos, "cell holds a separator");
      if (c < 10) cells.push_back(cell);
    }
    for (int c : {flTop, flLeft, flWidth, flHeight}) plat::TryStrToInt(grid.Cell(c, r));
    plat::TryStrToInt("$" + grid.Cell(flColor, r));
    const std::string line = FormatFrameLayoutLine(cells, r);
    fuzz::Check(SplitLine(line, ',', false, false).Count() == 11, "formatted row has not 11 cells");
  }
  fuzz::Check(AppliedFrameLayoutRows(grid.RowCount()) <= grid.RowCount(), "applied rows");
  return grid.RowCount() > 2;
}

const bool kRegistered = fuzz::Register({
    "layout_line",
    {",", "\r\n", "\n", "\"", ",-,", "Frame1,", "00201010", "1", "0", ",,,,,,,,,,", "\xC3\xA4", "\xE4", "\xEF\xBB\xBF",
     "\xFF\xFE"},
    nullptr,
    Run,
});

}  // namespace
