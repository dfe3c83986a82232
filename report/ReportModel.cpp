#include "report/ReportModel.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <tuple>

#include "csv/DexalColumnNames.h"
#include "csv/DexalCsvLayout.h"
#include "csv/DexalNumberFormat.h"
#include "platform/WideText.h"
#include "report/AssetHistory.h"
#include "report/SourceDigest.h"
#include "results/DexalTestTypes.h"

namespace Dexal {
namespace {

// A cell's text as the report shows it: the file keeps the tester's 8-bit texts as they came,
// and one that is not UTF-8 is most likely Windows-1252. A line break in it is LF, whether this
// program wrote it (CR LF) or a spreadsheet saved the file again (LF).
std::string Shown(const std::string& cell) {
  std::string text = Utf8FromUtf8OrWindows1252(cell);
  if (text.find('\r') == std::string::npos) return text;
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    lines += text[i] == '\r' ? '\n' : text[i];
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return lines;
}

bool IsUnitWord(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

// "60.0 bpm" is 60.0 in bpm; a rate whose waveform has no unit is written "0.0 ". Gives the
// unit split from the cell, if any (empty for that rate).
std::optional<std::string> SplitValue(std::string cell, bool unitInCell, ReportMeasurement& m) {
  m.isNumber = NumberFromText(cell).has_value();
  const std::size_t blank = m.isNumber || !unitInCell ? std::string::npos : cell.find(' ');
  if (blank != std::string::npos && NumberFromText(cell.substr(0, blank)) &&
      IsUnitWord(cell.substr(blank + 1))) {
    std::string unit = cell.substr(blank + 1);
    cell.resize(blank);
    m.value = std::move(cell);
    m.isNumber = true;
    return unit;
  }
  m.value = std::move(cell);
  return std::nullopt;
}

// The SHA-256 of texts, each its length and its bytes; `line` holds them while they are hashed.
template <typename Texts>
std::array<unsigned char, 32> DigestOf(const Texts& texts, std::string& line) {
  line.clear();
  for (const std::string& text : texts) {
    line += std::to_string(text.size());
    line += ':';
    line += text;
  }
  return Sha256Of(line);
}

// Fail when any result failed; else the last status that is not a pass; else a pass (an asset
// has one result at least).
DexalVerdict OverallStatus(const std::vector<const ReportResult*>& results) {
  DexalVerdict status = results.front()->status;
  for (const ReportResult* r : results) {
    if (r->status.kind == DexalVerdict::Kind::Fail) return r->status;
    if (r->status.kind != DexalVerdict::Kind::Pass) status = r->status;
  }
  return status;
}

}  // namespace

namespace {

// What a result's plot says beside its curves: its title, and the width the file gives.
std::string PlotTitle(const ReportResult& result) {
  return "Result " + std::to_string(result.position) + ": " + result.testType + ", " +
         result.assetId;
}

std::string WidthText(const ReportResult& result) {
  std::string width;
  for (const ReportMeasurement& m : result.measurements) {
    if (m.isNumber && m.unit() == "ms" && m.name() == "Pulse width") width = m.value + " ms";
  }
  return width;
}

}  // namespace

ReportResult ReportModelBuilder::ResultFromSection(const DexalCsvSection& section) {
  const auto& v = section.values;
  ReportResult r;
  r.assetId = Shown(v[kAssetIdColumn]);
  r.assetMake = Shown(v[kAssetMakeColumn]);
  r.assetModel = Shown(v[kAssetModelColumn]);
  r.assetSerial = Shown(v[kAssetSerialColumn]);
  r.date = Shown(v[kDateColumn]);
  r.testType = Shown(v[kTestTypeColumn]);
  r.status = VerdictFromStatusText(Shown(v[kStatusColumn]));
  r.comment = Shown(v[kCommentColumn]);
  r.line = section.line + 1;
  r.graphPoints = !section.points.empty();
  const DexalTestType* type = TestTypeFromDisplayName(r.testType);
  r.carriesPulse = type != nullptr && type->pulse != kNoPulse;
  r.measurements.reserve(v.size() - kNominalLoadColumn);
  for (std::size_t i = kNominalLoadColumn; i < v.size(); ++i) {
    // Named and with its unit as a reader reads it; a header that is not ours (another
    // program's, a later version's) is shown as it stands.
    const Column& column = ColumnOf(section.headers[i]);
    ReportMeasurement& m = r.measurements.emplace_back();
    m.label = column.label;
    std::optional<std::string> unit =
        SplitValue(Shown(v[i]), column.names != nullptr && column.names->unitInCell, m);
    if (unit) {
      const std::lock_guard lock(textsMutex_);
      m.label = Label({m.name(), Shared(std::move(*unit)), m.header()});
    }
  }
  // A test that captures no pulse measures nothing across a load: its 0 is no load at all.
  ReportMeasurement& load = r.measurements.front();
  if (type != nullptr && !r.carriesPulse && load.value == "0") {
    const std::lock_guard lock(textsMutex_);
    load = {Label({load.name(), "", load.header()}), "not used", false};
  }
  return r;
}

std::string_view ReportModelBuilder::Shared(std::string text) {
  return *model_.texts->texts.insert(std::move(text)).first;  // the one kept, when it is there
}

const MeasurementLabel* ReportModelBuilder::Label(const MeasurementLabel& label) {
  return &*model_.texts->labels.insert(label).first;
}

const ReportModelBuilder::Column& ReportModelBuilder::ColumnOf(const std::string& header) {
  const std::lock_guard lock(textsMutex_);
  const auto found = columns_.find(header);
  if (found != columns_.end()) return found->second;
  const std::string_view shown = Shared(Shown(header));
  const DexalColumnName* names = ColumnNameFromHeader(shown);
  const MeasurementLabel* label =
      names == nullptr ? Label({shown, "", shown}) : Label({names->name, names->unit, shown});
  return columns_.emplace(header, Column{shown, names, label}).first->second;
}

ReportModelBuilder::FileResults ReportModelBuilder::Read(DexalCSVreader& reader) {
  FileResults file{Shown(reader.TesterSerial()), Shown(reader.ServiceDate()), {}};
  std::string line;  // the texts being hashed
  DexalCsvSection section;
  while (reader.NextSection(section)) {
    const auto& v = section.values;
    const std::array<std::reference_wrapper<const std::string>, 4> key = {
        file.testerSerial, v[kAssetIdColumn], v[kDateColumn], v[kTestTypeColumn]};
    ReadResult& read = file.results.emplace_back();
    read.key = DigestOf(key, line);
    read.values = DigestOf(section.values, line);
    read.result = ResultFromSection(section);
    if (read.result.graphPoints && plots_) {
      const std::string widthText = WidthText(read.result);
      read.plot = DrawPulsePlot(section, widthText, false);
      if (plotFiles_) read.plotFile = DrawPulsePlot(section, widthText, true);
    }
  }
  return file;
}

void ReportModelBuilder::DrawTitled(ReportResult& result, const ReadResult& read) const {
  if (!result.graphPoints || !plots_) return;
  // Kept until the outputs are written: without the room the drawing grew into.
  const std::string title = PlotTitle(result);
  result.plot = TitledPlot(read.plot, title);
  if (plotFiles_) result.plotFile = TitledPlot(read.plotFile, title);
  result.plot.shrink_to_fit();
  result.plotFile.shrink_to_fit();
}

void ReportModelBuilder::Add(FileResults file, const std::string& source,
                             const std::string& messageName) {
  const std::string& serial = file.testerSerial;
  if (std::find(serials_.begin(), serials_.end(), serial) == serials_.end()) {
    serials_.push_back(serial);
  }
  model_.serviceDate = file.serviceDate;
  const std::size_t sourceIndex = model_.sourceCount++;
  messageNames_.push_back(messageName);
  for (ReadResult& read : file.results) {
    ReportResult& r = read.result;
    const std::size_t line = r.line;
    std::vector<Kept>& same = kept_[read.key];
    const auto copy = std::find_if(same.begin(), same.end(),
                                   [&](const Kept& k) { return k.values == read.values; });
    if (copy == same.end()) {
      r.position = model_.results.size() + 1;
      r.testerSerial = serial;
      r.sourceIndex = sourceIndex;
      r.source = source;
      for (const Kept& other : same) {
        warnings.push_back(messageNames_[other.source] + ":" + std::to_string(other.line) +
                           " and " + messageName + ":" + std::to_string(line) +
                           ": the same tester serial, Asset ID, " +
                           "date and test type with other values; both are kept");
        model_.results.Change(other.index, [&](ReportResult& earlier) {
          earlier.conflicts.push_back(source + ":" + std::to_string(line));
          r.conflicts.push_back(earlier.source + ":" + std::to_string(earlier.line));
        });
      }
      DrawTitled(r, read);
      same.push_back({model_.results.size(), read.values, sourceIndex, line, r.graphPoints});
      model_.results.Add(std::move(r));
    } else if (!copy->graphPoints && r.graphPoints) {
      // The copy with graph points is the one kept.
      *copy = {copy->index, copy->values, sourceIndex, line, true};
      model_.results.Change(copy->index, [&](ReportResult& kept) {
        kept.sourceIndex = sourceIndex;
        kept.source = source;
        kept.line = line;
        kept.graphPoints = true;
        DrawTitled(kept, read);
      });
    }
  }
}

AssetResults ResultsOf(const ReportModel& model, const ReportAsset& asset) {
  AssetResults results;
  results.shown.reserve(asset.results.size());
  for (const std::size_t i : asset.results) {
    results.list.push_back(results.shown.emplace_back(model.results.Get(i)).get());
  }
  return results;
}

ReportModel ReportModelBuilder::Finish() {
  ReportModel model = std::move(model_);
  for (const std::string& serial : serials_) {
    model.testerSerial += (model.testerSerial.empty() ? "" : ", ") + serial;
  }
  if (model.sourceCount > 1) model.serviceDate.clear();
  std::map<std::tuple<std::string, std::string, std::string, std::string>, std::size_t> index;
  for (std::size_t i = 0; i < model.results.size(); ++i) {
    const ResultStore::Shown r = model.results.Get(i);
    switch (r->status.kind) {
      case DexalVerdict::Kind::Pass:
        ++model.passes;
        break;
      case DexalVerdict::Kind::Fail:
        ++model.fails;
        break;
      case DexalVerdict::Kind::Other:
        ++model.others;
        break;
    }
    const auto key = std::make_tuple(r->assetId, r->assetMake, r->assetModel, r->assetSerial);
    auto [at, added] = index.emplace(key, model.assets.size());
    if (added) {
      model.assets.push_back(
          {r->assetId, r->assetMake, r->assetModel, r->assetSerial, {}, {}, {}, 0, {}, {}, {}});
    }
    model.assets[at->second].results.push_back(i);
  }
  for (ReportAsset& asset : model.assets) {
    const AssetResults results = ResultsOf(model, asset);
    asset.status = OverallStatus(results.list);
    asset.days = TestDays(results.list);
    const auto byDate = [](const ReportResult* a, const ReportResult* b) {
      return a->date < b->date;
    };
    const ReportResult* earliest =
        *std::min_element(results.list.begin(), results.list.end(), byDate);
    const ReportResult* latest =
        *std::max_element(results.list.begin(), results.list.end(), byDate);
    asset.firstDate = earliest->date.substr(0, 10);
    asset.lastDate = latest->date.substr(0, 10);
    asset.lastStatus = latest->status;
    asset.drift = DriftNote(results.list);
  }
  const auto rank = [](const ReportAsset& a) {
    return a.status.kind == DexalVerdict::Kind::Fail ? 0 : a.drift.empty() ? 2 : 1;
  };
  std::stable_sort(model.assets.begin(), model.assets.end(),
                   [&](const ReportAsset& a, const ReportAsset& b) { return rank(a) < rank(b); });
  return model;
}

ReportModel ReportModelFromReader(DexalCSVreader& reader, bool plotFiles) {
  ReportModelBuilder builder(plotFiles);
  builder.Add(builder.Read(reader), "", "");
  return builder.Finish();
}

}  // namespace Dexal
