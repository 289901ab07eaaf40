#pragma once

// The two-column key/value grid that shows the attributes of the tag at the caret. The HTML
// attribute window supplies a widget behind this interface; the tag engine only fills it.

#include <cstdint>
#include <string>
#include <vector>

namespace tervil {

// How an attribute's value is edited: typed, chosen with a button that shows an ellipsis (a file
// or an address), or picked from a drop-down list.
enum TAttrEditStyle : std::uint8_t { esNone = 0, esEllipsis = 1, esPickList = 2 };

class TAttributeGrid {
 public:
  virtual ~TAttributeGrid() = default;

  // Removes every data row.
  virtual void Clear() = 0;
  // Data rows are numbered from 0.
  virtual int RowCount() const = 0;
  virtual std::string Key(int row) const = 0;
  virtual std::string Value(int row) const = 0;
  virtual void SetValue(int row, const std::string& value) = 0;
  // Appends a plain, writable row without a drop-down list and returns its number.
  virtual int AppendRow(const std::string& key, const std::string& value) = 0;
  virtual void SetEditStyle(int row, TAttrEditStyle style) = 0;
  virtual void SetReadOnly(int row, bool readOnly) = 0;
  virtual void SetPickList(int row, const std::vector<std::string>& values) = 0;

  // Whether the grid reports value changes to its owner. The engine switches it off while it
  // fills the grid, so that filling is not taken for the user's editing.
  virtual bool ChangeNotification() const = 0;
  virtual void SetChangeNotification(bool enabled) = 0;
};

}  // namespace tervil
