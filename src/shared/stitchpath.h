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

// A native design file's name: a base name and the extension ".10o" in any case.
bool IsNativeDesignName(std::string_view name);

class FolderNameCache;

// The file of the same base name with extension ext: the path ReplaceExtension gives when
// that file exists, else an entry in the same folder whose name differs from it only in the
// case of the extension ("STAR.10O" finds "STAR.00O"; of several such the byte-wise smallest,
// "STAR.AB" before "STAR.Ab"), else the ReplaceExtension path. The folder's listing comes from
// the program's one FolderNameCache, which this function owns.
std::string FindSiblingFile(std::string_view path, std::string_view ext);
// The same with the listings of the given cache.
std::string FindSiblingFile(std::string_view path, std::string_view ext, FolderNameCache& folders);
