// The picture blits (Picture::drawOpaque, drawKeyed, drawScrolling, declared
// in resources/picture.h) and the scroll state they share.
#pragma once

// Where the scrolling background stands, in pixels; shared by every
// Picture::drawScrolling call whatever the picture, 0 at start and always
// strictly inside (-640, 640) and (-480, 480).
extern float scrollOffsetX;
extern float scrollOffsetY;

namespace blits {

// The scroll offset step: added in single precision, and snapped to 0 once
// it leaves (-limit, limit); what lies beyond is dropped, not carried over.
float advanceScrollOffset(float offset, float step, float limit);

}  // namespace blits
