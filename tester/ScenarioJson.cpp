#include "tester/ScenarioJson.h"

#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tester/ResultFields.h"

namespace Dexal {
namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
  throw ScenarioError(path + ": " + what);
}

const json& ObjectAt(const json& value, const std::string& path) {
  if (!value.is_object()) Fail(path, "expected an object");
  return value;
}

template <typename T>
T IntegerAt(const json& value, const std::string& path) {
  if (!value.is_number_integer()) Fail(path, "expected a whole number");
  if (value.is_number_unsigned()) {
    const auto v = value.get<std::uint64_t>();
    if (v > static_cast<std::uint64_t>(std::numeric_limits<T>::max())) Fail(path, "out of range");
    return static_cast<T>(v);
  }
  const auto v = value.get<std::int64_t>();
  if (v < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
      v > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
    Fail(path, "out of range");
  }
  return static_cast<T>(v);
}

double NumberAt(const json& value, const std::string& path) {
  if (!value.is_number()) Fail(path, "expected a number");
  return value.get<double>();
}

std::string StringAt(const json& value, const std::string& path) {
  if (!value.is_string()) Fail(path, "expected a string");
  return value.get<std::string>();
}

bool BoolAt(const json& value, const std::string& path) {
  if (!value.is_boolean()) Fail(path, "expected true or false");
  return value.get<bool>();
}

ByteVector HexAt(const json& value, const std::string& path) {
  const std::string text = StringAt(value, path);
  ByteVector bytes;
  int high = -1;
  for (char c : text) {
    if (c == ' ') continue;
    int nibble = -1;
    if (c >= '0' && c <= '9') nibble = c - '0';
    if (c >= 'a' && c <= 'f') nibble = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') nibble = c - 'A' + 10;
    if (nibble < 0) Fail(path, "not a hex digit: '" + std::string(1, c) + "'");
    if (high < 0) {
      high = nibble;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high << 4 | nibble));
      high = -1;
    }
  }
  if (high >= 0) Fail(path, "odd number of hex digits");
  return bytes;
}

// Walks the members of an object, each through its handler; an unknown member is an error.
using Handlers = std::map<std::string, std::function<void(const json&, const std::string&)>>;
void Members(const json& object, const std::string& path, const Handlers& handlers) {
  ObjectAt(object, path);
  for (const auto& [key, value] : object.items()) {
    const auto it = handlers.find(key);
    if (it == handlers.end()) Fail(path, "unknown field \"" + key + "\"");
    std::string fieldPath = path;
    fieldPath.append(".").append(key);
    it->second(value, fieldPath);
  }
}

TesterDate DateAt(const json& value, const std::string& path) {
  TesterDate date{2024, 1, 1, 0, 0, 0};
  Members(
      value, path,
      {{"year", [&](const json& v, const std::string& p) { date.year = IntegerAt<int>(v, p); }},
       {"month", [&](const json& v, const std::string& p) { date.month = IntegerAt<int>(v, p); }},
       {"day", [&](const json& v, const std::string& p) { date.day = IntegerAt<int>(v, p); }},
       {"hour", [&](const json& v, const std::string& p) { date.hour = IntegerAt<int>(v, p); }},
       {"minute", [&](const json& v, const std::string& p) { date.minute = IntegerAt<int>(v, p); }},
       {"second",
        [&](const json& v, const std::string& p) { date.second = IntegerAt<int>(v, p); }}});
  return date;
}

TesterIdentity IdentityAt(const json& value, const std::string& path) {
  TesterIdentity id;
  Members(
      value, path,
      {{"serial", [&](const json& v, const std::string& p) { id.serialNumber = StringAt(v, p); }},
       {"serviceDate",
        [&](const json& v, const std::string& p) {
          const TesterDate d = DateAt(v, p);
          id.serviceYear = d.year;
          id.serviceMonth = d.month;
          id.serviceDay = d.day;
        }},
       {"firmwareRevision",
        [&](const json& v, const std::string& p) {
          id.firmwareRevision = IntegerAt<std::uint32_t>(v, p);
        }},
       {"firmwareDate", [&](const json& v, const std::string& p) {
          const TesterDate d = DateAt(v, p);
          id.firmwareYear = d.year;
          id.firmwareMonth = d.month;
          id.firmwareDay = d.day;
        }}});
  return id;
}

