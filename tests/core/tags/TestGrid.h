#pragma once

#include <string>
#include <vector>

#include "core/tags/TagAttributeGrid.h"

namespace tervil {

// An attribute grid in memory that counts what is done to it.
class TTestGrid : public TAttributeGrid {
 public:
  struct Row {
    std::string key;
    std::string value;
    TAttrEditStyle style = esNone;
    bool readOnly = false;
    std::vector<std::string> pickList;

    friend bool operator==(const Row&, const Row&) = default;
  };

  void Clear() override {
    Changed();
    ++clears;
    rows.clear();
  }
  int RowCount() const override { return static_cast<int>(rows.size()); }
  std::string Key(int row) const override { return rows.at(row).key; }
  std::string Value(int row) const override { return rows.at(row).value; }
  void SetValue(int row, const std::string& value) override {
    Changed();
    ++setValues;
    rows.at(row).value = value;
  }
  int AppendRow(const std::string& key, const std::string& value) override {
    Changed();
    rows.push_back({key, value, esNone, false, {}});
    return RowCount() - 1;
  }
  void SetEditStyle(int row, TAttrEditStyle style) override { rows.at(row).style = style; }
  void SetReadOnly(int row, bool readOnly) override { rows.at(row).readOnly = readOnly; }
  void SetPickList(int row, const std::vector<std::string>& values) override {
    rows.at(row).pickList = values;
  }
  bool ChangeNotification() const override { return notify_; }
  void SetChangeNotification(bool enabled) override { notify_ = enabled; }

  std::vector<Row> rows;
  int clears = 0;
  int setValues = 0;
  int changesWhileNotifying = 0;

 private:
  void Changed() {
    if (notify_) ++changesWhileNotifying;
  }
  bool notify_ = true;
};

}  // namespace tervil
