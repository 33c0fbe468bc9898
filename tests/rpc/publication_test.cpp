#include "rpc/publication.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
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
    ::setenv("PELLORA_INSTANCE", ("pub" + std::to_string(::getpid())).c_str(), 1);
  }
  void TearDown() override {
    ::shm_unlink(PublicationName().c_str());
    std::filesystem::remove_all(dir_);
    ::unsetenv("PELLORA_INSTANCE");
    ::unsetenv("XDG_RUNTIME_DIR");
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
  const std::string name = PublicationName();
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
    ::shm_unlink(name.c_str());
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, c.mode);
    ASSERT_GE(fd, 0);
    ::fchmod(fd, c.mode);
    ASSERT_EQ(::write(fd, c.bytes.data(), c.bytes.size()), static_cast<ssize_t>(c.bytes.size()));
    ::close(fd);
    EXPECT_FALSE(ReadPublication().has_value()) << c.what;
  }
}

TEST_F(PublicationTest, RuntimeFolderMustBePrivate) {
  ::chmod(dir_.c_str(), 0755);
  // Not private: the fallback folder under /tmp is used instead.
  EXPECT_NE(RuntimeFolder(), dir_);
  ::chmod(dir_.c_str(), 0700);
  EXPECT_EQ(RuntimeFolder(), dir_);
}

}  // namespace
}  // namespace rpc