SimulatorSetting SimulatorAt(const json& value, const std::string& path) {
  SimulatorSetting sim;
  Members(
      value, path,
      {{"waveform",
        [&](const json& v, const std::string& p) { sim.waveform = IntegerAt<std::uint8_t>(v, p); }},
       {"extra",
        [&](const json& v, const std::string& p) { sim.extra = IntegerAt<std::uint8_t>(v, p); }},
       {"rate",
        [&](const json& v, const std::string& p) { sim.rate = IntegerAt<std::uint16_t>(v, p); }},
       {"peakMicrovolts", [&](const json& v, const std::string& p) {
          sim.peakMicrovolts = IntegerAt<std::int16_t>(v, p);
        }}});
  return sim;
}

PulseSettings PulseAt(const json& value, const std::string& path) {
  PulseSettings pulse;
  bool shapeGiven = false;
  Members(
      value, path,
      {{"shape",
        [&](const json& v, const std::string& p) {
          const std::string shape = StringAt(v, p);
          shapeGiven = true;
          if (shape == "biphasic") {
            pulse.shape = PulseSettings::Shape::Biphasic;
          } else if (shape == "monophasic") {
            pulse.shape = PulseSettings::Shape::Monophasic;
          } else if (shape == "pacer") {
            pulse.shape = PulseSettings::Shape::Pacer;
          } else if (shape == "samples") {
            pulse.shape = PulseSettings::Shape::Samples;
          } else {
            Fail(p, "unknown shape \"" + shape + "\" (biphasic, monophasic, pacer, samples)");
          }
        }},
       {"samples",
        [&](const json& v, const std::string& p) {
          if (!v.is_array()) Fail(p, "expected a list of samples");
          for (std::size_t i = 0; i < v.size(); ++i) {
            pulse.samples.push_back(
                IntegerAt<std::uint16_t>(v[i], p + "[" + std::to_string(i) + "]"));
          }
        }},
       {"joules", [&](const json& v, const std::string& p) { pulse.joules = NumberAt(v, p); }},
       {"widthMs", [&](const json& v, const std::string& p) { pulse.widthMs = NumberAt(v, p); }},
       {"milliamps",
        [&](const json& v, const std::string& p) { pulse.milliamps = NumberAt(v, p); }},
       {"count", [&](const json& v,
                     const std::string& p) { pulse.sampleCount = IntegerAt<std::uint16_t>(v, p); }},
       {"mode", [&](const json& v, const std::string& p) {
          const std::string mode =
              v.is_number() ? std::to_string(IntegerAt<int>(v, p)) : StringAt(v, p);
          if (mode == "smallest") return;
          if (mode == "0" || mode == "zeros") {
            pulse.mode = SampleMode::Zeros;
          } else if (mode == "1" || mode == "first-difference") {
            pulse.mode = SampleMode::FirstDifference;
          } else if (mode == "2" || mode == "second-difference") {
            pulse.mode = SampleMode::SecondDifference;
          } else if (mode == "3" || mode == "interpolated") {
            pulse.mode = SampleMode::Interpolated;
          } else {
            Fail(p, "unknown mode \"" + mode + "\"");
          }
        }}});
  if (!shapeGiven && !pulse.samples.empty()) pulse.shape = PulseSettings::Shape::Samples;
  if (!shapeGiven && pulse.samples.empty()) Fail(path, "give a \"shape\" or \"samples\"");
  if (pulse.shape == PulseSettings::Shape::Samples && pulse.samples.empty()) {
    Fail(path + ".samples", "a sample-list pulse needs samples");
  }
  return pulse;
}

