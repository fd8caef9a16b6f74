// The facts the show starts from, and the loading they drive: one place for
// the live show, the capture tool and the whole-frame benchmark, so that all
// of them load the same show the same way and say the same about bad media.
#pragma once

#include <memory>
#include <string>

class DataController;
class Font;
class Picture;

inline constexpr char kResourceListName[] = "resinfo.rli";
inline constexpr char kShowTitle[] = "Pixelfolk enjoy dance!";
inline constexpr char kShowMusicFile[] = "demo.xm";
inline constexpr int kShowMusicRate = 44100;
inline constexpr int kShowMusicChannels = 32;
// The font: kShowFontColumns x kShowFontRows glyphs of kShowGlyphSide pixels
// square, cut from the list's first picture.
inline constexpr int kShowFontColumns = 16;
inline constexpr int kShowFontRows = 8;
inline constexpr int kShowGlyphSide = 32;
inline constexpr char kNoFontMessage[] = "Couldn't load font from Resource Manager!";

// Reads the resource list in the working directory and every picture and
// animation it names. Any error shows its message and ends the process with
// exit code 1.
std::unique_ptr<DataController> loadShowResources();

// Cuts the font from the list's first picture: 16 x 8 glyphs of 32 x 32
// pixels. Without a picture it says so in a message box, and the text is
// left out of the frames. A picture too small for the grid gets the font's
// own box, then fontSizeNote on standard error.
std::unique_ptr<Font> cutShowFont(DataController& data);

// The file the font is cut from, as the list names it; empty when the list
// names no picture.
std::string fontPicturePath(const char* listPath);

// For a font picture smaller than the grid: which file it is, how large it
// is and how large it must be, since the font's own box says neither.
// Empty when the picture fits or has no image.
std::string fontSizeNote(const std::string& path, const Picture& picture);

// The end of a start-up that ran out of memory: a message box, exit code 1.
[[noreturn]] void endForLackOfMemory();
