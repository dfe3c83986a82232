#include "RandomRecords.h"

#include <algorithm>
#include <bit>
#include <ctime>
#include <initializer_list>
#include <stdexcept>

#include "tester/PulseShapes.h"
#include "tester/SampleCompressor.h"

namespace Dexal::testing {
namespace {

const std::set<std::uint32_t> kMeasuring = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16};

std::set<std::uint32_t> With(std::set<std::uint32_t> tags,
                             std::initializer_list<std::uint32_t> more) {
  tags.insert(more);
  return tags;
}

// Short captures of every kind, now and then a full biphasic pulse.
Samples RandomPulse(std::mt19937& rng) {
  const auto n = static_cast<std::size_t>(Uniform(rng, 10, 2500));
  switch (Uniform(rng, 0, 5)) {
    case 0:
      return WithNoise(rng, BiphasicDefibPulse(Uniform(rng, 2, 360), PulseCalibration{}), 2);
    case 1: {
      // 1 ms of quiet line, then up to 5 ms of pulse in at most 10 ms.
      const PulseCalibration pacer{static_cast<std::uint16_t>(Uniform(rng, 100, 30000)), 0.001f,
                                   50.0f};
      return WithNoise(rng,
                       PacerPulse(Uniform(rng, 1, 50) / 10.0, Uniform(rng, 5, 200), pacer,
                                  static_cast<std::size_t>(Uniform(rng, 1500, 2500))),
                       3);
    }
    case 2:
      return Plateaus(rng, n);
    case 3:
      return Edges(rng, n);
    default:
      return RandomWalk(rng, n, Uniform(rng, 1, 3000));
  }
}

// The calendar time the fields name as local time.
CalendarTime LocalTime(const TesterDate& date) {
  std::tm fields{};
  fields.tm_year = date.year - 1900;
  fields.tm_mon = date.month - 1;
  fields.tm_mday = date.day;
  fields.tm_hour = date.hour;
  fields.tm_min = date.minute;
  fields.tm_sec = date.second;
  fields.tm_isdst = -1;  // the C library decides whether summer time applies
  return static_cast<CalendarTime>(std::mktime(&fields));
}

Item FloatItem(std::uint32_t tag, float value, float Fields::*field) {
  return {[tag, value](SegmentWriter& w) { w.Float(tag, value); },
          [field, value](Fields& f) { f.*field = value; }};
}

Item WordItem(std::uint32_t tag, std::uint16_t value, std::uint16_t Fields::*field) {
  return {[tag, value](SegmentWriter& w) { w.Word(tag, value); },
          [field, value](Fields& f) { f.*field = value; }};
}

}  // namespace

const std::vector<TestClass>& Classes() {
  static const std::vector<TestClass> classes = {
      {0x10, "DefibPulse", With(kMeasuring, {0x19})},
      {0x11, "DefibCharge", With(kMeasuring, {0x19, 0x1A})},
      {0x12, "DefibSynch", With(kMeasuring, {0x17, 0x19, 0x1B})},
      {0x20, "AEDPulse", With(kMeasuring, {0x17, 0x19})},
      {0x30, "PacerPulse", With(kMeasuring, {0x17, 0x19, 0x1A, 0x1B, 0x1C, 0x1F})},
      {0x31, "RefractoryPeriod", With(kMeasuring, {0x17, 0x1C, 0x1F, 0x20, 0x21, 0x24})},
      {0x32, "Sensitivity", With(kMeasuring, {0x17, 0x1C, 0x1D, 0x1F, 0x22})},
      {0x33, "PacerImmunity", With(kMeasuring, {0x17, 0x1C, 0x1F})},
      {0x02, "WaveformSimulator", {0x11, 0x17}},
      {0x01, "GeneralObservation", {0x11}},
  };
  return classes;
}

std::string RandomText(std::mt19937& rng) {
  static const char kAlphabet[] = "ab Z09,\"\r\n;'\x7F\x80\xC3\xA9\xFF";
  const int length = Uniform(rng, 0, 9) == 0 ? Uniform(rng, 128, 300) : Uniform(rng, 0, 30);
  std::string text;
  for (int i = 0; i < length; ++i) {
    // The array's last character is its terminating zero byte.
    text.push_back(kAlphabet[Uniform(rng, 0, static_cast<int>(sizeof kAlphabet) - 1)]);
  }
  return text;
}

float RandomFloat(std::mt19937& rng) {
  switch (Uniform(rng, 0, 4)) {
    case 0:
      return std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
    case 1:
      return -0.0f;
    case 2:
      return 0.0f;
    default:
      return std::uniform_real_distribution<float>(-5000.0f, 5000.0f)(rng);
  }
}

