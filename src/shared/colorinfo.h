#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wintypes.h"

// One thread colour of a palette.
struct TSTITCH_COLOR {
  COLORREF Color = 0;
  std::uint8_t Flag = 0;  // 1: colour matching may choose this entry
  std::string Label;      // the operator's name for the thread
  std::string Note;       // copied with the entry, never loaded or saved
};

// Blue, green and red of one entry, in that order.
struct TRGBValues {
  std::int32_t Blue = 0;
  std::int32_t Green = 0;
  std::int32_t Red = 0;
  friend bool operator==(const TRGBValues&, const TRGBValues&) = default;
};

// Number of built-in colours; entries from this index on default to black.
inline constexpr int kBuiltinColorCount = 60;

// The built-in colour of entry i (0 from kBuiltinColorCount on and for negative i).
COLORREF BuiltinColor(int i);

// One thread palette, kept as one section of the colour-table file "SysColor.dat".
// Indexes outside 0..count-1 are ignored by every operation unless said otherwise.
class TColorInfo {
 public:
  void SetFileName(std::string path) { FileName = std::move(path); }
  const std::string& GetFileName() const { return FileName; }
  const std::string& GetSection() const { return Section; }

  // Replaces the entries with `count` entries of `section`; a missing file or section gives
  // the built-in colours. Leaves the modified flag as it was.
  void LoadColors(std::string section, int count);
  // Writes every entry into the remembered section when the palette is modified and drops
  // entry keys beyond the last entry. True only when the file was written; on failure the
  // modified flag stays set so nothing is lost.
  bool SaveColors();

  bool IsModified() const { return Modified != 0; }

  int GetCount() const { return static_cast<int>(Entries.size()); }
  COLORREF GetColor(int i) const;
  TRGBValues GetRGB(int i) const;
  void SetColor(int i, COLORREF color);
  bool GetFlag(int i) const;  // false for an invalid index
  void SetFlag(int i, bool flag);
  std::string GetLabel(int i) const;
  void SetLabel(int i, std::string text);
  // A copy of entry i; an empty entry for an invalid index.
  TSTITCH_COLOR GetEntry(int i) const;

  // Inserts a copy of `entry` before `at` and returns `at`; at < 0 appends and returns the
  // new index; at >= count changes nothing and returns `at`.
  int Insert(int at, const TSTITCH_COLOR& entry);
  // Removes entry i and returns the new count.
  int Delete(int i);
  // Moves entry `from` so that it ends up before the entry that was at `to` (0 <= to <= count).
  bool Move(int from, int to);

 private:
  bool Valid(int i) const { return i >= 0 && i < GetCount(); }

  std::uint8_t Modified = 0;
  std::string Section;
  std::string FileName;
  std::vector<TSTITCH_COLOR> Entries;
};

// Splits a colour value into its fields: quoted fields run to the matching quote ("" inside
// stands for one quote), others to the next comma, space or control character.
std::vector<std::string> SplitColorFields(std::string_view value);

// Parses one colour value; none when it has fewer than three fields.
std::optional<TSTITCH_COLOR> ParseColorValue(std::string_view value);

// Formats one entry as r,g,b,flag,"label". A quote in the label is doubled and a line break
// becomes a space, so any label reads back from one line; plain labels are written unchanged.
std::string FormatColorValue(const TSTITCH_COLOR& entry);

// Section of "SysColor.dat" that holds the palette of the machine on serial device number
// devNo (0-based): "MacColor" followed by devNo + 1.
std::string SerialColorSection(int devNo);

// Section of "SysColor.dat" that holds the palette of a machine reached over TCP/IP, made from
// its name as it arrives from outside (discovery, the server's Connect). The name is used
// unchanged when it is a plain host name: letters, digits, ".", "-" and "_" only, and not
// "SysColor" or anything beginning with "MacColor" (in any case). Any other name becomes "%"
// followed by the name with every other byte written as "%" and two upper-case hex digits, so
// it can neither break the file nor meet the system or serial sections or another machine's
// section. An empty name gives "1". Names that differ only in letter case share a section, as
// host names do.
std::string NetworkColorSection(std::string_view hostName);

// Swatches: a thread colour shown as a tinted grey icon.

// The grey icon the desktop program draws swatches from (32 x 32, 32 bits per pixel).
inline constexpr int kSwatchIconId = 135;
// Background value that asks for the button-face colour.
inline constexpr std::int32_t kButtonFaceBackground = -1;
inline constexpr COLORREF kButtonFaceColor = RGB(240, 240, 240);

// A 32-bit-per-pixel image owned by its holder: rows top-down, each pixel blue, green, red,
// alpha.
struct TSwatchBitmap {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;  // Width * Height * 4 bytes
};

// The pixels of a built-in icon: rows bottom-up, each pixel blue, green, red, alpha.
struct TIconBits {
  const std::uint8_t* Bits = nullptr;
  int Width = 0;
  int Height = 0;
};

// The first image of icon `iconId` when it has 32 bits per pixel; none otherwise.
std::optional<TIconBits> FindIconBits(int iconId);

// The icon tinted with `color`: grey 128 shows the colour itself, darker greys darken it,
// lighter ones lighten it toward white; transparent pixels take the background (the colour as
// given when marked, else `background`, kButtonFaceBackground for the button face) and
// partly transparent ones are blended with it. Marked swatches use the inverted colour.
// A missing icon gives an empty 32 x 32 bitmap.
TSwatchBitmap MakeColorSwatch(int iconId, COLORREF color, std::int32_t background, bool marked);

// The same from given icon pixels.
TSwatchBitmap MakeSwatchFromIcon(const TIconBits& icon, COLORREF color, std::int32_t background,
                                 bool marked);
