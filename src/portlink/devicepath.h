#pragma once

#include <filesystem>
#include <string>

// Which device a COM index opens: $PELLORA_COM<n> when set (n = index + 1), else a line
// "COM<n>=<path>" in the data folder's "ports.conf", else /dev/ttyS<index>.
namespace portlink {

std::string DevicePath(int comIndex);

// The "COM<n>=<path>" lookup in one configuration text; empty when the port is not listed.
std::string DevicePathFromConfig(const std::string& text, int comIndex);

}  // namespace portlink
