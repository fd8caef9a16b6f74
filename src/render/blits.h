// The picture blits (Picture::drawOpaque, drawKeyed, drawScrolling, declared
// in resources/picture.h); the scroll offsets they share are the show
// state's (render/show_state.h).
#pragma once

namespace blits {

// The scroll offset step: added in single precision, and snapped to 0 once
// it leaves (-limit, limit); what lies beyond is dropped, not carried over.
float advanceScrollOffset(float offset, float step, float limit);

}  // namespace blits
