// A video's chapters at the show's scene changes, and the ffmetadata text
// that hands them and the title to ffmpeg.
#pragma once

#include <string>
#include <vector>

#include "script/scene_marks.h"

struct FrameRate;

struct VideoChapter {
  std::string title;
  long startFrame;  // counted from the video's first frame
  long endFrame;    // the next chapter's start, or the video's frame count
};

// The frames firstFrame .. lastFrame of the show (at `fps`) as chapters: each
// starts at the first frame that draws its mark; a mark before the first
// frame names the chapter the video starts in, one after the last is left out.
std::vector<VideoChapter> chaptersAtMarks(const std::vector<SceneMark>& marks, long firstFrame, long lastFrame,
                                          const FrameRate& fps);

// An ffmetadata file: the title, and the chapters counted in frames of `fps`,
// so that each starts exactly on its frame.
std::string ffmetadataText(const std::string& title, const std::vector<VideoChapter>& chapters, const FrameRate& fps);
