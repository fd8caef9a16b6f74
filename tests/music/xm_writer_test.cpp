// The XM writer, read back by libxmp (an independent reader) and byte by byte.
#include "xm/xm_writer.h"

#include <gtest/gtest.h>
#include <xmp.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "small_modules.h"

namespace {

using small_modules::cell;

// A module that uses every field the writer stores.
xm::Module richModule() {
  xm::Module m = small_modules::module(6, 16, 2, 5, 140);
  m.name = "rich";
  m.restartPosition = 1;
  m.patterns.push_back(xm::Pattern(32, 6));
  m.orders = {1, 0, 1};
  m.patterns[0].at(0, 0) = cell(xm::note(4, 0), 1, xm::kExtended, 0xD2, xm::setVolume(40));
  m.patterns[0].at(3, 5) = cell(xm::kKeyOff, 0);
  m.patterns[0].at(15, 2) = cell(xm::note(7, 11), 2, xm::kSetPanning, 0x30);
  m.patterns[1].at(31, 4) = cell(0, 0, xm::kVolumeSlide, 0x0F);

  xm::Instrument& a = m.instruments[0];
  a.volumeEnvelope.points = {{0, 0}, {4, 64}, {20, 32}, {60, 0}};
  a.volumeEnvelope.sustainPoint = 2;
  a.fadeout = 0x300;
  a.vibratoDepth = 3;
  a.vibratoRate = 9;
  a.sample.loop = xm::Loop::forward;
  a.sample.loopStart = 500;
  a.sample.loopLength = 1000;
  a.sample.volume = 48;
  a.sample.panning = 200;
  a.sample.relativeNote = -5;
  a.sample.finetune = 37;

  xm::Instrument& b = m.instruments[1];
  b.sample.sixteenBit = false;
  b.sample.pcm16.clear();
  for (int i = 0; i < 300; ++i) b.sample.pcm8.push_back(static_cast<int8_t>((i * 37) % 256 - 128));
  b.volumeEnvelope.points = {{0, 64}, {10, 20}, {30, 50}};
  b.volumeEnvelope.loopStart = 1;
  b.volumeEnvelope.loopEnd = 2;
  return m;
}

struct LoadedModule {
  xmp_context context = xmp_create_context();
  xmp_module* mod = nullptr;

