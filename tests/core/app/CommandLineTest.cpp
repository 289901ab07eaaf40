#include <gtest/gtest.h>

#include "core/app/CommandLine.h"

namespace tervil {
namespace {

struct CommandLineCase {
  std::vector<std::string> arguments;
  TCommandLine::Action action;
  std::vector<std::string> files;
};

TEST(CommandLine, OptionsAndFileNames) {
  const std::vector<CommandLineCase> cases = {
      {{}, TCommandLine::Run, {}},
      {{"index.php", "../css/a b.css"}, TCommandLine::Run, {"index.php", "../css/a b.css"}},
      {{"--help"}, TCommandLine::Help, {}},
      {{"-h", "index.php"}, TCommandLine::Help, {"index.php"}},
      {{"--version"}, TCommandLine::Version, {}},
      {{"--version", "--help"}, TCommandLine::Help, {}},
      {{"--", "-x.php", "--help", "--"}, TCommandLine::Run, {"-x.php", "--help", "--"}},
      {{"a.php", "--", "--version"}, TCommandLine::Run, {"a.php", "--version"}},
      {{"-"}, TCommandLine::Run, {"-"}},
      {{"--frobnicate", "a.php"}, TCommandLine::Error, {}},
      {{"-x.php"}, TCommandLine::Error, {}},
      {{"--help", "-q"}, TCommandLine::Error, {}},
      {{"--help=yes"}, TCommandLine::Error, {}},
      {{"-style", "fusion"}, TCommandLine::Error, {}},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto& a : c.arguments) shown += "[" + a + "]";
    const TCommandLine parsed = ParseCommandLine(c.arguments);
    EXPECT_EQ(parsed.action, c.action) << shown;
    EXPECT_EQ(parsed.files, c.files) << shown;
    EXPECT_EQ(parsed.message.empty(), c.action != TCommandLine::Error) << shown;
  }
}

TEST(CommandLine, TheErrorNamesTheFirstUnknownOptionOnOneLine) {
  const TCommandLine parsed = ParseCommandLine({"a.php", "--colour", "-z"});
  EXPECT_EQ(parsed.message, "unknown option '--colour'");
  EXPECT_EQ(parsed.message.find('\n'), std::string::npos);
}

TEST(CommandLine, VersionTextNamesTheProgramAndItsVersion) {
  EXPECT_EQ(VersionText(), std::string("Tervil Editor ") + TervilVersion() + "\n");
  EXPECT_STRNE(TervilVersion(), "");
  EXPECT_NE(HelpText("tervil").find("--version"), std::string::npos);
}

}  // namespace
}  // namespace tervil