std::vector<Item> CriteriaItems(std::mt19937& rng, std::uint8_t code) {
  std::vector<Item> items;
  items.push_back(
      {[code](SegmentWriter& w) { w.Byte(6, code); }, [code](Fields& f) { f.testType = code; }});
  std::string Fields::*strings[] = {&Fields::assetId, &Fields::assetMake, &Fields::assetModel,
                                    &Fields::assetSerial};
  for (std::uint32_t tag = 1; tag <= 4; ++tag) {
    for (int copies = Uniform(rng, 0, 2); copies > 0; --copies) {
      const std::string text = RandomText(rng);
      std::string Fields::*field = strings[tag - 1];
      items.push_back({[tag, text](SegmentWriter& w) { w.String(tag, text); },
                       [field, text](Fields& f) { f.*field = text; }});
    }
  }
  if (Uniform(rng, 0, 3) != 0) {
    const TesterDate date{Uniform(rng, 1990, 2035), Uniform(rng, 1, 12), Uniform(rng, 1, 28),
                          Uniform(rng, 0, 23),      Uniform(rng, 0, 59), Uniform(rng, 0, 59)};
    items.push_back({[date](SegmentWriter& w) { w.DateTime(5, date); },
                     [date](Fields& f) { f.testDate = LocalTime(date); }});
  }
  if (Uniform(rng, 0, 3) != 0) {
    const auto status = static_cast<std::uint8_t>(Uniform(rng, 0, 3) == 0 ? rng() : rng() % 2);
    items.push_back({[status](SegmentWriter& w) { w.Byte(7, status); },
                     [status](Fields& f) { f.status = status; }});
  }
  return items;
}

Item DataItem(std::mt19937& rng, const TestClass& cls, std::uint32_t tag) {
  const bool hasPulse = cls.tags.count(0x19) != 0;
  const auto word = static_cast<std::uint16_t>(rng());
  switch (tag) {
    case 0x11: {
      const std::string text = RandomText(rng);
      const bool observation = cls.code == 0x01;
      return {[text](SegmentWriter& w) { w.String(0x11, text); },
              [text, observation](Fields& f) { (observation ? f.observation : f.comment) = text; }};
    }
    case 0x12: {
      const auto code = static_cast<std::uint8_t>(rng());
      return {[code](SegmentWriter& w) { w.Byte(0x12, code); },
              [code](Fields& f) { f.tag12Code = code; }};
    }
    case 0x13:
      return WordItem(tag, word, &Fields::sampleOffset);
    case 0x14:
      // Pulse classes get a calibration that gives finite volts; the others anything at all.
      return FloatItem(
          tag,
          hasPulse ? std::uniform_real_distribution<float>(-2.0f, 2.0f)(rng) : RandomFloat(rng),
          &Fields::voltsPerCount);
    case 0x15:
      return WordItem(tag, word, &Fields::nominalLoad);
    case 0x16:
      return FloatItem(tag,
                       hasPulse ? (Uniform(rng, 0, 5) == 0
                                       ? 0.0f
                                       : std::uniform_real_distribution<float>(1.0f, 500.0f)(rng))
                                : RandomFloat(rng),
                       &Fields::loadOhms);
    case 0x17: {
      DexalSimWaveForm setting;
      setting.waveform = static_cast<std::uint8_t>(rng());
      setting.extra = static_cast<std::uint8_t>(rng());
      setting.rate = static_cast<std::uint16_t>(rng());
      const auto microvolts = static_cast<std::int16_t>(rng());
      setting.peak = static_cast<float>(microvolts) * 0.001f;
      return {[setting, microvolts](SegmentWriter& w) {
                w.SimWaveForm(0x17, setting.waveform, setting.extra, setting.rate, microvolts);
              },
              [setting](Fields& f) { f.simWaveform = setting; }};
    }
    case 0x19: {
      const Samples samples = RandomPulse(rng);
      const ByteVector block = CompressSmallest(samples);
      return {[block](SegmentWriter& w) { w.Bytes(0x19, block); },
              [samples](Fields& f) {
                f.samples = samples;
                f.profileOffset = f.sampleOffset;
                f.profileScale = f.voltsPerCount;
                f.profileLoad = f.loadOhms;
              }};
    }
    case 0x1A:
    case 0x1B: {
      if (cls.code == 0x30) {
        // A pacer pulse may carry them only as zero, which changes nothing.
        const float zero = Uniform(rng, 0, 1) == 0 ? 0.0f : -0.0f;
        return {[tag, zero](SegmentWriter& w) { w.Float(tag, zero); }, [](Fields&) {}};
      }
      return FloatItem(tag, RandomFloat(rng),
                       tag == 0x1A ? &Fields::chargeTime : &Fields::synchTime);
    }
    case 0x1C:
      return WordItem(tag, word, &Fields::pacerModel);
    case 0x1D: {
      const auto flag = static_cast<std::uint8_t>(Uniform(rng, 0, 2) == 0 ? 0 : rng() % 255 + 1);
      return {[flag](SegmentWriter& w) { w.Byte(0x1D, flag); },
              [flag](Fields& f) { f.ecgInverted = flag != 0; }};
    }
    case 0x1F:
      return FloatItem(tag, RandomFloat(rng), &Fields::pulseRate);
    case 0x20:
      return FloatItem(tag, RandomFloat(rng), &Fields::pulsedRefractoryPeriod);
    case 0x21:
      return FloatItem(tag, RandomFloat(rng), &Fields::sensedRefractoryPeriod);
    case 0x22:
      return FloatItem(tag, RandomFloat(rng), &Fields::sensitivity);
    case 0x24:
      return FloatItem(tag, RandomFloat(rng), &Fields::pulseWidth);
    default:
      throw std::logic_error("no such tag");
  }
}

ByteVector WriteInOrder(std::vector<Item>& items, std::mt19937& rng, Fields& expected) {
  std::shuffle(items.begin(), items.end(), rng);
  SegmentWriter writer;
  for (const Item& item : items) {
    item.write(writer);
    item.apply(expected);
  }
  return writer.Data();
}

}  // namespace Dexal::testing
