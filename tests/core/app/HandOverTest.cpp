#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "core/app/HandOver.h"
#include "support/TempDir.h"

namespace tervil {
namespace {

TEST(HandOver, EncodedPathsDecodeInOrderWhateverTheChunking) {
  const std::vector<std::string> paths = {"/home/ann/a.php", "/tmp/with,comma:colon.html",
                                          "/x/\xC3\xA4\nnewline"};
  const std::string wire = EncodeHandOver(paths);
  for (size_t chunk : {size_t{1}, size_t{3}, wire.size()}) {
    THandOverDecoder decoder;
    std::vector<THandOverMessage> got;
    for (size_t i = 0; i < wire.size(); i += chunk) {
      ASSERT_TRUE(decoder.Feed(std::string_view(wire).substr(i, chunk)));
      for (auto& m : decoder.TakeMessages()) got.push_back(m);
    }
    ASSERT_EQ(got.size(), 4u);
    for (size_t i = 0; i < paths.size(); ++i) {
      EXPECT_EQ(got[i].kind, THandOverMessage::Open);
      EXPECT_EQ(got[i].path, paths[i]);
    }
    EXPECT_EQ(got[3].kind, THandOverMessage::Raise);
  }
}

TEST(HandOver, MalformedStreamsAreRejected) {
  for (const char* bad : {"x:abc,", "3:abcX", "0:,", "2:Zq,", "99999999999999999999999:"}) {
    THandOverDecoder decoder;
    EXPECT_FALSE(decoder.Feed(bad)) << bad;
    EXPECT_TRUE(decoder.TakeMessages().empty());
  }
}

TEST(HandOver, OnlyAbsolutePathsAreHandedOver) {
  THandOverDecoder decoder;
  const std::string nul("O/a\0b", 5);
  ASSERT_TRUE(decoder.Feed("10:Oindex.php,5:O../x,2:O/," + std::to_string(nul.size()) + ":" + nul +
                           ",1:R,"));
  const auto got = decoder.TakeMessages();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].kind, THandOverMessage::Open);
  EXPECT_EQ(got[0].path, "/");
  EXPECT_EQ(got[1].kind, THandOverMessage::Raise);
}

TEST(HandOver, NoEditorRunningWhenNobodyListens) {
  test::TTempDir dir;
  std::string error;
  EXPECT_EQ(SendHandOver(dir.File("none.sock"), {"/a"}, &error), THandOverResult::NoEditorRunning);
}

TEST(HandOver, DeliversToAListeningEditor) {
  test::TTempDir dir;
  const std::string path = dir.File("editor.sock");
  int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, path.c_str());
  ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(server, 4), 0);

  std::vector<THandOverMessage> received;
  std::thread editor([&] {
    int client = ::accept(server, nullptr, nullptr);
    THandOverDecoder decoder;
    char buffer[256];
    bool raised = false;
    while (!raised) {
      ssize_t n = ::read(client, buffer, sizeof buffer);
      if (n <= 0) break;
      decoder.Feed(std::string_view(buffer, static_cast<size_t>(n)));
      for (auto& m : decoder.TakeMessages()) {
        received.push_back(m);
        raised = m.kind == THandOverMessage::Raise;
      }
    }
    [[maybe_unused]] ssize_t w = ::write(client, "K", 1);
    ::close(client);
  });
  std::string error;
  EXPECT_EQ(SendHandOver(path, {"/one", "/two", "/three"}, &error), THandOverResult::Delivered);
  editor.join();
  ::close(server);
  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(received[0].path, "/one");
  EXPECT_EQ(received[2].path, "/three");
}

// An editor that takes the request and ends, or stays silent, before it reports the files open
// has not taken them: the sender learns which, and keeps them.
TEST(HandOver, AnEditorThatEndsOrStaysSilentHasNotTakenTheFiles) {
  for (const bool ends : {true, false}) {
    test::TTempDir dir;
    const std::string path = dir.File("editor.sock");
    int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, path.c_str());
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(server, 4), 0);
    std::thread editor([&] {
      int client = ::accept(server, nullptr, nullptr);
      char buffer[256];
      [[maybe_unused]] ssize_t n = ::read(client, buffer, sizeof buffer);
      if (!ends) std::this_thread::sleep_for(std::chrono::milliseconds(600));
      ::close(client);
    });
    std::string error;
    EXPECT_EQ(SendHandOver(path, {"/one"}, &error, 300),
              ends ? THandOverResult::EditorGone : THandOverResult::NoAnswer);
    editor.join();
    ::close(server);
  }
}

TEST(HandOver, SocketFolderMustBePrivate) {
  test::TTempDir dir;
  std::string error;
  const std::string sock = dir.File("run/editor.sock");
  EXPECT_TRUE(PrepareSocketDirectory(sock, &error)) << error;
  ::chmod(dir.File("run").c_str(), 0755);
  EXPECT_FALSE(PrepareSocketDirectory(sock, &error));
}

TEST(HandOver, ASocketPathTooLongForTheSystemIsRefused) {
  test::TTempDir dir;
  std::string error;
  const std::string sock = dir.File(std::string(120, 'r') + "/editor.sock");
  EXPECT_FALSE(SocketPathFits(sock));
  EXPECT_FALSE(PrepareSocketDirectory(sock, &error));
  EXPECT_NE(error.find("too long"), std::string::npos) << error;
  EXPECT_EQ(SendHandOver(sock, {"/a"}, &error), THandOverResult::Failed);
}

}  // namespace
}  // namespace tervil