  explicit LoadedModule(const std::vector<uint8_t>& bytes) {
    if (xmp_load_module_from_memory(context, bytes.data(), static_cast<long>(bytes.size())) != 0) return;
    xmp_module_info info{};
    xmp_get_module_info(context, &info);
    mod = info.mod;
  }
  ~LoadedModule() {
    if (mod != nullptr) xmp_release_module(context);
    xmp_free_context(context);
  }
  const xmp_event& event(int pattern, int row, int channel) const {
    return mod->xxt[mod->xxp[pattern]->index[channel]]->event[row];
  }
};

TEST(XmWriter, LibxmpReadsBackTheHeaderAndOrders) {
  const xm::Module m = richModule();
  LoadedModule loaded(small_modules::bytes(m));
  ASSERT_NE(loaded.mod, nullptr);
  const xmp_module& mod = *loaded.mod;
  EXPECT_STREQ(mod.name, "rich");
  EXPECT_EQ(mod.chn, 6);
  EXPECT_EQ(mod.ins, 2);
  EXPECT_EQ(mod.spd, 5);
  EXPECT_EQ(mod.bpm, 140);
  EXPECT_EQ(mod.len, 3);
  EXPECT_EQ(mod.rst, 1);
  EXPECT_EQ(mod.xxo[0], 1);
  EXPECT_EQ(mod.xxo[1], 0);
  EXPECT_EQ(mod.xxo[2], 1);
  EXPECT_EQ(mod.xxp[0]->rows, 16);
  EXPECT_EQ(mod.xxp[1]->rows, 32);
}

TEST(XmWriter, LibxmpReadsBackEveryPatternCell) {
  const xm::Module m = richModule();
  LoadedModule loaded(small_modules::bytes(m));
  ASSERT_NE(loaded.mod, nullptr);
  for (int p = 0; p < 2; ++p) {
    const xm::Pattern& pattern = m.patterns[p];
    for (int row = 0; row < pattern.rows; ++row) {
      for (int ch = 0; ch < pattern.channels; ++ch) {
        SCOPED_TRACE(testing::Message() << "pattern " << p << " row " << row << " channel " << ch);
        const xm::Cell& c = pattern.at(row, ch);
        const xmp_event& e = loaded.event(p, row, ch);
        // libxmp counts notes from C-(-1) and turns note 97 into its key-off.
        const int note = c.note == xm::kKeyOff ? XMP_KEY_OFF : (c.note == 0 ? 0 : c.note + 12);
        EXPECT_EQ(e.note, note);
        EXPECT_EQ(e.ins, c.instrument);
        EXPECT_EQ(e.vol, c.volume == 0 ? 0 : c.volume - 0x10 + 1);
        EXPECT_EQ(e.fxt, c.effect);
        EXPECT_EQ(e.fxp, c.param);
      }
    }
  }
}

TEST(XmWriter, LibxmpReadsBackInstrumentsAndSampleData) {
  const xm::Module m = richModule();
  LoadedModule loaded(small_modules::bytes(m));
  ASSERT_NE(loaded.mod, nullptr);
  const xmp_module& mod = *loaded.mod;
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(testing::Message() << "instrument " << i);
    const xm::Instrument& want = m.instruments[i];
    const xmp_instrument& ins = mod.xxi[i];
    ASSERT_EQ(ins.nsm, 1);
    EXPECT_EQ(ins.rls, want.fadeout * 2);
    const xm::Envelope& env = want.volumeEnvelope;
    ASSERT_EQ(ins.aei.npt, static_cast<int>(env.points.size()));
    EXPECT_EQ((ins.aei.flg & XMP_ENVELOPE_SUS) != 0, env.sustainPoint >= 0);
    EXPECT_EQ((ins.aei.flg & XMP_ENVELOPE_LOOP) != 0, env.loopStart >= 0);
    if (env.sustainPoint >= 0) {
      EXPECT_EQ(ins.aei.sus, env.sustainPoint);
    }
    if (env.loopStart >= 0) {
      EXPECT_EQ(ins.aei.lps, env.loopStart);
      EXPECT_EQ(ins.aei.lpe, env.loopEnd);
    }
    for (size_t k = 0; k < env.points.size(); ++k) {
      EXPECT_EQ(ins.aei.data[2 * k], env.points[k].tick);
      EXPECT_EQ(ins.aei.data[2 * k + 1], env.points[k].value);
    }
    const xmp_subinstrument& sub = ins.sub[0];
    EXPECT_EQ(sub.vol, want.sample.volume);
    EXPECT_EQ(sub.pan, want.sample.panning);
    EXPECT_EQ(sub.xpo, want.sample.relativeNote);
    EXPECT_EQ(sub.vde, want.vibratoDepth * 4);  // libxmp's finer depth scale
    EXPECT_EQ(sub.vra, want.vibratoRate);

    const xmp_sample& s = mod.xxs[sub.sid];
    ASSERT_EQ(s.len, static_cast<int>(want.sample.length()));
    EXPECT_EQ((s.flg & XMP_SAMPLE_16BIT) != 0, want.sample.sixteenBit);
    EXPECT_EQ((s.flg & XMP_SAMPLE_LOOP) != 0, want.sample.loop != xm::Loop::none);
    if (want.sample.loop != xm::Loop::none) {
      EXPECT_EQ(s.lps, static_cast<int>(want.sample.loopStart));
      EXPECT_EQ(s.lpe, static_cast<int>(want.sample.loopStart + want.sample.loopLength));
    }
    // libxmp overwrites what follows a loop's end for its interpolation.
    const size_t heard =
        want.sample.loop != xm::Loop::none ? want.sample.loopStart + want.sample.loopLength : want.sample.length();
    if (want.sample.sixteenBit) {
      std::vector<int16_t> data(heard);
      std::memcpy(data.data(), s.data, heard * sizeof(int16_t));
      EXPECT_EQ(data, std::vector<int16_t>(want.sample.pcm16.begin(), want.sample.pcm16.begin() + heard));
    } else {
      std::vector<int8_t> data(heard);
      std::memcpy(data.data(), s.data, heard);
      EXPECT_EQ(data, std::vector<int8_t>(want.sample.pcm8.begin(), want.sample.pcm8.begin() + heard));
    }
  }
}

TEST(XmWriter, HeaderFieldsSitAtTheirOffsets) {
  const std::vector<uint8_t> b = small_modules::bytes(richModule());
  auto u16 = [&](size_t at) { return b[at] | (b[at + 1] << 8); };
  EXPECT_EQ(std::string(b.begin(), b.begin() + 17), "Extended Module: ");
  EXPECT_EQ(b[37], 0x1A);
  EXPECT_EQ(u16(58), 0x0104);
  EXPECT_EQ(u16(60), 276);
  EXPECT_EQ(u16(64), 3);    // song length
  EXPECT_EQ(u16(66), 1);    // restart position
  EXPECT_EQ(u16(68), 6);    // channels
  EXPECT_EQ(u16(70), 2);    // patterns
  EXPECT_EQ(u16(72), 2);    // instruments
  EXPECT_EQ(u16(74), 1);    // linear frequencies
  EXPECT_EQ(u16(76), 5);    // speed
  EXPECT_EQ(u16(78), 140);  // BPM
  EXPECT_EQ(b[80], 1);
  EXPECT_EQ(b[81], 0);
}

