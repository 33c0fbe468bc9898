#include "hoopdesk/startup/paramfileclaim.h"

#include <cerrno>
#include <cstdio>
#include <utility>

#include "hoopdesk/startup/paramfile.h"
#include "platform/fileutil.h"
#include "platform/lasterror.h"

namespace {

std::string Reason(const std::string& what, const std::filesystem::path& path, int code) {
  return what + " " + path.string() + ": " + platform::SystemErrorText(code);
}

}  // namespace

std::optional<TParamFileClaim> TParamFileClaim::Claim(const std::filesystem::path& path,
                                                      std::string* error) {
  error->clear();
  const std::filesystem::path claimed = TParamFile::PrivateName(path, "claim");
  if (::rename(path.c_str(), claimed.c_str()) != 0) {
    if (errno != ENOENT) *error = Reason("cannot claim the unread", path, errno);
    return std::nullopt;
  }
  return TParamFileClaim(path, claimed);
}

TParamFileClaim::TParamFileClaim(std::filesystem::path path, std::filesystem::path claimed)
    : path_(std::move(path)), claimed_(std::move(claimed)) {}

TParamFileClaim::TParamFileClaim(TParamFileClaim&& other) noexcept
    : path_(std::move(other.path_)), claimed_(std::exchange(other.claimed_, {})) {}

TParamFileClaim& TParamFileClaim::operator=(TParamFileClaim&& other) noexcept {
  if (this != &other) {
    GiveBack();
    path_ = std::move(other.path_);
    claimed_ = std::exchange(other.claimed_, {});
  }
  return *this;
}

TParamFileClaim::~TParamFileClaim() { GiveBack(); }

void TParamFileClaim::GiveBack() {
  if (!claimed_.empty()) TParamFile::PutBack(claimed_, path_);
  claimed_.clear();
}

bool TParamFileClaim::Merge(const std::vector<std::string>& args, std::string* error) {
  const auto data = platform::ReadFileBytes(claimed_, TParamFile::kMaxFileSize);
  if (!data) {
    *error = Reason("cannot read the unread", path_, platform::GetLastError());
    return false;
  }
  std::vector<std::string> merged = TParamFile::Decode(*data);
  merged.insert(merged.end(), args.begin(), args.end());
  if (merged.size() > TParamFile::kMaxArguments) {
    *error = "the unread " + path_.string() + " has no room for " + std::to_string(args.size()) +
             " more arguments";
    return false;
  }
  if (!TParamFile::Write(path_, merged)) {
    *error = Reason("cannot write", path_, platform::GetLastError());
    return false;
  }
  platform::RemoveFile(claimed_);
  claimed_.clear();
  return true;
}