ResultFields ResultAt(const json& value, const std::string& path) {
  ResultFields r;
  auto text = [](std::string& field) {
    return [&field](const json& v, const std::string& p) { field = StringAt(v, p); };
  };
  auto real = [](std::optional<float>& field) {
    return [&field](const json& v, const std::string& p) {
      field = static_cast<float>(NumberAt(v, p));
    };
  };
  auto word = [](std::optional<std::uint16_t>& field) {
    return
        [&field](const json& v, const std::string& p) { field = IntegerAt<std::uint16_t>(v, p); };
  };
  bool typeGiven = false;
  Handlers handlers{
      {"assetId", text(r.assetId)},
      {"assetMake", text(r.assetMake)},
      {"assetModel", text(r.assetModel)},
      {"assetSerial", text(r.assetSerial)},
      {"date", [&](const json& v, const std::string& p) { r.date = DateAt(v, p); }},
      {"testType",
       [&](const json& v, const std::string& p) {
         typeGiven = true;
         if (v.is_number()) {
           r.testType = IntegerAt<std::uint8_t>(v, p);
           return;
         }
         const std::string name = StringAt(v, p);
         const auto code = TestTypeFromName(name);
         if (!code) Fail(p, "unknown test type \"" + name + "\"");
         r.testType = *code;
       }},
      {"status",
       [&](const json& v, const std::string& p) {
         if (v.is_string()) {
           const std::string s = v.get<std::string>();
           if (s != "pass" && s != "fail") Fail(p, "expected \"pass\", \"fail\" or a number");
           r.status = s == "pass" ? 1 : 0;
         } else {
           r.status = IntegerAt<std::uint8_t>(v, p);
         }
       }},
      {"comment", [&](const json& v, const std::string& p) { r.comment = StringAt(v, p); }},
      {"observation", [&](const json& v, const std::string& p) { r.comment = StringAt(v, p); }},
      {"tag12",
       [&](const json& v, const std::string& p) { r.tag12 = IntegerAt<std::uint8_t>(v, p); }},
      {"sampleOffset", word(r.sampleOffset)},
      {"voltsPerCount", real(r.voltsPerCount)},
      {"nominalLoad", word(r.nominalLoad)},
      {"loadOhms", real(r.loadOhms)},
      {"simulator", [&](const json& v, const std::string& p) { r.simulator = SimulatorAt(v, p); }},
      {"pulse", [&](const json& v, const std::string& p) { r.pulse = PulseAt(v, p); }},
      {"chargeTime", real(r.chargeTime)},
      {"synchTime", real(r.synchTime)},
      {"pacerModel", word(r.pacerModel)},
      {"ecgInverted", [&](const json& v, const std::string& p) { r.ecgInverted = BoolAt(v, p); }},
      {"pulseRate", real(r.pulseRate)},
      {"pulsedRefractoryPeriod", real(r.pulsedRefractoryPeriod)},
      {"sensedRefractoryPeriod", real(r.sensedRefractoryPeriod)},
      {"sensitivity", real(r.sensitivity)},
      {"pulseWidth", real(r.pulseWidth)},
      {"infoValue",
       [&](const json& v, const std::string& p) { r.infoValue = IntegerAt<std::uint32_t>(v, p); }},
      {"raw", [&](const json& v, const std::string& p) {
         Members(v, p,
                 {{"criteria",
                   [&](const json& x, const std::string& q) { r.rawCriteria = HexAt(x, q); }},
                  {"data", [&](const json& x, const std::string& q) { r.rawData = HexAt(x, q); }},
                  {"criteriaCrc",
                   [&](const json& x, const std::string& q) {
                     r.criteriaCrc = IntegerAt<std::uint32_t>(x, q);
                   }},
                  {"dataCrc",
                   [&](const json& x, const std::string& q) {
                     r.dataCrc = IntegerAt<std::uint32_t>(x, q);
                   }},
                  {"criteriaSize", word(r.criteriaSize)},
                  {"dataSize", word(r.dataSize)}});
       }}};
  Members(value, path, handlers);
  if (!typeGiven && !r.rawCriteria) Fail(path, "missing field \"testType\"");
  return r;
}

}  // namespace

TesterScenario ScenarioFromJson(std::string_view text) {
  json root;
  try {
    root = json::parse(text.begin(), text.end());
  } catch (const json::parse_error& e) {
    throw ScenarioError(std::string("scenario is not valid JSON: ") + e.what());
  }
  TesterScenario scenario;
  Members(root, "scenario",
          {{"tester",
            [&](const json& v, const std::string& p) { scenario.identity = IdentityAt(v, p); }},
           {"results",
            [&](const json& v, const std::string& p) {
              if (!v.is_array()) Fail(p, "expected a list of results");
              for (std::size_t i = 0; i < v.size(); ++i) {
                const std::string at = "results[" + std::to_string(i) + "]";
                const ResultFields fields = ResultAt(v[i], at);
                try {
                  scenario.results.push_back(StoredResultFrom(fields));
                } catch (const std::invalid_argument& e) {
                  Fail(at, e.what());
                }
              }
            }},
           {"faults", [&](const json& v, const std::string& p) {
              if (!v.is_array()) Fail(p, "expected a list of fault texts");
              for (std::size_t i = 0; i < v.size(); ++i) {
                const std::string at = p + "[" + std::to_string(i) + "]";
                try {
                  scenario.faults.push_back(ParseFault(StringAt(v[i], at)));
                } catch (const std::invalid_argument& e) {
                  Fail(at, e.what());
                }
              }
            }}});
  return scenario;
}

TesterScenario LoadScenarioFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScenarioError(path + ": cannot open the scenario file");
  std::ostringstream text;
  text << in.rdbuf();
  try {
    return ScenarioFromJson(text.str());
  } catch (const ScenarioError& e) {
    throw ScenarioError(path + ": " + e.what());
  }
}

}  // namespace Dexal
