#pragma once

#include <string>
#include <string_view>

// Extension rules for design files. The extension starts at the last "." that comes after
// every "/", "\" and ":" of the path.

// The path's extension with its dot, in lower case; empty when it has none.
std::string FileExtension(std::string_view path);

// The path with its extension replaced by ext (given with its dot), or ext appended when
// the path has none.
std::string ReplaceExtension(std::string_view path, std::string_view ext);

// The file of the same base name with extension ext: the path ReplaceExtension gives when
// that file exists, else a file in the same folder whose name differs only in the case of
// the extension ("STAR.10O" finds "STAR.00O"), else the ReplaceExtension path.
std::string FindSiblingFile(std::string_view path, std::string_view ext);
