#include "rpc/publication.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace rpc {
namespace {

// Each test gets a runtime folder and an instance name of its own.
class PublicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/pellora-pub-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    ::setenv("XDG_RUNTIME_DIR", tmpl, 1);
    ::setenv("XDG_STATE_HOME", (dir_ / "state").c_str(), 1);
    ::setenv("PELLORA_INSTANCE", ("pub" + std::to_string(::getpid())).c_str(), 1);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    ::unsetenv("PELLORA_INSTANCE");
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("XDG_STATE_HOME");
  }
  std::filesystem::path dir_;
};

TEST_F(PublicationTest, OnlyOneClaimAtATime) {
  std::unique_ptr<Publication> first, second;
  std::string error;
  ASSERT_EQ(Publication::TryClaim(&first, &error), Publication::Claim::kClaimed) << error;
  EXPECT_EQ(Publication::TryClaim(&second, &error), Publication::Claim::kAlreadyRunning);
  first.reset();
  EXPECT_EQ(Publication::TryClaim(&second, &error), Publication::Claim::kClaimed);
}

TEST_F(PublicationTest, PublishedReferenceReadsBackAndGoesWithItsOwner) {
  std::unique_ptr<Publication> pub;
  std::string error;
  ASSERT_EQ(Publication::TryClaim(&pub, &error), Publication::Claim::kClaimed);
  EXPECT_FALSE(ReadPublication().has_value());
  ASSERT_TRUE(pub->Publish({dir_ / "x.sock", 4242}, &error)) << error;
  auto ref = ReadPublication();
  ASSERT_TRUE(ref.has_value());
  EXPECT_EQ(ref->socketPath, dir_ / "x.sock");
  EXPECT_EQ(ref->pid, 4242);
  pub.reset();
  EXPECT_FALSE(ReadPublication().has_value());
}

TEST_F(PublicationTest, AServerThatDiedLeavesAStalePublicationThatIsReplaced) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<Publication> pub;
    std::string error;
    if (Publication::TryClaim(&pub, &error) != Publication::Claim::kClaimed) ::_exit(1);
    if (!pub->Publish({"/nowhere/old.sock", ::getpid()}, &error)) ::_exit(2);
    ::_exit(0);  // dies without cleaning up
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_TRUE(ReadPublication().has_value());  // left behind

  std::unique_ptr<Publication> pub;
  std::string error;
  ASSERT_EQ(Publication::TryClaim(&pub, &error), Publication::Claim::kClaimed);
  ASSERT_TRUE(pub->Publish({dir_ / "new.sock", ::getpid()}, &error)) << error;
  EXPECT_EQ(ReadPublication()->socketPath, dir_ / "new.sock");
}

TEST_F(PublicationTest, ForeignOrBrokenBlocksAreNotReferences) {
  const auto path = PublicationPath();
  struct Case {
    const char* what;
    std::string bytes;
    mode_t mode;
  };
  const Case cases[] = {
      {"too short", "PelSrv01", 0600},
      {"no magic", std::string(512, 'x'), 0600},
      {"no path", std::string("PelSrv01") + std::string(504, '\0'), 0600},
      {"path without its end",
       std::string("PelSrv01") + std::string(8, '\0') + std::string(496, 'p'), 0600},
      {"readable by others",
       std::string("PelSrv01") + std::string(8, '\0') + "/a.sock" + std::string(489, '\0'), 0644},
  };
  for (const Case& c : cases) {
    ::unlink(path.c_str());
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, c.mode);
    ASSERT_GE(fd, 0);
    ::fchmod(fd, c.mode);
    ASSERT_EQ(::write(fd, c.bytes.data(), c.bytes.size()), static_cast<ssize_t>(c.bytes.size()));
    ::close(fd);
    EXPECT_FALSE(ReadPublication().has_value()) << c.what;
  }
  // Nothing but a regular file is read, and nothing is waited for.
  const std::string good =
      std::string("PelSrv01") + std::string(8, '\0') + "/a.sock" + std::string(489, '\0');
  ::unlink(path.c_str());
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_FALSE(ReadPublication().has_value()) << "a FIFO";
  ::unlink(path.c_str());
  const auto elsewhere = dir_ / "elsewhere";
  int fd = ::open(elsewhere.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_EQ(::write(fd, good.data(), good.size()), static_cast<ssize_t>(good.size()));
  ::close(fd);
  ASSERT_EQ(::symlink(elsewhere.c_str(), path.c_str()), 0);
  EXPECT_FALSE(ReadPublication().has_value()) << "a link";
}

TEST_F(PublicationTest, RuntimeFolderMustBePrivate) {
  ::chmod(dir_.c_str(), 0755);
  // Not private: the folder in the user's state folder is used instead, made private.
  const auto fallback = dir_ / "state" / "pellora";
  EXPECT_EQ(RuntimeFolder(), fallback);
  struct stat st {};
  ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ::chmod(fallback.c_str(), 0755);
  EXPECT_EQ(RuntimeFolder(), fallback);
  ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u) << "tightened again";
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(RuntimeFolder(), fallback);
  ::chmod(dir_.c_str(), 0700);
  ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  EXPECT_EQ(RuntimeFolder(), dir_);
}

}  // namespace
}  // namespace rpc
