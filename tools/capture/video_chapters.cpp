#include "video_chapters.h"

#include "capture.h"

namespace {

// ffmetadata takes '=', ';', '#', '\' and line ends literally only after a backslash.
std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '=' || c == ';' || c == '#' || c == '\\' || c == '\n') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

std::vector<VideoChapter> chaptersAtMarks(const std::vector<SceneMark>& marks, long firstFrame, long lastFrame,
                                          const FrameRate& fps) {
  std::vector<VideoChapter> chapters;
  long k = 0;
  for (const SceneMark& mark : marks) {
    // The marks come in increasing time, so the search goes on from the last.
    while (frameTime(k, fps) < mark.showTime) ++k;
    if (k > lastFrame) break;
    const long start = k <= firstFrame ? 0 : k - firstFrame;
    // Marks drawn first on one frame (or before the video's first frame): the
    // later one names it.
    if (!chapters.empty() && chapters.back().startFrame == start) chapters.pop_back();
    chapters.push_back({mark.name, start, 0});
  }
  const long frames = lastFrame - firstFrame + 1;
  for (size_t i = 0; i < chapters.size(); ++i) {
    chapters[i].endFrame = i + 1 < chapters.size() ? chapters[i + 1].startFrame : frames;
  }
  return chapters;
}

std::string ffmetadataText(const std::string& title, const std::vector<VideoChapter>& chapters, const FrameRate& fps) {
  std::string text = ";FFMETADATA1\ntitle=" + escaped(title) + "\n";
  // One tick of the time base is one frame.
  const std::string timeBase = std::to_string(fps.denominator) + "/" + std::to_string(fps.numerator);
  for (const VideoChapter& c : chapters) {
    text += "\n[CHAPTER]\nTIMEBASE=" + timeBase + "\nSTART=" + std::to_string(c.startFrame) +
            "\nEND=" + std::to_string(c.endFrame) + "\ntitle=" + escaped(c.title) + "\n";
  }
  return text;
}