TEST(XmWriter, CellsPackToFlagsOrToFiveRawBytes) {
  xm::Module m = small_modules::module(2, 2, 1);
  m.patterns[0].at(0, 0) = cell(xm::note(4, 0), 1, 0x0C, 0x20, 0x30);  // all five fields
  m.patterns[0].at(1, 1) = cell(0, 0, 0x0A, 0);                        // effect type only
  const std::vector<uint8_t> b = small_modules::bytes(m);
  const size_t pattern = 60 + 276;
  EXPECT_EQ(b[pattern] | b[pattern + 1] << 8, 9);  // pattern header length
  EXPECT_EQ(b[pattern + 5], 2);                    // rows
  const std::vector<uint8_t> packed(b.begin() + pattern + 9, b.begin() + pattern + 9 + (b[pattern + 7]));
  const std::vector<uint8_t> expected = {49, 1, 0x30, 0x0C, 0x20, 0x80, 0x80, 0x88, 0x0A};
  EXPECT_EQ(packed, expected);
}

struct InvalidCase {
  const char* name;
  std::function<void(xm::Module&)> spoil;
};

TEST(XmWriter, RefusesModulesItCannotWriteFaithfully) {
  const std::vector<InvalidCase> cases = {
      {"no channels", [](xm::Module& m) { m.channels = 0; }},
      {"33 channels", [](xm::Module& m) { m.channels = 33; }},
      {"speed 0", [](xm::Module& m) { m.speed = 0; }},
      {"BPM 31", [](xm::Module& m) { m.bpm = 31; }},
      {"empty order table", [](xm::Module& m) { m.orders.clear(); }},
      {"order names a missing pattern", [](xm::Module& m) { m.orders.push_back(7); }},
      {"restart beyond the orders", [](xm::Module& m) { m.restartPosition = 3; }},
      {"pattern of 0 rows", [](xm::Module& m) { m.patterns[1] = xm::Pattern(0, 6); }},
      {"pattern of 257 rows", [](xm::Module& m) { m.patterns[1] = xm::Pattern(257, 6); }},
      {"pattern cells for other channels", [](xm::Module& m) { m.patterns[1] = xm::Pattern(4, 5); }},
      {"note 98", [](xm::Module& m) { m.patterns[0].at(1, 1).note = 98; }},
      {"instrument 129", [](xm::Module& m) { m.patterns[0].at(1, 1).instrument = 129; }},
      {"129 instruments", [](xm::Module& m) { m.instruments.resize(129, m.instruments[0]); }},
      {"13 envelope points",
       [](xm::Module& m) {
         m.instruments[0].volumeEnvelope.points.clear();
         for (int i = 0; i < 13; ++i) m.instruments[0].volumeEnvelope.points.push_back({static_cast<uint16_t>(i), 1});
       }},
      {"envelope value 65", [](xm::Module& m) { m.instruments[0].volumeEnvelope.points[1].value = 65; }},
      {"envelope ticks falling", [](xm::Module& m) { m.instruments[0].volumeEnvelope.points[2].tick = 3; }},
      {"sustain point beyond the envelope", [](xm::Module& m) { m.instruments[0].volumeEnvelope.sustainPoint = 4; }},
      {"envelope loop without an end", [](xm::Module& m) { m.instruments[1].volumeEnvelope.loopEnd = -1; }},
      {"sample volume 65", [](xm::Module& m) { m.instruments[0].sample.volume = 65; }},
      {"sample loop past the end", [](xm::Module& m) { m.instruments[0].sample.loopLength = 1501; }},
      {"sample loop of no length", [](xm::Module& m) { m.instruments[0].sample.loopLength = 0; }},
      {"fadeout above 0xFFF", [](xm::Module& m) { m.instruments[0].fadeout = 0x1000; }},
  };
  ASSERT_FALSE(small_modules::bytes(richModule()).empty());
  for (const InvalidCase& c : cases) {
    SCOPED_TRACE(c.name);
    xm::Module m = richModule();
    c.spoil(m);
    std::string error;
    EXPECT_TRUE(xm::writeModule(m, &error).empty());
    EXPECT_FALSE(error.empty());
  }
}

TEST(XmWriter, SaveReportsAPathThatCannotBeCreated) {
  std::string error;
  EXPECT_FALSE(xm::saveModule(richModule(), "no such directory/out.xm", &error));
  EXPECT_NE(error.find("no such directory/out.xm"), std::string::npos);
}

TEST(XmWriter, TuningPlaysTheSampleAtItsRateOnC4) {
  struct Case {
    double rate;
    int relativeNote;
    int finetune;
  };
  const Case cases[] = {
      {8363.0, 0, 0},          // the reference rate
      {16726.0, 12, 0},        // an octave up
      {4181.5, -12, 0},        // an octave down
      {44100.0, 28, 100},      // 12 * log2(44100 / 8363) = 28.78 semitones
      {8363.0 * 0.75, -5, 3},  // -4.98 semitones: the finetune stays positive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    xm::Sample s;
    xm::tuneSample(s, c.rate);
    EXPECT_EQ(s.relativeNote, c.relativeNote);
    EXPECT_EQ(s.finetune, c.finetune);
  }
}

}  // namespace
