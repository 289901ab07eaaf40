#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/preview/PreviewRules.h"
#include "core/process/CommandLine.h"

namespace tervil {
namespace {

TEST(PreviewRules, KindByExtension) {
  const std::pair<const char*, TPreviewKind> cases[] = {
      {"/w/index.html", TPreviewKind::Markup}, {"/w/a.HTM", TPreviewKind::Markup},
      {"/w/pic.svg", TPreviewKind::Markup},    {"/w/feed.xml", TPreviewKind::Markup},
      {"/w/page.php", TPreviewKind::Php},      {"/w/old.phtml", TPreviewKind::Php},
      {"/w/site.css", TPreviewKind::Asset},    {"/w/app.js", TPreviewKind::Asset},
      {"/w/notes.txt", TPreviewKind::None},    {"Unnamed 1", TPreviewKind::None},
      {"/w.html/readme", TPreviewKind::None},  {"/w/x.php.bak", TPreviewKind::None},
  };
  for (const auto& [path, kind] : cases) EXPECT_EQ(PreviewKindOf(path), kind) << path;
  EXPECT_TRUE(IsPhpPage("/a/b.php5"));
  EXPECT_FALSE(IsPhpPage("/a/b.html"));
}

TEST(PreviewRules, BaseFolderAndResolving) {
  EXPECT_EQ(PreviewBaseFolder("/home/ann/site/index.html"), "/home/ann/site/");
  EXPECT_EQ(PreviewBaseFolder("/index.html"), "/");
  EXPECT_EQ(PreviewBaseFolder("Unnamed 2"), "");
  EXPECT_EQ(ResolvePath("/a/b/", "../c/./d.css"), "/a/c/d.css");
  EXPECT_EQ(ResolvePath("/a/b/", "/x/y.css"), "/x/y.css");
  EXPECT_EQ(ResolvePath("/a/", "../../../z"), "/z");  // never above the root
}

TEST(PreviewRules, LinkedAssetsAreTheLocalStylesheetsAndScripts) {
  const std::string html = R"(<html><head>
<LINK rel="stylesheet" HREF="css/site.css?v=2">
<link rel=stylesheet href=../shared/base.css>
<link rel="icon" href="http://example.com/x.ico">
<script src='js/app.js#top'></script><script>var a = "<link href=no.css>";</script>
<style>@import url("print.css"); @import 'my%20theme.css';</style>
<link href="//cdn.example.com/lib.css"><link href="data:text/css,a{}">
<link href="file:///etc/abs.css"><Xlink href="not-a-link.css"><linkx href="nor.css">
</head></html>)";
  const std::vector<std::string> expected = {
      "/site/pages/css/site.css", "/site/shared/base.css", "/site/pages/js/app.js",
      "/site/pages/no.css",       "/etc/abs.css",          "/site/pages/print.css",
      "/site/pages/my theme.css"};
  EXPECT_EQ(LinkedAssets(html, "/site/pages/index.html"), expected);
  EXPECT_TRUE(UsesAsset(html, "/site/pages/index.html", "/site/shared/base.css"));
  EXPECT_TRUE(UsesAsset(html, "/site/pages/index.html", "/site/pages/./css/site.css"));
  EXPECT_FALSE(UsesAsset(html, "/site/pages/index.html", "/site/pages/not-a-link.css"));
  // An untitled page has no folder: only absolute addresses name files.
  EXPECT_EQ(LinkedAssets(html, "Unnamed 1"), (std::vector<std::string>{"/etc/abs.css"}));
  // Broken markup ends the search without harm.
  EXPECT_TRUE(LinkedAssets("<link href=\"a.css", "/s/i.html").empty());
  EXPECT_TRUE(LinkedAssets("@import", "/s/i.html").empty());
}

TEST(PreviewRules, ServerCommandLineServesTheFolderOnTheLoopbackAddress) {
  const std::string line = PhpServerCommandLine("/opt/my php/php", 8123, "/home/a b/site");
  EXPECT_EQ(SplitCommandLine(line),
            (std::vector<std::string>{"/opt/my php/php", "-d", "opcache.enable=0", "-d",
                                      "max_execution_time=10", "-S", "127.0.0.1:8123", "-t",
                                      "/home/a b/site"}));
}

TEST(PreviewRules, AFreePortIsFreeAndATakenOneAccepts) {
  const int port = FindFreePort();
  ASSERT_GT(port, 0);
  EXPECT_FALSE(PortAccepts(port));
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(::listen(fd, 1), 0);
  EXPECT_TRUE(PortAccepts(port));
  ::close(fd);
  EXPECT_FALSE(PortAccepts(0));
}

}  // namespace
}  // namespace tervil
