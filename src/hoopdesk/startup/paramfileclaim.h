// A second start's hold on a "param.txt" that the running program has not taken yet. The file is
// renamed to a name of this process, so the running program's take (TParamFile::Read) finds
// nothing while it is held; it comes back to its own name either with this start's arguments
// added or, when that fails, as it was. Second starts are serialised by the start lock, so the
// running program's take is the only rename that competes with the claim.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class TParamFileClaim {
 public:
  // Claims the file at path. None when it cannot be claimed: when nothing is there any more (the
  // running program took it meanwhile) *error stays empty; otherwise *error says why.
  static std::optional<TParamFileClaim> Claim(const std::filesystem::path& path,
                                              std::string* error);

  TParamFileClaim(TParamFileClaim&& other) noexcept;
  // Gives back the file held so far, then holds other's.
  TParamFileClaim& operator=(TParamFileClaim&& other) noexcept;
  TParamFileClaim(const TParamFileClaim&) = delete;
  TParamFileClaim& operator=(const TParamFileClaim&) = delete;
  // A claim that was not merged gives the file back unchanged.
  ~TParamFileClaim();

  // Puts the file back holding its own arguments followed by args, written to a temporary name
  // and renamed into place. False, with *error, when that cannot be done: the file then goes
  // back as it was when the claim ends.
  bool Merge(const std::vector<std::string>& args, std::string* error);

 private:
  TParamFileClaim(std::filesystem::path path, std::filesystem::path claimed);
  void GiveBack();

  std::filesystem::path path_;
  std::filesystem::path claimed_;  // empty once the file is back under its own name
};
