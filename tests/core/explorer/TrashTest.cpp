#include <gtest/gtest.h>

#include "core/explorer/TempFolder.h"
#include "core/explorer/Trash.h"

namespace tervil::explorer {
namespace {

using testing::ReadAll;
using testing::TTempFolder;
namespace fs = std::filesystem;

// Names that are not valid UTF-8 go to the Trash by their bytes; a second file of the same
// name takes a free one; the record names the original path.
TEST(Trash, MovesByTheBytesOfTheNameAndKeepsARecord) {
  TTempFolder tmp;
  const std::string latin = "caf\xe9.txt";
  const std::string twin = "caf\xef\xbf\xbd.txt";
  tmp.Write("site/" + latin, "latin");
  tmp.Write("site/" + twin, "twin");
  const std::string trash = tmp / "Trash";
  std::string error;
  ASSERT_TRUE(MoveToTrash(tmp / ("site/" + latin), trash, &error)) << error;
  EXPECT_FALSE(fs::exists(tmp / ("site/" + latin)));
  EXPECT_EQ(ReadAll(tmp / ("site/" + twin)), "twin");
  EXPECT_EQ(ReadAll(trash + "/files/" + latin), "latin");
  const std::string record = ReadAll(trash + "/info/" + latin + ".trashinfo");
  EXPECT_NE(record.find("Path=" + (tmp / "site/caf%E9.txt") + "\n"), std::string::npos) << record;
  EXPECT_NE(record.find("DeletionDate="), std::string::npos);

  tmp.Write("site/" + latin, "again");
  ASSERT_TRUE(MoveToTrash(tmp / ("site/" + latin), trash, &error)) << error;
  EXPECT_EQ(ReadAll(trash + "/files/" + latin + ".2"), "again");
  EXPECT_EQ(ReadAll(trash + "/files/" + latin), "latin");
  EXPECT_TRUE(fs::exists(trash + "/info/" + latin + ".2.trashinfo"));

  EXPECT_FALSE(MoveToTrash(tmp / "site/missing", trash, &error));
  EXPECT_FALSE(fs::exists(trash + "/info/missing.trashinfo"));
}

}  // namespace
}  // namespace tervil::explorer
