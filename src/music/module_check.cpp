#include "music/module_check.h"

int silenceSamplesWithoutData(xmp_module& module) {
  if (module.xxs == nullptr) return 0;
  int silenced = 0;
  for (int i = 0; i < module.smp; ++i) {
    xmp_sample& sample = module.xxs[i];
    if (sample.data != nullptr) continue;
    if (sample.len == 0 && (sample.flg & XMP_SAMPLE_LOOP) == 0) continue;
    sample.len = 0;
    sample.lps = 0;
    sample.lpe = 0;
    sample.flg &= ~(XMP_SAMPLE_LOOP | XMP_SAMPLE_LOOP_BIDIR | XMP_SAMPLE_LOOP_REVERSE | XMP_SAMPLE_LOOP_FULL |
                    XMP_SAMPLE_SLOOP | XMP_SAMPLE_SLOOP_BIDIR);
    ++silenced;
  }
  return silenced;
}
