#include "portlink/devicepath.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/datafolder.h"

namespace portlink {

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

std::string DevicePathFromConfig(const std::string& text, int comIndex) {
  const std::string key = "COM" + std::to_string(comIndex + 1);
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (EqualsNoCase(Trim(line.substr(0, eq)), key)) return Trim(line.substr(eq + 1));
  }
  return {};
}

std::string DevicePath(int comIndex) {
  const std::string var = "PELLORA_COM" + std::to_string(comIndex + 1);
  if (const char* env = std::getenv(var.c_str()); env && *env) return env;
  std::ifstream file(platform::DataPath("ports.conf"));
  if (file) {
    std::stringstream text;
    text << file.rdbuf();
    std::string path = DevicePathFromConfig(text.str(), comIndex);
    if (!path.empty()) return path;
  }
  return "/dev/ttyS" + std::to_string(comIndex);
}

}  // namespace portlink
